// The graphics editor window: the tiles of one CHR bank with the pixel editor,
// and in mode 0 the metatile editor, in mode 1 the batter's view editor.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "editor/tile_editor.h"
#include "editor/tile_edits.h"
#include "platform/menu_items.h"
#include "screens/block_picture.h"
#include "screens/grid_tools.h"
#include "shell/edit_history.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;

namespace tarvo {

class BudgetPanel;
class ClickableLabel;
class LineOverlay;
class PictureSurface;
class UserDialogs;
class ZoomView;

class frmAltPane : public QMainWindow, public EditHistory::Listener {
  Q_OBJECT

 public:
  // Edits are recorded in `history`, which the main window shares; `dialogs`
  // ask for files and colours.
  frmAltPane(EditHistory& history, UserDialogs& dialogs, QWidget* parent = nullptr);

  // The client area's first size.
  static constexpr int kClientWidth = 470;
  static constexpr int kClientHeight = 557;
  ~frmAltPane() override;

  // Sets the window up in mode `ap` at metatile `metaID` (see TileEditor).
  void initGUI(int ap, int metaID);

  void drawTileSheets();
  void redrawEditors();
  void redrawAll();

  const TileEditor& editor() const { return tiles; }
  // The tools on the enlarged tile, and on the metatile's or the batter's
  // view's cells.
  const GridTools& pixelTools() const { return tileTools; }
  const GridTools& tools() const { return cellTools; }

  // Bytes of the image changed, by an edit of either window or an undo: the
  // labels and the paste's preview show what that touches. The pictures
  // (TileEditor) listen to the history themselves, and are told first.
  void imageChanged(const std::vector<ByteRange>& ranges) override;
  // The state of the shared history, for the Undo and Redo items, and
  // whether the image has unsaved edits, for the caption's marker.
  void showHistoryState(bool modified);
  // The name of the loaded file, for the caption.
  void setFileName(const QString& name);

  // Show Uses for a batter's view tile: frames over its cells (none to
  // remove them), and the use `column`, `row` in sight and marked.
  void setBatViewHighlights(std::vector<SurfaceRect> cells, QColor colour);
  void showBatViewUse(int column, int row);
  const BudgetPanel* budgetPanel() const { return dockBudget; }

  // Edit > Preferences' "Alt+press picks", for both tools of this window.
  void setAltPicks(bool on);

  // View > Console Colours, which the main window keeps for both windows.
  void setConsoleColours(bool on);

  // The zoom of the pattern table or the batter's view (1 to 4), as
  // frmMain::setViewZoom.
  void setViewZoom(PictureSurface* view, int zoom, std::optional<QPointF> anchor = {});
  int patternTableZoom() const;
  int batViewZoom() const;

 signals:
  // The selected tile, after any change of it or of the mode.
  void tileSelected(int tile);
  // A budget figure of metatiles was clicked: the main window shows them.
  void metatilesChosen(const std::vector<int>& metatiles);
  // As the window closes.
  void unloaded(int mode);
  void undoRequested();
  void redoRequested();
  // File > Save Rom, and File > Export Image's views (as frmMain numbers
  // them).
  void saveRequested();
  void exportRequested(int view);
  void helpRequested();
  // File > Play in Emulator was chosen here.
  void playRequested();
  // View > Console Colours was chosen here.
  void consoleColoursRequested(bool on);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildControls();
  // The parts of buildControls: the tile frame with its buttons, swatches
  // and pattern table; the metatile and batter's view frames; the grid's
  // lines; the views' pointer signals; the zoomed views.
  void buildTileFrame(QWidget* client);
  void buildEditorFrames(QWidget* client);
  void buildGridLines();
  void connectViews();
  void connectScrolledViews();
  void buildMenus();
  // Places the controls for the client area's size: the pattern table and
  // the batter's view take what the window has beyond its first size.
  void layoutControls();
  void showCaption();
  // What the last run left: geometry, zooms, grid and its colour.
  void restoreSettings();
  void showSelectedTile();
  void showZoomState();
  ZoomView* zoomTarget() const;
  void picPatternTable_Arrow(int dx, int dy);
  void Form_Unload();
  // Leaves the history's listeners, once: at the unload or at the end.
  void stopListening();

  // Brings the labels (selected tile and metatile, swatches, pens) up to date.
  void showSubPalette();
  void showLabels();

  // Where the selected tile is used.
  void showUsage();
  void showStatus(const std::string& text);

  void picPatternTable_MouseDown(int button, int shift, int x, int y);
  void picPatternTable_MouseUp(int button, int shift, int x, int y);
  void picSelectedTile_MouseDown(int button, int shift, int x, int y);
  void picSelectedTile_MouseMove(int buttons, int shift, int x, int y);
  void picSelectedTile_MouseUp(int button, int shift, int x, int y);
  void lblnespal_tEdit_MouseDown(int index, int button);
  void cmdPrevPal_Click();
  void cmdNextPal_Click();
  void tileButton_Click(TileOperation operation);
  void hscr_meta_Change(int value);
  void pic_4x4metatile_MouseDown(int button, int shift, int x, int y);
  void pic_4x4metatile_MouseMove(int buttons, int shift, int x, int y);
  void picBatView_MouseDown(int button, int shift, int x, int y);
  // A press on the metatile's or the batter's view's cells.
  void cellPress(int button, int shift, int x, int y);
  // The pen that `buttons` paint with on the enlarged tile.
  int penOf(int buttons) const;
  void resetTools();
  void menuViewShowGrid_Click();
  void hscrGridColor_Change(int value);
  void lblnespal_tEdit_DblClick(int index);
  void menuEditImportTiles_Click();
  void menuViewShowUnused_Click();

  // The Tools menu and the Edit menu's items for copy and paste.
  void buildTools();
  // The Budget dock and View > Budget; the Tiles menu's bookkeeping.
  void buildBudget(QMenu* menuView);
  void restoreBudget();
  void buildTilesMenu();
  void runTileCommand(const char* step, const TileEdits::ScreenCommand& command);
  // What a command did, in the status bar and the Budget dock.
  void showCommandResult(const BookkeepingResult& result);
  void menuTilesReduce_Click();
  // A figure of the Budget dock was clicked: its tiles framed, the first
  // selected.
  void budgetLine_Chosen(TileScreen screen, BudgetLine line);
  void chooseTool(Tool tool);
  // The selection's frame and the paste's preview on the batter's view, and
  // the tool in the status bar.
  void showToolState();
  void picBatView_MouseMove(int buttons, int shift, int x, int y);
  // After a scroll: a paste's preview stays under the pointer, which stood
  // still.
  void followBatViewPointer();
  void menuEditCopy_Click();
  void menuEditPaste_Click();

  TileEditor tiles;
  EditHistory& history;
  TileEdits edits{tiles, history};
  // The grids the tools work on, and the tools.
  SelectedTilePixels tilePixels{tiles};
  ShownMetatileCells metatileCells{romImage, tiles};
  ImageGrid batViewCells = batViewGrid(romImage);
  GridTools tileTools{history, tilePixels};
  GridTools cellTools{history, metatileCells};
  // A paste's block as the batter's view shows it, while the paste is under
  // way; the batter's view cell under the pointer.
  PastePicture pastePicture;
  std::optional<std::pair<int, int>> pointerCell;
  UserDialogs& dialogs;
  QLabel* lblTileUsage = nullptr;
  BudgetPanel* dockBudget = nullptr;
  QAction* menuViewBudget = nullptr;
  QMenu* menuTiles = nullptr;
  QAction* menuTilesKeepTile0 = nullptr;
  QAction* menuViewShowUnused = nullptr;
  UndoItems undoItems;
  QMenu* menuEdit = nullptr;
  // The Tools menu and its items, in Tool's order; none for the sub-palette
  // brush.
  ToolMenu toolMenu;
  // Copy, Paste, Delete, Select All and Deselect.
  SelectionItems editItems;
  QLabel* lblTool = nullptr;
  QLabel* lblConsoleColours = nullptr;
  // The View menu's switches and zoom items.
  QAction* menuViewShowGrid = nullptr;
  QAction* menuViewConsoleColours = nullptr;
  ZoomItems zoomItems;

  QGroupBox* fraPatTbl = nullptr;
  QGroupBox* fraMetaEdit = nullptr;
  QGroupBox* fraBatEdit = nullptr;
  QLabel* lblSelTile = nullptr;
  QLabel* lbl_4selMeta = nullptr;
  std::array<QLabel*, 2> lblselectedcolor{};
  std::array<ClickableLabel*, 4> lblnespal_tEdit{};
  PictureSurface* picPatternTable = nullptr;
  PictureSurface* picSelectedTile = nullptr;
  PictureSurface* pic_4x4metatile = nullptr;
  PictureSurface* picBatView = nullptr;
  QScrollBar* hscr_meta = nullptr;
  QScrollBar* hscrGridColor = nullptr;
  std::vector<LineOverlay*> lineVert;
  std::vector<LineOverlay*> lineHoriz;
  // The zoomed pattern table and batter's view with their scroll bars,
  // shown while the picture is larger than its room.
  ZoomView* picPatternTableContainer = nullptr;
  ZoomView* picBatViewContainer = nullptr;
  QWidget* clientArea = nullptr;
  ZoomView* lastZoomView = nullptr;
  QString fileName;
  bool modified = false;
  bool unloaded_ = false;
  bool listening_ = true;  // the window and its pictures listen to the history
};

}  // namespace tarvo
