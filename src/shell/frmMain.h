// The main window: the field map, the metatile picker, the selected metatile
// and the field palette, the menus, loading and saving.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/emulator_launcher.h"
#include "platform/menu_items.h"
#include "screens/block_picture.h"
#include "screens/field_views.h"
#include "screens/grid_tools.h"
#include "screens/map_editing.h"
#include "screens/picture_import.h"
#include "screens/tile_usage.h"
#include "shell/edit_history.h"
#include "shell/recovery.h"
#include "shell/rom_document.h"
#include "shell/versions.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QScrollBar;
class QTimer;
class QToolBar;

namespace tarvo {

class ClickableLabel;
class FileWatcher;
class frmAltPane;
class LineOverlay;
class PictureSurface;
class UserDialogs;
class ZoomView;

class frmMain : public QMainWindow, private EditHistory::Listener {
  Q_OBJECT

 public:
  // The client area's size on a first start; the window grows and shrinks
  // from there.
  static constexpr int kClientWidth = 808;
  static constexpr int kClientHeight = 727;

  explicit frmMain(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~frmMain() override;

  // "Tarvo-Field Editor v1.1.0": the program's title, from the build's version.
  const QString& title() const { return appTitle; }
  QString loadedPath() const { return QString::fromStdString(romDocument.path()); }
  // The image with its file and its edit history.
  const RomDocument& document() const { return romDocument; }
  // What Play in Emulator started.
  const EmulatorLauncher& emulatorLauncher() const { return emulator; }
  std::uint8_t selectedMetatileNumber() const { return selectedMetatile; }

  // Loads `path` as "Load Rom" does once a file has been chosen: on success
  // the caption names the file, every view is drawn, metatile 0 is selected
  // and "File loaded!" is shown; on failure a message gives the reason and
  // nothing else changes. Returns whether the image was loaded.
  bool loadRomFile(const QString& path);

  // Re-reads the palette, the CHR bank and the field data from romImage and
  // redraws every view of this window.
  void refreshGFX();

  // The edits of either window and their undos reach both windows' views
  // here, as the byte ranges that changed.
  void imageChanged(const std::vector<ByteRange>& ranges) override;
  void historyChanged() override;

  // Takes back the last edit of either window, or does it again; every view
  // of both windows shows the result.
  void undo();
  void redo();

  // "Load Rom" and "Exit" stay enabled; "Save Rom", "Edit" and "View" follow
  // `enabled`.
  void enableMenus(bool enabled);
  // The map, the picker and their scroll bars; a disabled view ignores the
  // pointer.
  void enableViews(bool enabled);

  void createGridLines();
  void showPalette();

  // View > Console Colours, in both windows: pixel value 0 of every
  // sub-palette in the palette's first colour, as the console shows it.
  void setConsoleColours(bool on);
  ColourMode colourMode() const { return field.colourMode(); }

  // The zoom of the field map or the metatile table (1 to 4). A zoom about
  // `anchor`, a point of the view's widget, keeps the picture pixel there in
  // place; without one, the middle of what shows stays.
  void setViewZoom(PictureSurface* view, int zoom, std::optional<QPointF> anchor = {});
  int mapZoom() const;
  int tableZoom() const;

  // Offers the recovery copies that sessions which ended unexpectedly left
  // behind: all of them, or only those of the file `onlyFor`.
  void offerRecoveries(const QString& onlyFor = {});
  // How long after the last edit the recovery copy is written (2 s).
  void setRecoveryDelay(int milliseconds);

  // Opens the one graphics editor window (creating it the first time) in mode
  // `ap` at metatile `metaID`, modeless.
  void openEditor(int ap, int metaID);
  // The editor window while it is open, else nullptr.
  frmAltPane* editorWindow() const;

  // The window's pictures, for the editor window and for tests.
  const Surface& mapPicture() const { return field.mapSurface; }
  const Surface& metatileTablePicture() const { return field.metaTableSurface; }
  const Surface& selectedMetatilePicture() const { return field.selMetaSurface; }

  // The map tools, their selection and a paste under way.
  const GridTools& tools() const { return mapTools; }
  // Chooses a tool as its key or item does: a drag under way ends first.
  void chooseTool(Tool tool);

 signals:
  // The graphics editor window is asked for: mode `ap` (0 metatile editor,
  // 1 batter's view editor) at metatile `metaID`.
  void editorRequested(int ap, int metaID);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildControls();
  // The parts of buildControls: the preview and the palette's swatches; the
  // pictures' signals and the scroll bars'.
  void buildPalette(QWidget* client);
  void connectViews();
  // Places the controls for the client area's size: the map takes what the
  // window has beyond its first size; everything below it keeps its size.
  void layoutControls();
  // The view the zoom items act on: the last one the pointer or the focus was
  // in, at first the map.
  ZoomView* zoomTarget() const;
  // The outline of the cell under the pointer and the mark of its quadrant.
  void showHoverCell(int x, int y);
  void showSelectedMetatile();
  void picMetaTable_Arrow(int dx, int dy);
  // Selects `metatile` and scrolls the table to show it.
  void selectAndShowMetatile(int metatile);

  // The tool bar, the Tools menu and the items of the Edit menu that work on
  // the selection.
  void buildTools();
  // The selection's frame, the paste's preview and the tool in the status
  // bar, after anything that may move them.
  void showToolState();
  // The sub-palette chooser's colours, from the field palette.
  void showSubPaletteColours();
  void menuEditCopy_Click();
  void menuEditPaste_Click();
  void menuEditDelete_Click();
  // After a scroll: the outline follows the pointer, which stood still.
  void followPointer();
  // The zoom items' state for the view they act on.
  void showZoomState();
  void shutEditor();
  void altPane_Unload(int mode);

  // Saves to the loaded file, asking first if another program changed it;
  // returns whether the image was saved.
  bool saveRom();
  // Before an action that would drop unsaved edits: asks whether to save
  // them. Returns false when the action must not go on.
  bool maybeSave();
  // After edits and saves: the Undo and Redo items and the caption's marker,
  // in both windows.
  void showHistoryState();
  void menuHelpAbout_Click();
  void menuFileExportImage_Click(int view);
  void menuFileExportPatch_Click();
  // File > Play in Emulator: the image as it is, in the emulator, from a
  // private copy.
  void menuFilePlayInEmulator_Click();
  // File > Export Preview ROM: the viewer image with this image's field and
  // batter's view.
  void menuFileExportPreviewRom_Click();
  // File > Import Picture as Field or as Batter's View: a PNG file fitted
  // to the view, shown with its figures, applied as one step.
  void menuFileImportPicture_Click(ImportTarget target);
  // Imports the picture file `path` as `target`, or, without one (a dropped
  // file), as the view its size is the size of.
  void importPictureFile(const QString& path, std::optional<ImportTarget> target);
  // An export never writes over the ROM image's own file: says so and
  // returns true when `path` is that file, under any of its names.
  bool refuseToOverwriteRom(const QString& path);
  void lblnespal_edit_DblClick(int index);
  void showStatus(const std::string& text);
  void buildMenus();
  void buildFileMenu();
  void buildEditMenu();
  void buildViewMenu();

  void menuFileLoadRom_Click();
  void menuViewFieldGrid_Click();
  void menuViewMetaGrid_Click();
  void menuViewQuadGrid_Click();
  // Console colours chosen in either window: kept in the settings too.
  void menuViewConsoleColours_Click(bool on);

  void picMapRenderDest_MouseDown(int button, int shift, int x, int y);
  void picMapRenderDest_MouseMove(int buttons, int shift, int x, int y);
  void picMapRenderDest_MouseUp(int button, int shift, int x, int y);
  void picMetaTable_MouseDown(int button, int shift, int x, int y);
  // A release with Ctrl over another metatile than the press's swaps the
  // two, the map following.
  void picMetaTable_MouseUp(int button, int shift, int x, int y);
  // View > Show Uses, Metatile Colours; Edit > Next Use and Previous Use.
  void buildUsesItems();
  void restoreUsesSettings();
  // What Show Uses and Next Use look for: the metatile selected here, or
  // the tile selected in the graphics editor.
  void setUsesSubject(UsesSubject subject);
  // The frames over the subject's uses, while Show Uses is on.
  void showUses();
  // Brings the next (1) or previous (-1) use into sight and marks it.
  void stepUse(int direction);
  // A budget figure's metatiles: framed in the table, the first selected.
  void showChosenMetatiles(const std::vector<int>& metatiles);
  void picMetaTable_DblClick();

  void showMessage(const QString& text);
  // "File loaded!" and "File saved!": a box until the user asks for no more,
  // then the status bar.
  void showFileMessage(const QString& text);
  // Help > Keyboard and Mouse, over `parent`.
  void showKeyboardAndMouse(QWidget* parent);
  void menuEditPreferences_Click();
  void buildRecentFiles();
  void showRecentFiles();
  // What the last run left: geometry, zooms, grids, folder, recent files.
  void restoreSettings();

  UserDialogs& dialogs;

  // Window state.
  QString appTitle;
  QString dialogDirectory;
  std::uint8_t selectedMetatile = 0;
  RomDocument romDocument{romImage};
  // The field map as a grid of cells, and the tools on it.
  ImageGrid fieldCells = fieldGrid(romImage);
  GridTools mapTools{romDocument.history(), fieldCells};
  // A paste's block as the field shows it, while the paste is under way.
  PastePicture pastePicture;
  // The map pixel under the pointer, while it is over the map.
  std::optional<MapCell> pointerCell;
  QPointer<frmAltPane> altPane;
  EmulatorLauncher emulator;

  // The field palette, the decoded tiles (tilePixels), the four palette
  // surfaces (picPatTbl, never shown), the map, the metatile table and the
  // selected metatile's preview.
  FieldViews field{romImage};

  // Controls, named as their object names. Each viewport holds its picture
  // and its scroll bars; the horizontal ones show only while the picture is
  // wider than its viewport.
  ZoomView* picMapContainer = nullptr;
  PictureSurface* picMapRenderDest = nullptr;
  QScrollBar* vscrMap = nullptr;
  ZoomView* PicMetaContainer = nullptr;
  PictureSurface* picMetaTable = nullptr;
  QScrollBar* vscrMetatiles = nullptr;
  QWidget* clientArea = nullptr;
  ZoomView* lastZoomView = nullptr;
  // Recovery copies of unsaved work (frmMain_recovery.cpp).
  void startRecovery();
  void scheduleRecovery();
  void writeRecovery();
  // The copy goes: a save, a discard, a clean exit, another file.
  void forgetRecovery();
  void offerRecovery(const RecoveryStore::Left& left);
  void restoreAsCopy(const RecoveryStore::Left& left);
  RecoveryStore recoveryStore{RecoveryStore::defaultFolder()};
  // Another program changed the loaded file: reloaded as one step when the
  // image has no unsaved edits, else the user is asked.
  void fileChangedOutside();
  FileWatcher* fileWatcher = nullptr;
  // Earlier versions of the files this window saves.
  VersionStore versionStore{RecoveryStore::defaultFolder() / "versions"};
  // Keeps the bytes a save replaced (`before`) as a version of the file.
  void keepVersion(const ByteArray& before);
  // File > Set Patch Base...: the clean ROM Export Patch starts from, kept
  // in the settings by this file's path with its SHA-1.
  void menuFileSetPatchBase_Click();
  // The base's bytes into `bytes` and its path; nothing without a base, or
  // with `reason` set when the base cannot be read or is another file now.
  std::optional<QString> patchBaseOf(ByteArray& bytes, std::string* reason) const;
  // File > Restore Earlier Version...
  void menuFileRestoreVersion_Click();
  QTimer* recoveryTimer = nullptr;
  int recoveryDelay = 2000;
  bool offeringRecovery = false;

  // What Show Uses shows, and which use Next Use brought into sight last.
  UsesSubject usesSubject;
  int useIndex = -1;
  // The metatile a press in the table was on, until the release.
  std::optional<int> metatileDragFrom;
  PictureSurface* picSelMeta = nullptr;
  std::array<ClickableLabel*, 32> lblnespal_edit{};
  std::vector<LineOverlay*> ln_fieldV;
  std::vector<LineOverlay*> ln_fieldH;
  std::vector<LineOverlay*> ln_metaSelV;
  std::vector<LineOverlay*> ln_metaSelH;
  std::vector<LineOverlay*> ln_quadV;
  std::vector<LineOverlay*> ln_quadH;

  QMenu* menuFile = nullptr;
  QMenu* menuEdit = nullptr;
  QMenu* menuView = nullptr;
  QMenu* menuFileRecent = nullptr;
  QAction* menuFileLoadRom = nullptr;
  QAction* menuFileSaveRom = nullptr;
  QAction* menuFileExit = nullptr;
  QAction* menuFileExportPatch = nullptr;
  QAction* menuFileRestoreVersion = nullptr;
  QAction* menuFileSetPatchBase = nullptr;
  QAction* menuFileExportPreviewRom = nullptr;
  QAction* menuFilePlayInEmulator = nullptr;
  QAction* menuFileImportField = nullptr;
  QAction* menuFileImportBatView = nullptr;
  UndoItems undoItems;
  QAction* menuEditTileData = nullptr;
  QAction* menuEditBatView = nullptr;
  QAction* menuViewFieldGrid = nullptr;
  QAction* menuViewMetaGrid = nullptr;
  QAction* menuViewQuadGrid = nullptr;
  QAction* menuViewConsoleColours = nullptr;
  QAction* menuViewShowUses = nullptr;
  QAction* menuViewColoursSubPalette0 = nullptr;
  QAction* menuViewColoursAsUsed = nullptr;
  QAction* menuEditNextUse = nullptr;
  QAction* menuEditPreviousUse = nullptr;
  ZoomItems zoomItems;
  QAction* menuHelpAbout = nullptr;
  // The Tools menu and its items, in Tool's order.
  ToolMenu toolMenu;
  std::array<QAction*, 4> subPaletteActions{};
  // Copy, Paste, Delete, Select All and Deselect.
  SelectionItems editItems;
  QToolBar* toolBar = nullptr;
  QToolBar* subPaletteBar = nullptr;
  QLabel* lblTool = nullptr;  // the status bar's tool and rectangle
  QLabel* lblConsoleColours = nullptr;
};

}  // namespace tarvo
