// Undo and redo across both windows, the unsaved-changes questions, the
// disk-change warning, dropped files and the status bars, on the real
// windows (offscreen).
#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include "demo/demo_rom.h"
#include "editor/frmAltPane.h"
#include "fake_dialogs.h"
#include "gfx/png_image.h"
#include "screens/views.h"
#include "shell/frmMain.h"
#include "shell/patches.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"
#include "window_driver.h"

using namespace tarvo;
using test::clickOn;
using test::pixelsOf;
using Answer = UserDialogs::SaveAnswer;

class WorkflowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir;
  std::unique_ptr<test::FakeDialogs> dialogs;
  std::unique_ptr<frmMain> window;
  QString demoPath;

  QWidget* mainControl(const char* name) { return test::named(window.get(), name); }
  QAction* mainAction(const char* name) { return test::named<QAction>(window.get(), name); }
  frmAltPane* alt() { return window->editorWindow(); }
  QWidget* altControl(const char* name) { return test::named(alt(), name); }
  QAction* altAction(const char* name) { return test::named<QAction>(alt(), name); }

  void openEditor(int mode) {
    window->openEditor(mode, 0);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
  }
  void choosePen(int slot, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(test::member(alt(), "lblnespal_tEdit", slot), button);
  }
  void selectTile(int tile) {
    clickOn(altControl("picPatternTable"), (tile % 16) * 16 + 3, (tile / 16) * 16 + 3);
  }

  // Every view of both windows shows the image as it is.
  void expectViewsShowTheImage() {
    QCOMPARE(pixelsOf(window->mapPicture()), pixelsOf(renderView(romImage, View::Field, 0)));
    if (alt() != nullptr) {
      const TileEditor& tiles = alt()->editor();
      TilePixels bank;
      decodeTiles(tiles.bank().offset, 256, bank, romImage);
      QCOMPARE(tiles.editTiles(), bank);
      if (tiles.paneMode() == 1) {
        QCOMPARE(pixelsOf(tiles.picBatView), pixelsOf(renderView(romImage, View::BatView, 0)));
      }
    }
  }

  QMimeData* droppedFile(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
  }
  void drop(const QString& path) {
    std::unique_ptr<QMimeData> data(droppedFile(path));
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (enter.isAccepted()) {
      QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                         Qt::NoModifier);
      QApplication::sendEvent(window.get(), &dropped);
    }
  }

 private slots:
  void init() {
    dir = std::make_unique<test::TempDir>();
    demoPath = QString::fromStdString((*dir / "demo.nes").string());
    test::writeFile(*dir / "demo.nes", makeDemoRom());
    dialogs = std::make_unique<test::FakeDialogs>();
    window = std::make_unique<frmMain>(*dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(window->loadRomFile(demoPath));
    dialogs->messages.clear();
  }

  void cleanup() {
    window.reset();
    dialogs.reset();
    dir.reset();
  }

  // Each kind of edit is one step; undo gives back the exact bytes, redo the
  // edited ones, and every view follows.
  void everyKindOfEditUndoesAndRedoes_data() {
    QTest::addColumn<QString>("edit");
    for (const char* edit :
         {"map press", "map stroke", "map stroke with a right click",
          "map stroke with a middle click", "sub-palette", "pixel stroke", "shift left",
          "shift right", "shift up", "shift down", "flip h", "flip v", "rotate", "tile copy",
          "metatile placement", "batter's view placement"}) {
      QTest::newRow(edit) << QString(edit);
    }
  }
  void everyKindOfEditUndoesAndRedoes() {
    QFETCH(QString, edit);
    QWidget* map = mainControl("picMapRenderDest");
    // A metatile that none of the cells edited below holds yet.
    int metatile = 0;
    auto inUse = [](int m) {
      for (int column = 0; column < 10; ++column) {
        if (romImage[static_cast<std::size_t>(rom::kFieldMap.offset + column)] == m) {
          return true;
        }
      }
      return romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2 * 24 + 1)] == m;
    };
    while (inUse(metatile)) {
      ++metatile;
    }
    clickOn(mainControl("picMetaTable"), (metatile % 16) * 32 + 3, (metatile / 16) * 32 + 3);
    const bool inBatView = edit == "batter's view placement" || edit == "tile copy";
    openEditor(inBatView ? 1 : 0);
    selectTile(0x21);
    choosePen(3);
    const ByteArray before = romImage;
    const std::map<QString, std::function<void()>> edits{
        {"map press", [&] { clickOn(map, 40, 70); }},
        {"map stroke",
         [&] {
           test::pressOn(map, 5, 5);
           for (int x = 40; x < 300; x += 32) {
             test::moveOn(map, x, 5);
           }
           test::releaseOn(map, 300, 5);
         }},
        // Only the left button's release ends a stroke: the right click steps
        // its quadrant within the same step, and the drag paints on.
        {"map stroke with a right click",
         [&] {
           test::pressOn(map, 5, 5);
           test::moveOn(map, 40, 5);
           test::pressOn(map, 45, 5, Qt::RightButton);
           test::releaseOn(map, 45, 5, Qt::RightButton);
           for (int x = 72; x < 300; x += 32) {
             test::moveOn(map, x, 5);
           }
           test::releaseOn(map, 300, 5);
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 9)]}, metatile);
           QVERIFY(romImage[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 1)] !=
                   before[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 1)]);
         }},
        {"map stroke with a middle click",
         [&] {
           test::pressOn(map, 5, 5);
           test::pressOn(map, 40, 5, Qt::MiddleButton);
           test::releaseOn(map, 40, 5, Qt::MiddleButton);
           test::moveOn(map, 72, 5);
           test::releaseOn(map, 72, 5);
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2)]}, metatile);
         }},
        {"sub-palette", [&] { clickOn(map, 100, 100, Qt::RightButton); }},
        {"pixel stroke",
         [&] {
           QWidget* tile = altControl("picSelectedTile");
           test::pressOn(tile, 2, 2);
           for (int x = 18; x < 128; x += 16) {
             test::moveOn(tile, x, 2 + x / 2);
           }
           test::releaseOn(tile, 120, 60);
         }},
        {"shift left",
         [&] {
           QTest::mouseClick(test::named<QPushButton>(alt(), "cmdShiftLeft"), Qt::LeftButton);
         }},
        {"shift right",
         [&] {
           QTest::mouseClick(test::named<QPushButton>(alt(), "cmdShiftRight"), Qt::LeftButton);
         }},
        {"shift up",
         [&] { QTest::mouseClick(test::named<QPushButton>(alt(), "cmdShiftUp"), Qt::LeftButton); }},
        {"shift down",
         [&] {
           QTest::mouseClick(test::named<QPushButton>(alt(), "cmdShiftDown"), Qt::LeftButton);
         }},
        {"flip h",
         [&] {
           QTest::mouseClick(test::named<QPushButton>(alt(), "cmdFlipHAxis"), Qt::LeftButton);
         }},
        {"flip v",
         [&] {
           QTest::mouseClick(test::named<QPushButton>(alt(), "cmdFlipVAxis"), Qt::LeftButton);
         }},
        {"rotate",
         [&] { QTest::mouseClick(test::named<QPushButton>(alt(), "cmdRotate"), Qt::LeftButton); }},
        {"tile copy",
         [&] {
           QWidget* table = altControl("picPatternTable");
           test::pressOn(table, 1 * 16 + 4, 2 * 16 + 4);
           test::releaseOn(table, 9 * 16 + 4, 12 * 16 + 4);
         }},
        {"metatile placement", [&] { clickOn(altControl("pic_4x4metatile"), 100, 10); }},
        {"batter's view placement", [&] { clickOn(altControl("picBatView"), 100, 50); }},
    };
    edits.at(edit)();
    const ByteArray after = romImage;
    QVERIFY(after != before);
    QCOMPARE(window->document().history().size(), std::size_t{1});
    QVERIFY(window->isWindowModified());
    expectViewsShowTheImage();

    // Undo from one window, redo from the other, and back.
    altAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    QVERIFY(!window->isWindowModified());
    expectViewsShowTheImage();
    mainAction("menuEditRedo")->trigger();
    QCOMPARE(romImage, after);
    expectViewsShowTheImage();
    mainAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    altAction("menuEditRedo")->trigger();
    QCOMPARE(romImage, after);
    QVERIFY(!mainAction("menuEditRedo")->isEnabled());
    QVERIFY(!altAction("menuEditRedo")->isEnabled());
  }

  // Ctrl+Z with the button still held takes back the stroke so far, in the
  // session's first stroke as in any later one, in both windows; earlier
  // steps stay done.
  void ctrlZDuringAStrokeIsTheSameInTheFirstStrokeAndLater_data() {
    QTest::addColumn<bool>("pixels");
    QTest::addColumn<bool>("earlier");
    QTest::newRow("map, first stroke") << false << false;
    QTest::newRow("map, after another edit") << false << true;
    QTest::newRow("pixels, first stroke") << true << false;
    QTest::newRow("pixels, after another edit") << true << true;
  }
  void ctrlZDuringAStrokeIsTheSameInTheFirstStrokeAndLater() {
    QFETCH(bool, pixels);
    QFETCH(bool, earlier);
    openEditor(0);
    selectTile(0x21);
    choosePen(3 - alt()->editor().editTiles()[0x21 * 64]);  // a slot the pixel lacks
    QWidget* map = mainControl("picMapRenderDest");
    const int metatile = 1 + romImage[static_cast<std::size_t>(rom::kFieldMap.offset)] % 100;
    clickOn(mainControl("picMetaTable"), (metatile % 16) * 32 + 3, (metatile / 16) * 32 + 3);
    if (earlier) {
      clickOn(map, 300, 300, Qt::RightButton);
    }
    const ByteArray before = romImage;
    QWidget* surface = pixels ? altControl("picSelectedTile") : map;
    QWidget* target = pixels ? static_cast<QWidget*>(alt()) : window.get();
    test::pressOn(surface, 2, 2);
    QVERIFY(romImage != before);
    QAction* undo = pixels ? altAction("menuEditUndo") : mainAction("menuEditUndo");
    QVERIFY(undo->isEnabled());
    target->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(target));
    QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(romImage, before);
    test::releaseOn(surface, 2, 2);
    expectViewsShowTheImage();
    QCOMPARE(window->document().history().size(), std::size_t{earlier ? 2U : 1U});
    QCOMPARE(window->document().history().index(), std::size_t{earlier ? 1U : 0U});
  }

  void aClickThatChangesNothingAddsNoStep() {
    openEditor(0);
    selectTile(3);
    const std::uint8_t slot = alt()->editor().editTiles()[3 * 64];
    choosePen(slot);
    clickOn(altControl("picSelectedTile"), 2, 2);  // the pixel already holds the slot
    clickOn(mainControl("picMapRenderDest"), 300, 300, Qt::MiddleButton);
    clickOn(mainControl("picMetaTable"), 3, 3);
    QCOMPARE(window->document().history().size(), std::size_t{0});
    QVERIFY(!window->isWindowModified());
    QVERIFY(!mainAction("menuEditUndo")->isEnabled());
  }

  // A long run of edits of every kind in both windows, undone and redone at
  // random, against the plainest model: the list of every state.
  void randomEditsInBothWindowsFollowTheModel() {
    openEditor(0);
    std::mt19937 random(7);
    std::vector<ByteArray> states{romImage};
    std::size_t index = 0;
    QWidget* map = mainControl("picMapRenderDest");
    for (int step = 0; step < 120; ++step) {
      const unsigned choice = random() % 9;
      const std::size_t stepsBefore = window->document().history().size();
      const std::size_t indexBefore = window->document().history().index();
      if (choice == 0) {
        clickOn(map, static_cast<int>(random() % 768), static_cast<int>(random() % 512));
      } else if (choice == 1) {
        clickOn(map, static_cast<int>(random() % 768), static_cast<int>(random() % 512),
                Qt::RightButton);
      } else if (choice == 2) {
        selectTile(static_cast<int>(random() % 256));
        choosePen(static_cast<int>(random() % 4));
        clickOn(altControl("picSelectedTile"), static_cast<int>(random() % 128),
                static_cast<int>(random() % 128));
      } else if (choice == 3) {
        static const char* kButtons[] = {"cmdShiftLeft", "cmdShiftRight", "cmdShiftUp",
                                         "cmdShiftDown", "cmdFlipHAxis",  "cmdFlipVAxis",
                                         "cmdRotate"};
        QTest::mouseClick(test::named<QPushButton>(alt(), kButtons[random() % 7]), Qt::LeftButton);
      } else if (choice == 4) {
        clickOn(altControl("pic_4x4metatile"), static_cast<int>(random() % 128),
                static_cast<int>(random() % 128));
      } else if (choice == 5 || choice == 6) {
        (random() % 2 == 0 ? mainAction("menuEditUndo") : altAction("menuEditUndo"))->trigger();
      } else {
        (random() % 2 == 0 ? mainAction("menuEditRedo") : altAction("menuEditRedo"))->trigger();
      }
      const EditHistory& history = window->document().history();
      if (choice <= 4) {
        if (history.size() != stepsBefore || history.index() != indexBefore) {
          states.resize(index + 1);
          states.push_back(romImage);
          ++index;
        }
      } else if (choice <= 6) {
        index -= index > 0 ? 1 : 0;
      } else {
        index += index + 1 < states.size() ? 1 : 0;
      }
      QCOMPARE(history.index(), index);
      QVERIFY2(romImage == states[index], qPrintable(QString("step %1").arg(step)));
    }
    expectViewsShowTheImage();
  }

  void theUnsavedMarkerFollowsSavesUndosAndRedos() {
    QVERIFY(!window->isWindowModified());
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    QVERIFY(window->isWindowModified());
    mainAction("menuFileSaveRom")->trigger();
    QVERIFY(!window->isWindowModified());
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    mainAction("menuEditUndo")->trigger();
    QVERIFY(window->isWindowModified());
    mainAction("menuEditRedo")->trigger();
    QVERIFY(!window->isWindowModified());  // back at the saved state
    QVERIFY(window->windowTitle().endsWith("[demo.nes][*]"));
  }

  // Each answer of the question, for each action that would drop edits.
  void unsavedEditsAreNeverDroppedWithoutAsking_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    for (const char* action : {"exit", "load", "drop"}) {
      for (const int answer : {0, 1, 2, 3}) {  // save, discard, cancel, save that fails
        QTest::newRow(QString("%1, answer %2").arg(action).arg(answer).toUtf8().constData())
            << QString(action) << answer;
      }
    }
  }
  void unsavedEditsAreNeverDroppedWithoutAsking() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    openEditor(1);
    selectTile(9);
    clickOn(altControl("picBatView"), 10, 10);  // an edit of the editor window
    const ByteArray edited = romImage;
    test::writeFile(*dir / "other.nes", test::randomBytes(rom::kMinImageSize, 5));
    const QString other = QString::fromStdString((*dir / "other.nes").string());
    if (answer == 3) {
      // The save fails: the file has become a folder.
      std::filesystem::remove(*dir / "demo.nes");
      std::filesystem::create_directory(*dir / "demo.nes");
      dialogs->confirmAnswers = {true};
    }
    dialogs->saveAnswers = {answer == 1   ? Answer::Discard
                            : answer == 2 ? Answer::Cancel
                                          : Answer::Save};
    dialogs->files << other;
    if (action == "exit") {
      mainAction("menuFileExit")->trigger();
    } else if (action == "load") {
      mainAction("menuFileLoadRom")->trigger();
    } else {
      drop(other);
    }
    QCOMPARE(dialogs->questions.size(), std::size_t{answer == 3 ? 2u : 1u});
    QCOMPARE(dialogs->questions[0].title, window->title());
    QCOMPARE(dialogs->questions[0].text, QString("Save changes to demo.nes?"));
    const bool goesOn = answer == 0 || answer == 1;
    if (answer == 0) {
      QCOMPARE(test::readFile(*dir / "demo.nes"), edited);
    } else if (answer == 1) {
      QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
    }
    if (action == "exit") {
      QCOMPARE(window->isVisible(), !goesOn);
    } else {
      QCOMPARE(window->loadedPath(), goesOn ? other : demoPath);
      QCOMPARE(romImage, goesOn ? test::readFile(*dir / "other.nes") : edited);
    }
    if (!goesOn) {
      QVERIFY(window->isWindowModified());
      QVERIFY(alt() != nullptr);  // everything as it was
    }
  }

  // A save, or a question answered Cancel, in the middle of a map drag: what
  // the drag does after it is still recorded, so nothing can be dropped
  // without asking and undoing everything gives back the file.
  void aStrokeGoesOnBeingRecordedAfterASaveOrAQuestion_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("save") << true;
    QTest::newRow("question cancelled") << false;
  }
  void aStrokeGoesOnBeingRecordedAfterASaveOrAQuestion() {
    QFETCH(bool, save);
    QWidget* map = mainControl("picMapRenderDest");
    clickOn(map, 300, 300);  // an edit before the drag
    test::pressOn(map, 10, 10);
    if (save) {
      mainAction("menuFileSaveRom")->trigger();
    } else {
      dialogs->saveAnswers = {Answer::Cancel};
      mainAction("menuFileExit")->trigger();
    }
    test::moveOn(map, 100, 10);
    test::moveOn(map, 200, 10);
    test::releaseOn(map, 200, 10);
    QVERIFY(window->isWindowModified());
    const EditHistory& history = window->document().history();
    while (history.canUndo()) {
      mainAction("menuEditUndo")->trigger();
    }
    QCOMPARE(romImage, makeDemoRom());
    while (history.canRedo()) {
      mainAction("menuEditRedo")->trigger();
    }
    dialogs->saveAnswers = {Answer::Cancel};
    QVERIFY(!window->close());  // unsaved: asked, and cancelled
  }

  // The editor window's word on where the selected tile is used, and the
  // crosses over unused tiles, follow every edit of either window.
  void tileUsageFollowsEveryEdit_data() {
    QTest::addColumn<QString>("edit");
    QTest::newRow("map stroke") << "map stroke";
    QTest::newRow("metatile placement") << "metatile placement";
    QTest::newRow("batter's view placement") << "batter's view placement";
  }
  void tileUsageFollowsEveryEdit() {
    QFETCH(QString, edit);
    auto usage = [&] { return test::named<QLabel>(alt(), "lblTileUsage"); };
    if (edit == "map stroke") {
      openEditor(0);
      const int metatile = window->selectedMetatileNumber();
      selectTile(romImage[static_cast<std::size_t>(rom::kMetatileTable.offset + metatile * 16)]);
      test::pressOn(mainControl("picMapRenderDest"), 5, 5);
      for (int x = 40; x < 760; x += 32) {
        test::moveOn(mainControl("picMapRenderDest"), x, 5);
      }
      test::releaseOn(mainControl("picMapRenderDest"), 760, 5);
      QCOMPARE(usage()->text(), QString::fromStdString(alt()->editor().usageText()));
      QVERIFY(usage()->text().contains("field map cell"));
      return;
    }
    const bool batView = edit == "batter's view placement";
    openEditor(batView ? 1 : 0);
    altAction("menuViewShowUnused")->trigger();
    // The demo's batter's view leaves tiles unused; its field uses every
    // tile, so there a tile the first metatile cell lacks is placed.
    const auto used = alt()->editor().usedTiles();
    const auto firstCell = romImage[static_cast<std::size_t>(rom::kMetatileTable.offset)];
    const int tile =
        batView ? static_cast<int>(std::find(used.begin(), used.end(), false) - used.begin())
                : (firstCell + 1) % 256;
    QVERIFY(tile < 256);
    selectTile(tile);
    const QString before = usage()->text();
    const QPoint corner((tile % 16) * 16, (tile / 16) * 16);
    const Color crossed = alt()->editor().picPatternTable.pixel(corner.x(), corner.y());
    clickOn(altControl(batView ? "picBatView" : "pic_4x4metatile"), 3, 3);
    QCOMPARE(usage()->text(), QString::fromStdString(alt()->editor().usageText()));
    QVERIFY(usage()->text() != before);
    if (batView) {
      QVERIFY(usage()->text().contains("in 1 cell "));
      QVERIFY(alt()->editor().picPatternTable.pixel(corner.x(), corner.y()) != crossed);
    }
  }

  void theCloseBoxAsksToo() {
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    dialogs->saveAnswers = {Answer::Cancel};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    dialogs->saveAnswers = {Answer::Discard};
    QVERIFY(window->close());
  }

  void noQuestionWithoutUnsavedEdits() {
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    mainAction("menuEditUndo")->trigger();  // back to the file's state
    QVERIFY(window->close());
    QVERIFY(dialogs->questions.empty());
  }

  void aFileChangedOnDiskIsNotOverwrittenWithoutAsking() {
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    ByteArray theirs = makeDemoRom();
    theirs[100] ^= 0xFF;
    test::writeFile(*dir / "demo.nes", theirs);
    dialogs->confirmAnswers = {false};
    mainAction("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->questions.size(), std::size_t{1});
    QCOMPARE(dialogs->questions[0].text,
             QString("demo.nes has changed on disk since it was loaded or last saved.\n\n"
                     "Overwrite it with the image in the editor?"));
    QCOMPARE(test::readFile(*dir / "demo.nes"), theirs);
    QVERIFY(window->isWindowModified());
    dialogs->confirmAnswers = {true};
    mainAction("menuFileSaveRom")->trigger();
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    QVERIFY(!window->isWindowModified());
    // Saved by us: no question the next time.
    clickOn(mainControl("picMapRenderDest"), 100, 70);
    mainAction("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->questions.size(), std::size_t{2});
  }

  void aDroppedRomOpensAndOtherFilesAreRefused() {
    test::writeFile(*dir / "other.NES", test::randomBytes(rom::kMinImageSize, 9));
    test::writeFile(*dir / "notes.txt", test::randomBytes(rom::kMinImageSize, 9));
    drop(QString::fromStdString((*dir / "notes.txt").string()));
    QCOMPARE(window->loadedPath(), demoPath);
    drop(QString::fromStdString((*dir / "other.NES").string()));
    QCOMPARE(window->loadedPath(), QString::fromStdString((*dir / "other.NES").string()));
    QCOMPARE(romImage, test::readFile(*dir / "other.NES"));
    QCOMPARE(dialogs->messages.back().text, QString("File loaded!"));
  }

  void aNewImageStartsANewHistory() {
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    dialogs->saveAnswers = {Answer::Discard};
    dialogs->files << demoPath;
    mainAction("menuFileLoadRom")->trigger();
    QCOMPARE(window->document().history().size(), std::size_t{0});
    QVERIFY(!mainAction("menuEditUndo")->isEnabled());
  }

  void shortcutsAndAbout() {
    const std::vector<std::pair<const char*, QList<QKeySequence>>> shortcuts{
        {"menuFileLoadRom", {QKeySequence("Ctrl+O")}},
        {"menuFileSaveRom", {QKeySequence("Ctrl+S")}},
        {"menuFileExit", {QKeySequence("Ctrl+Q")}},
        {"menuEditUndo", {QKeySequence("Ctrl+Z")}},
        {"menuEditRedo", {QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}},
    };
    for (const auto& [name, keys] : shortcuts) {
      QCOMPARE(mainAction(name)->shortcuts(), keys);
    }
    QCOMPARE(mainAction("menuFileLoadRom")->text(), QString("Load Rom"));
    mainAction("menuHelpAbout")->trigger();
    QCOMPARE(dialogs->messages.back().title, QString("Tarvo-Field Editor v1.1.0"));
    QVERIFY(dialogs->messages.back().text.contains("Version 1.1.0"));
  }

  void theStatusBarsTellWhereThePointerIs() {
    // Qt drops a move to where the pointer already is: come from elsewhere.
    test::moveOn(mainControl("picMapRenderDest"), 300, 300);
    test::moveOn(mainControl("picMapRenderDest"), 40, 70);
    QVERIFY(window->statusBar()->currentMessage().startsWith("Column 01, row 02  |  metatile "));
    QVERIFY(
        window->statusBar()->currentMessage().endsWith("map byte 0x8041, attribute byte 0x8281"));
    // An edit shows at once, without a move of the pointer.
    const auto attribute = static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 2 * 24 + 1);
    const int subPalette = romImage[attribute] & 3;
    clickOn(mainControl("picMapRenderDest"), 40, 70, Qt::RightButton);
    QVERIFY2(window->statusBar()->currentMessage().contains(
                 QString("top left sub-palette %1").arg((subPalette + 1) & 3)),
             qPrintable(window->statusBar()->currentMessage()));
    clickOn(mainControl("picMetaTable"), 4 * 32 + 3, 3);  // metatile 04
    clickOn(mainControl("picMapRenderDest"), 40, 70);
    QVERIFY(window->statusBar()->currentMessage().contains("metatile 04"));
    test::moveOn(mainControl("picMetaTable"), 151, 101);
    test::moveOn(mainControl("picMetaTable"), 150, 100);
    QCOMPARE(window->statusBar()->currentMessage(), QString("Metatile 34  |  defined at 0x87D0"));
    openEditor(1);
    test::moveOn(altControl("picPatternTable"), 36, 249);
    test::moveOn(altControl("picPatternTable"), 37, 250);
    QCOMPARE(alt()->statusBar()->currentMessage(), QString("Tile F2  |  bytes at 0x17F30"));
    test::moveOn(altControl("picBatView"), 101, 51);
    test::moveOn(altControl("picBatView"), 100, 50);
    QVERIFY(alt()->statusBar()->currentMessage().endsWith("byte at 0x10DC"));
  }
  // A double-click on a swatch chooses a colour: one undo step, and every
  // view of both windows shows it.
  void aSwatchDoubleClickChangesThePalette() {
    openEditor(1);
    auto doubleClick = [](QWidget* swatch) {
      QTest::mouseDClick(swatch, Qt::LeftButton);
      QTest::mouseRelease(swatch, Qt::LeftButton);
    };
    const ByteArray before = romImage;
    const auto field = static_cast<std::size_t>(rom::kFieldPalette.offset);
    dialogs->colourAnswers = {0x21};
    doubleClick(test::member(window.get(), "lblnespal_edit", 5));
    QCOMPARE(dialogs->colourCurrents.back(), int{before[field + 5]});
    QCOMPARE(int{romImage[field + 5]}, 0x21);
    QCOMPARE(
        test::member<QLabel>(window.get(), "lblnespal_edit", 5)->palette().color(QPalette::Window),
        QColor(redOf(colorTable[0x21]), greenOf(colorTable[0x21]), blueOf(colorTable[0x21])));
    expectViewsShowTheImage();

    // In the editor window: slot 2 of sub-palette 1 of the batter's view palette.
    QTest::mouseClick(test::named<QPushButton>(alt(), "cmdNextPal"), Qt::LeftButton);
    const auto batView = static_cast<std::size_t>(rom::kBatViewPalette.offset);
    dialogs->colourAnswers = {0x16};
    doubleClick(test::member(alt(), "lblnespal_tEdit", 2));
    QCOMPARE(int{romImage[batView + 6]}, 0x16);
    QCOMPARE(alt()->editor().swatchColour(2), colorTable[0x16]);
    expectViewsShowTheImage();
    QCOMPARE(window->document().history().size(), std::size_t{2});

    // Cancelled, or the colour it already has: no step.
    dialogs->colourAnswers = {-1, 0x16};
    doubleClick(test::member(alt(), "lblnespal_tEdit", 2));
    doubleClick(test::member(alt(), "lblnespal_tEdit", 2));
    QCOMPARE(window->document().history().size(), std::size_t{2});

    mainAction("menuEditUndo")->trigger();
    mainAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    QCOMPARE(alt()->editor().swatchColour(2), colorTable[before[batView + 6] & 63]);
    expectViewsShowTheImage();
    // Entries 16 to 31 come from nowhere: no chooser.
    doubleClick(test::member(window.get(), "lblnespal_edit", 20));
    QCOMPARE(dialogs->colourCurrents.size(), std::size_t{4});
  }

  void exportImageWritesTheViewsPictures() {
    const std::vector<std::pair<const char*, View>> items{
        {"menuFileExportField", View::Field},
        {"menuFileExportMetatiles", View::Metatiles},
        {"menuFileExportBatView", View::BatView},
        {"menuFileExportFieldChr", View::FieldChr},
        {"menuFileExportBatViewChr", View::BatViewChr},
    };
    for (const auto& [item, view] : items) {
      const auto path = *dir / "picture.png";
      dialogs->saveFiles << QString::fromStdString(path.string());
      mainAction(item)->trigger();
      ByteArray expected;
      QVERIFY(encodeViewPng(romImage, view, 0, expected));
      QCOMPARE(test::readFile(path), expected);
    }
    QCOMPARE(dialogs->suggestedNames.front(), QString("demo-field.png"));

    // No export writes over the image's own file, under any name, nor a
    // picture under a name that is not a PNG's.
    std::filesystem::create_symlink("demo.nes", *dir / "link.png");
    std::filesystem::create_symlink("demo.nes", *dir / "link.ips");
    const std::vector<std::pair<const char*, const char*>> refused{
        {"menuFileExportField", "link.png"},
        {"menuFileExportField", "picture.jpg"},
        {"menuFileExportPatch", "link.ips"},
    };
    for (const auto& [item, name] : refused) {
      dialogs->saveFiles << QString::fromStdString((*dir / name).string());
      mainAction(item)->trigger();
      QVERIFY2(dialogs->messages.back().text.startsWith(QString(name) + " was not written."),
               qPrintable(dialogs->messages.back().text));
    }
    QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
    QVERIFY(!std::filesystem::exists(*dir / "picture.jpg"));
  }

  void exportPatchTurnsTheLoadedFileIntoTheImage() {
    clickOn(mainControl("picMapRenderDest"), 40, 70, Qt::RightButton);
    openEditor(0);
    selectTile(3);
    choosePen(3);
    clickOn(altControl("picSelectedTile"), 100, 100);
    mainAction("menuFileSaveRom")->trigger();  // the patch still starts from the file as loaded
    for (const char* name : {"edits.ips", "edits.bps"}) {
      dialogs->saveFiles << QString::fromStdString((*dir / name).string());
      mainAction("menuFileExportPatch")->trigger();
      ByteArray result;
      std::string reason;
      QVERIFY2(applyPatch(test::readFile(*dir / name), makeDemoRom(), result, &reason),
               reason.c_str());
      QCOMPARE(result, romImage);
    }
    dialogs->saveFiles << QString::fromStdString((*dir / "edits.txt").string());
    mainAction("menuFileExportPatch")->trigger();
    QCOMPARE(dialogs->messages.back().text,
             QString("edits.txt was not written.\n\nA patch's name ends in .ips or .bps."));
    QVERIFY(!std::filesystem::exists(*dir / "edits.txt"));
  }

  void importTilesIsOneStepAndRefusesWhatDoesNotFit() {
    openEditor(1);
    // A picture of other tiles: the bank of a random image, in its palette.
    ByteArray other = romImage;
    const ByteArray noise = test::randomBytes(4096, 77);
    std::copy(noise.begin(), noise.end(), other.begin() + rom::kBatViewChrBank.offset);
    ByteArray png;
    QVERIFY(encodeViewPng(other, View::BatViewChr, 0, png));
    test::writeFile(*dir / "tiles.png", png);
    test::writeFile(*dir / "broken.png", ByteArray(50, 1));
    const ByteArray before = romImage;

    dialogs->files << QString::fromStdString((*dir / "broken.png").string());
    test::named<QAction>(alt(), "menuEditImportTiles")->trigger();
    QVERIFY(dialogs->messages.back().text.startsWith("broken.png was not imported."));
    QCOMPARE(romImage, before);

    dialogs->files << QString::fromStdString((*dir / "tiles.png").string());
    test::named<QAction>(alt(), "menuEditImportTiles")->trigger();
    QCOMPARE(romImage, other);
    expectViewsShowTheImage();
    QCOMPARE(window->document().history().size(), std::size_t{1});
    altAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    expectViewsShowTheImage();
  }

  void unusedTilesAreMarkedOnThePatternTable() {
    openEditor(1);  // the demo's batter's view leaves some tiles unused
    const auto used = alt()->editor().usedTiles();
    const auto unused = std::find(used.begin(), used.end(), false);
    QVERIFY(unused != used.end());
    const int tile = static_cast<int>(unused - used.begin());
    const Surface before = alt()->editor().picPatternTable;
    altAction("menuViewShowUnused")->trigger();
    const Surface& marked = alt()->editor().picPatternTable;
    QVERIFY(marked.pixel((tile % 16) * 16, (tile / 16) * 16) !=
            before.pixel((tile % 16) * 16, (tile / 16) * 16));
    altAction("menuViewShowUnused")->trigger();
    QCOMPARE(pixelsOf(alt()->editor().picPatternTable), pixelsOf(before));
    selectTile(tile);
    QCOMPARE(test::named<QLabel>(alt(), "lblTileUsage")->text(),
             QString::fromStdString("Tile " + hexLabel(static_cast<std::uint8_t>(tile)) +
                                    ": in 0 cells of the batter's view"));
  }
};

QTEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
