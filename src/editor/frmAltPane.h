// The graphics editor window: the tiles of one CHR bank with the pixel editor,
// and in mode 0 the metatile editor, in mode 1 the batter's view editor.
#pragma once

#include <QMainWindow>
#include <array>
#include <vector>

#include "editor/tile_editor.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace tarvo {

class ClickableLabel;
class LineOverlay;
class PictureSurface;

class frmAltPane : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmAltPane(QWidget* parent = nullptr);
  ~frmAltPane() override;

  // Sets the window up in mode `ap` at metatile `metaID` (see TileEditor).
  void initGUI(int ap, int metaID);

  void drawTileSheets();
  void redrawEditors();
  void redrawAll();

  const TileEditor& editor() const { return tiles; }

 signals:
  // After the window has written its bank back as it closes.
  void unloaded(int mode);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void Form_Unload();

  // Brings the labels (selected tile and metatile, swatches, pens) up to date.
  void showSubPalette();
  void showLabels();

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

  TileEditor tiles;

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
