// The graphics editor window: the tiles of one CHR bank with the pixel editor,
// and in mode 0 the metatile editor, in mode 1 the batter's view editor.
#pragma once

#include <QMainWindow>
#include <array>
#include <vector>

#include "editor/tile_editor.h"
#include "shell/edit_history.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace tarvo {

class ClickableLabel;
class LineOverlay;
class PictureSurface;
class UserDialogs;

class frmAltPane : public QMainWindow {
  Q_OBJECT

 public:
  // Edits are recorded in `history`, which the main window shares; `dialogs`
  // ask for files and colours.
  frmAltPane(EditHistory& history, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~frmAltPane() override;

  // Sets the window up in mode `ap` at metatile `metaID` (see TileEditor).
  void initGUI(int ap, int metaID);

  void drawTileSheets();
  void redrawEditors();
  void redrawAll();

  const TileEditor& editor() const { return tiles; }

  // The image changed under the window (an undo, say): read the bank again.
  void reloadImage();
  // The main window changed the map: where tiles are used may have changed.
  void refreshUsage();
  // The state of the shared history, for the Undo and Redo items.
  void showHistoryState();

 signals:
  // After the window has written its bank back as it closes.
  void unloaded(int mode);
  // Bytes of the image changed (a tile or a placement), in mode `mode`.
  void imageEdited(int mode);
  // A step was added to the history.
  void historyChanged();
  void undoRequested();
  void redoRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void Form_Unload();

  // Brings the labels (selected tile and metatile, swatches, pens) up to date.
  void showSubPalette();
  void showLabels();

  // Around every edit: the history step and the news for the other window.
  void beginEdit(const char* name);
  void endEdit();
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
  void picBatView_MouseDown(int button, int shift, int x, int y);
  void menuViewShowGrid_Click();
  void hscrGridColor_Change(int value);
  void lblnespal_tEdit_DblClick(int index);
  void menuEditImportTiles_Click();
  void menuViewShowUnused_Click();

  TileEditor tiles;
  EditHistory& history;
  UserDialogs& dialogs;
  QLabel* lblTileUsage = nullptr;
  QAction* menuViewShowUnused = nullptr;
  QAction* menuEditUndo = nullptr;
  QAction* menuEditRedo = nullptr;

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
  QAction* menuViewShowGrid = nullptr;
  bool unloaded_ = false;
};

}  // namespace tarvo
