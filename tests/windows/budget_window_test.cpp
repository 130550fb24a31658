// The tile budget in the windows: the Budget dock, the Tiles menu, Ctrl+drag
// swaps, Show Uses and metatile colours. What the commands do is tested in
// the core; here, that each gesture and item reaches it.
#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "platform/budget_panel.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/field_renderer.h"
#include "screens/tile_budget.h"
#include "screens/tile_usage.h"
#include "screens/views.h"
#include "shell/rom_locations.h"
#include "window_fixture.h"

using namespace tarvo;

class BudgetWindowTest : public test::WindowFixture {
  Q_OBJECT

 public:
  BudgetWindowTest() : WindowFixture(Start::DemoLoaded) {}

 private:
  ByteArray tileBytes(int tile) {
    const auto at = romImage.begin() + rom::kFieldChrBank.offset + tile * 16;
    return {at, at + 16};
  }
  QString budgetText() { return alt()->budgetPanel()->text(); }
  // A Ctrl+drag from one cell of `view` to another.
  static void ctrlDrag(QWidget* view, QPoint from, QPoint to) {
    press(view, from.x(), from.y(), Qt::LeftButton, Qt::ControlModifier);
    moveTo(view, to.x(), to.y());
    release(view, to.x(), to.y(), Qt::LeftButton, Qt::ControlModifier);
  }

 private slots:
  void theBudgetDockFollowsEditsAndItsFiguresSelect() {
    openEditor(0);
    auto* dock = altChild<BudgetPanel>("dockBudget");
    QVERIFY(!dock->isVisible());
    QVERIFY(!altAction("menuViewBudget")->isChecked());
    altAction("menuViewBudget")->trigger();
    QVERIFY(dock->isVisible());
    QTRY_COMPARE(altChild("clientScroller")->width(), 470);
    QVERIFY(budgetText().contains("duplicate tiles: 0"));
    // A tile dragged onto another is a duplicate, live; undo takes it back.
    press(altChild("picPatternTable"), 3 * 16 + 4, 4);
    release(altChild("picPatternTable"), 4 * 16 + 4, 4);
    QCOMPARE(tileBytes(4), tileBytes(3));
    QVERIFY(budgetText().contains("duplicate tiles: 1"));
    // Its figure frames the duplicate and selects it.
    emit altChild<QLabel>("lblBudget")->linkActivated("field:2");
    QCOMPARE(altChild<PictureSurface>("picPatternTable")->highlights(),
             std::vector<SurfaceRect>{SurfaceRect({4 * 16, 0, 16, 16})});
    QCOMPARE(editor().selTile(), 4);
    altAction("menuEditUndo")->trigger();
    QVERIFY(budgetText().contains("duplicate tiles: 0"));
    // A figure of metatiles frames them in the main window's table.
    emit altChild<QLabel>("lblBudget")->linkActivated("field:4");
    const std::vector<int> unused =
        budgetMembers(romImage, TileScreen::Field, BudgetLine::MetatilesUnused);
    QCOMPARE(child<PictureSurface>("picMetaTable")->highlights().size(), unused.size());
    QCOMPARE(int{window->selectedMetatileNumber()}, unused.front());
  }

  void theTilesMenuAndCtrlDragsAreOneStepEach() {
    openEditor(0);
    const std::vector<Color> field = pixelsOf(window->mapPicture());
    const ByteArray before = romImage;
    ctrlDrag(altChild("picPatternTable"), {3 * 16 + 4, 4}, {4 * 16 + 4, 16 + 4});
    QCOMPARE(tileBytes(20), ByteArray(before.begin() + rom::kFieldChrBank.offset + 3 * 16,
                                      before.begin() + rom::kFieldChrBank.offset + 4 * 16));
    QCOMPARE(editor().selTile(), 20);
    QCOMPARE(pixelsOf(window->mapPicture()), field);
    QCOMPARE(QString::fromStdString(window->document().history().undoName()),
             QString("Swap Tiles"));
    altAction("menuTilesSortFrequency")->trigger();
    QVERIFY(alt()->statusBar()->currentMessage().startsWith("sorted 256 used tiles"));
    QCOMPARE(pixelsOf(window->mapPicture()), field);
    altAction("menuEditUndo")->trigger();
    altAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    // Reduce asks for the count, and does nothing when cancelled.
    altAction("menuTilesReduce")->trigger();
    QCOMPARE(romImage, before);
    dialogs->tileCount = 200;
    altAction("menuTilesReduce")->trigger();
    QCOMPARE(dialogs->tileCountScreens, std::vector<TileScreen>(2, TileScreen::Field));
    QCOMPARE(countBudget(romImage, TileScreen::Field).tilesUsed, 200);
    altAction("menuEditUndo")->trigger();
    // Ctrl+drag in the main window's table swaps two metatiles.
    ctrlDrag(child("picMetaTable"), {1 * 32 + 5, 5}, {2 * 32 + 5, 5});
    QCOMPARE(romImage[rom::kMetatileTable.offset + 2 * 16 + 7],
             before[rom::kMetatileTable.offset + 1 * 16 + 7]);
    QCOMPARE(int{window->selectedMetatileNumber()}, 2);
    QCOMPARE(pixelsOf(window->mapPicture()), field);
  }

  void showUsesFramesAndNextUseBringsEachIntoSight() {
    window->setViewZoom(child<PictureSurface>("picMapRenderDest"), 3);
    // A metatile of a few cells, far apart.
    int metatile = 0;
    while (usesOfMetatile(romImage, metatile).cells.size() < 3 ||
           usesOfMetatile(romImage, metatile).cells.size() > 30) {
      ++metatile;
    }
    pickMetatile(metatile);
    action("menuViewShowUses")->trigger();
    const Uses uses = usesOf(romImage, {UsesSubject::Kind::Metatile, metatile});
    QCOMPARE(child<PictureSurface>("picMapRenderDest")->highlights().size(), uses.cells.size());
    auto* map = child<ZoomView>("picMapContainer");
    for (std::size_t k = 0; k < uses.cells.size(); ++k) {
      action("menuEditNextUse")->trigger();
      const auto [column, row] = uses.cells[k];
      const SurfaceRect shown = map->visiblePixels();
      QVERIFY(shown.x <= column * 32 && column * 32 + 32 <= shown.x + shown.width);
      QVERIFY(shown.y <= row * 32 && row * 32 + 32 <= shown.y + shown.height);
      QVERIFY(window->statusBar()->currentMessage().contains(
          QString("use %1 of %2").arg(k + 1).arg(uses.cells.size())));
    }
    action("menuEditPreviousUse")->trigger();
    QVERIFY(window->statusBar()->currentMessage().contains(
        QString("use %1 of").arg(uses.cells.size() - 1)));
    // A tile of the batter's view selected in the editor: its cells there.
    openEditor(1);
    const int tile = romImage[rom::kBatViewNameTable.offset + 100];
    selectTile(tile);
    const Uses batView = usesOf(romImage, {UsesSubject::Kind::BatViewTile, tile});
    QVERIFY(!batView.cells.empty());
    QCOMPARE(altChild<PictureSurface>("picBatView")->highlights().size(), batView.cells.size());
    QVERIFY(child<PictureSurface>("picMapRenderDest")->highlights().empty());
    action("menuViewShowUses")->trigger();
    QVERIFY(altChild<PictureSurface>("picBatView")->highlights().empty());
  }

  void metatileColoursAsUsed() {
    action("menuViewColoursAsUsed")->trigger();
    BankGraphics graphics;
    loadBankGraphics(graphics, romImage, rom::kFieldChrBank, rom::kFieldPalette,
                     ColourMode::Editor);
    Surface asUsed(512, 512);
    drawMetatileTable(asUsed, romImage, graphics.surfaces, firstUseAttributes(romImage));
    QCOMPARE(pixelsOf(window->metatileTablePicture()), pixelsOf(asUsed));
    action("menuViewColoursSubPalette0")->trigger();
    expectEveryViewFresh();
  }

  // The Pick tool on the metatile editor's cells selects the cell's tile
  // and brings it into sight in the zoomed pattern table.
  void pickOnAMetatileCellSelectsItsTile() {
    openEditor(0, 5);
    alt()->setViewZoom(altChild<PictureSurface>("picPatternTable"), 4);
    QTest::keyClick(alt(), Qt::Key_I);
    click(altChild("pic_4x4metatile"), 3 * 32 + 5, 3 * 32 + 5);
    const int tile = romImage[rom::kMetatileTable.offset + 5 * 16 + 15];
    QCOMPARE(editor().selTile(), tile);
    const QRect cell = altChild<PictureSurface>("picPatternTable")
                           ->widgetRectOf({(tile % 16) * 16, (tile / 16) * 16, 16, 16});
    QWidget* table = altChild("picPatternTable");
    QVERIFY(altChild("picPatternTableContainer")->rect().contains(cell.translated(table->pos())));
  }
};

QTEST_MAIN(BudgetWindowTest)
#include "budget_window_test.moc"
