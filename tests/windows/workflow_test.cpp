// Undo and redo across both windows, the unsaved-changes questions, the
// disk-change warning, dropped files and the status bars, on the real
// windows (offscreen).
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include "demo/demo_rom.h"
#include "gfx/png_image.h"
#include "platform/clickable_label.h"
#include "platform/help_window.h"
#include "platform/line_overlay.h"
#include "platform/picture_import_dialog.h"
#include "platform/picture_surface.h"
#include "screens/views.h"
#include "shell/frmMain.h"
#include "shell/patches.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "support/test_pictures.h"
#include "test_support.h"
#include "window_fixture.h"

using namespace tarvo;
using Answer = UserDialogs::SaveAnswer;

class WorkflowTest : public test::WindowFixture {
  Q_OBJECT

 public:
  WorkflowTest() : WindowFixture(Start::DemoLoaded) {}

 private:
  void writePicture(const char* name, const std::vector<Color>& pixels, int width, int height) {
    Surface surface(width, height);
    std::copy(pixels.begin(), pixels.end(), surface.pixels());
    ByteArray png;
    QVERIFY(encodePng(surface, png));
    test::writeFile(*dir / name, png);
  }
  // File > Import Picture of a picture the console cannot show as it is,
  // applied with the options the dialog had: the bytes are the core's fit.
  void importPicture(ImportTarget target) {
    const bool field = target == ImportTarget::Field;
    const std::vector<Color> picture = demo::makeTestPicture(
        demo::TestPicture::Stadium, importWidth(target), importHeight(target));
    writePicture("stadium.png", picture, importWidth(target), importHeight(target));
    ImportOptions options;
    options.sharedBackground = field;
    dialogs->importAnswer = options;
    dialogs->files << pathIn("stadium.png");
    ByteArray expected = romImage;
    applyFittedPicture(*fitPicture(romImage, target, picture, options), expected);
    action(field ? "menuFileImportField" : "menuFileImportBatView")->trigger();
    QCOMPARE(romImage, expected);
    QCOMPARE(
        action("menuEditUndo")->text().remove('&'),
        QString(field ? "Undo Import Picture as Field" : "Undo Import Picture as Batter's View"));
    QVERIFY(window->statusBar()->currentMessage().startsWith("Imported stadium.png: PSNR "));
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
  // Each kind of edit is one step; undo gives back the exact bytes, redo the
  // edited ones, and every view follows.
  void everyKindOfEditUndoesAndRedoes_data() {
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"map press",
                             "map stroke",
                             "map stroke with a right click",
                             "map stroke with a middle click",
                             "sub-palette",
                             "pixel stroke",
                             "shift left",
                             "shift right",
                             "shift up",
                             "shift down",
                             "flip h",
                             "flip v",
                             "rotate",
                             "tile copy",
                             "metatile placement",
                             "batter's view placement",
                             "fill",
                             "sub-palette brush",
                             "delete",
                             "paste",
                             "tool chosen mid-drag",
                             "tile fill",
                             "tile paste",
                             "batter's view fill",
                             "batter's view delete",
                             "batter's view paste",
                             "import picture as field",
                             "import picture as batter's view"}) {
      QTest::newRow(edit) << QString(edit);
    }
  }
  void everyKindOfEditUndoesAndRedoes() {
    QFETCH(QString, edit);
    QWidget* map = child("picMapRenderDest");
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
    pickMetatile(metatile);
    const bool inBatView = edit.contains("batter's view") || edit == "tile copy";
    openEditor(inBatView ? 1 : 0);
    selectTile(0x21);
    choosePen(3);
    const ByteArray before = romImage;
    auto tileBytesOf = [](int tile) {
      TileBytes bytes{};
      std::copy_n(romImage.begin() + rom::kFieldChrBank.offset + tile * rom::kTileBytes,
                  bytes.size(), bytes.begin());
      return bytes;
    };
    const std::map<QString, std::function<void()>> edits{
        {"map press", [&] { click(map, 40, 70); }},
        {"map stroke",
         [&] {
           press(map, 5, 5);
           for (int x = 40; x < 300; x += 32) {
             moveTo(map, x, 5);
           }
           release(map, 300, 5);
         }},
        // Only the left button's release ends a stroke: the right click steps
        // its quadrant within the same step, and the drag paints on.
        {"map stroke with a right click",
         [&] {
           press(map, 5, 5);
           moveTo(map, 40, 5);
           press(map, 45, 5, Qt::RightButton);
           release(map, 45, 5, Qt::RightButton);
           for (int x = 72; x < 300; x += 32) {
             moveTo(map, x, 5);
           }
           release(map, 300, 5);
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 9)]}, metatile);
           QVERIFY(romImage[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 1)] !=
                   before[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 1)]);
         }},
        {"map stroke with a middle click",
         [&] {
           press(map, 5, 5);
           press(map, 40, 5, Qt::MiddleButton);
           release(map, 40, 5, Qt::MiddleButton);
           moveTo(map, 72, 5);
           release(map, 72, 5);
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2)]}, metatile);
         }},
        {"sub-palette", [&] { click(map, 100, 100, Qt::RightButton); }},
        {"pixel stroke",
         [&] {
           QWidget* tile = altChild("picSelectedTile");
           press(tile, 2, 2);
           for (int x = 18; x < 128; x += 16) {
             moveTo(tile, x, 2 + x / 2);
           }
           release(tile, 120, 60);
         }},
        {"shift left", [&] { clickButton("cmdShiftLeft"); }},
        {"shift right", [&] { clickButton("cmdShiftRight"); }},
        {"shift up", [&] { clickButton("cmdShiftUp"); }},
        {"shift down", [&] { clickButton("cmdShiftDown"); }},
        {"flip h", [&] { clickButton("cmdFlipHAxis"); }},
        {"flip v", [&] { clickButton("cmdFlipVAxis"); }},
        {"rotate", [&] { clickButton("cmdRotate"); }},
        {"tile copy",
         [&] {
           QWidget* table = altChild("picPatternTable");
           press(table, 1 * 16 + 4, 2 * 16 + 4);
           release(table, 9 * 16 + 4, 12 * 16 + 4);
         }},
        {"metatile placement", [&] { click(altChild("pic_4x4metatile"), 100, 10); }},
        {"batter's view placement", [&] { click(altChild("picBatView"), 100, 50); }},
        // The map tools, chosen as their keys and items choose them.
        {"fill",
         [&] {
           action("toolFill")->trigger();
           click(map, 300, 300);
         }},
        {"sub-palette brush",
         [&] {
           action("toolSubPalette")->trigger();
           member<QAction>(
               "toolSubPaletteChoice",
               1 + romImage[static_cast<std::size_t>(rom::kFieldAttributeMap.offset)] % 3)
               ->trigger();
           press(map, 5, 5);
           moveTo(map, 700, 500);
           release(map, 700, 500);
         }},
        {"delete",
         [&] {
           action("toolSelect")->trigger();
           press(map, 5, 5);
           moveTo(map, 100, 70);
           release(map, 100, 70);
           action("menuEditDelete")->trigger();
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2 * 24 + 3)]},
                    metatile);
         }},
        {"paste",
         [&] {
           action("toolSelect")->trigger();
           press(map, 300, 300);
           moveTo(map, 400, 350);
           release(map, 400, 350);
           action("menuEditCopy")->trigger();
           action("menuEditPaste")->trigger();
           moveTo(map, 40, 40);
           click(map, 40, 40);
           action("menuEditDeselect")->trigger();  // Esc: the paste ends
           QVERIFY(!window->tools().pasting());
         }},
        // The editor window's tools.
        {"tile fill",
         [&] {
           altAction("toolFill")->trigger();
           click(altChild("picSelectedTile"), 70, 70);
         }},
        {"tile paste",
         [&] {
           altAction("menuEditCopy")->trigger();
           const TileBytes copied = editor().selectedTileBytes();
           int other = 0x22;
           while (tileBytesOf(other) == copied) {
             ++other;
           }
           selectTile(other);
           altAction("menuEditPaste")->trigger();
           QCOMPARE(editor().selectedTileBytes(), copied);
         }},
        {"batter's view fill",
         [&] {
           altAction("toolFill")->trigger();
           click(altChild("picBatView"), 100, 50);
         }},
        {"batter's view delete",
         [&] {
           altAction("toolSelect")->trigger();
           press(altChild("picBatView"), 20, 20);
           moveTo(altChild("picBatView"), 90, 60);
           release(altChild("picBatView"), 90, 60);
           QCOMPARE(*alt()->tools().selection(), (CellRect{2, 2, 10, 6}));
           altAction("menuEditDelete")->trigger();
         }},
        {"batter's view paste",
         [&] {
           altAction("toolSelect")->trigger();
           press(altChild("picBatView"), 100, 100);
           moveTo(altChild("picBatView"), 150, 130);
           release(altChild("picBatView"), 150, 130);
           altAction("menuEditCopy")->trigger();
           altAction("menuEditPaste")->trigger();
           moveTo(altChild("picBatView"), 20, 20);
           click(altChild("picBatView"), 20, 20);
           altAction("menuEditDeselect")->trigger();
           QVERIFY(!alt()->tools().pasting());
         }},
        {"import picture as field", [&] { importPicture(ImportTarget::Field); }},
        {"import picture as batter's view", [&] { importPicture(ImportTarget::BatView); }},
        // A tool's key during a drag ends the drag: one step, and the moves
        // after it paint nothing.
        {"tool chosen mid-drag",
         [&] {
           press(map, 5, 5);
           moveTo(map, 40, 5);
           action("toolFill")->trigger();
           moveTo(map, 72, 5);
           release(map, 72, 5);
           QCOMPARE(int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 1)]}, metatile);
           QVERIFY(romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2)] !=
                   static_cast<std::uint8_t>(metatile));
         }},
    };
    edits.at(edit)();
    const ByteArray after = romImage;
    QVERIFY(after != before);
    QCOMPARE(window->document().history().size(), std::size_t{1});
    QVERIFY(window->isWindowModified());
    expectEveryViewFresh();

    // Undo from one window, redo from the other, and back.
    altAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    QVERIFY(!window->isWindowModified());
    expectEveryViewFresh();
    action("menuEditRedo")->trigger();
    QCOMPARE(romImage, after);
    expectEveryViewFresh();
    action("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    altAction("menuEditRedo")->trigger();
    QCOMPARE(romImage, after);
    QVERIFY(!action("menuEditRedo")->isEnabled());
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
    choosePen(3 - editor().editTiles()[0x21 * 64]);  // a slot the pixel lacks
    QWidget* map = child("picMapRenderDest");
    const int metatile = 1 + romImage[static_cast<std::size_t>(rom::kFieldMap.offset)] % 100;
    pickMetatile(metatile);
    if (earlier) {
      click(map, 300, 300, Qt::RightButton);
    }
    const ByteArray before = romImage;
    QWidget* surface = pixels ? altChild("picSelectedTile") : map;
    QWidget* target = pixels ? static_cast<QWidget*>(alt()) : window.get();
    press(surface, 2, 2);
    QVERIFY(romImage != before);
    QAction* undo = pixels ? altAction("menuEditUndo") : action("menuEditUndo");
    QVERIFY(undo->isEnabled());
    target->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(target));
    QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(romImage, before);
    release(surface, 2, 2);
    expectEveryViewFresh();
    QCOMPARE(window->document().history().size(), std::size_t{earlier ? 2U : 1U});
    QCOMPARE(window->document().history().index(), std::size_t{earlier ? 1U : 0U});
  }

  void aClickThatChangesNothingAddsNoStep() {
    openEditor(0);
    selectTile(3);
    const std::uint8_t slot = editor().editTiles()[3 * 64];
    choosePen(slot);
    click(altChild("picSelectedTile"), 2, 2);  // the pixel already holds the slot
    click(child("picMapRenderDest"), 300, 300, Qt::MiddleButton);
    pickMetatile(0);
    QCOMPARE(window->document().history().size(), std::size_t{0});
    QVERIFY(!window->isWindowModified());
    QVERIFY(!action("menuEditUndo")->isEnabled());
  }

  // A long run of edits of every kind in both windows, undone and redone at
  // random, against the plainest model, the list of every state; and after
  // every step each view of both windows equals a fresh full draw, though
  // only what each change touched was drawn again.
  void randomEditsInBothWindowsFollowTheModel_data() {
    QTest::addColumn<unsigned>("sequence");
    QTest::newRow("sequence 7") << 7U;
    QTest::newRow("sequence 11") << 11U;
  }
  void randomEditsInBothWindowsFollowTheModel() {
    QFETCH(unsigned, sequence);
    openEditor(0);
    std::mt19937 random(sequence);
    std::vector<ByteArray> states{romImage};
    std::size_t index = 0;
    QWidget* map = child("picMapRenderDest");
    auto any = [&](unsigned n) { return static_cast<int>(random() % n); };
    for (int step = 0; step < 120; ++step) {
      const unsigned choice = random() % 14;
      const std::size_t stepsBefore = window->document().history().size();
      const std::size_t indexBefore = window->document().history().index();
      const bool batView = editor().paneMode() == PaneMode::BatView;
      switch (choice) {
        case 0:
          click(map, any(768), any(512));
          break;
        case 1:
          click(map, any(768), any(512), Qt::RightButton);
          break;
        case 2:
          // Half the time a tile the preview shows, as a user edits what they see.
          selectTile(random() % 2 == 0
                         ? romImage[static_cast<std::size_t>(
                               rom::kMetatileTable.offset +
                               window->selectedMetatileNumber() * rom::kMetatileTiles + any(16))]
                         : any(256));
          choosePen(any(4));
          click(altChild("picSelectedTile"), any(128), any(128));
          break;
        case 3: {
          static const char* kButtons[] = {"cmdShiftLeft", "cmdShiftRight", "cmdShiftUp",
                                           "cmdShiftDown", "cmdFlipHAxis",  "cmdFlipVAxis",
                                           "cmdRotate"};
          clickButton(kButtons[random() % 7]);
          break;
        }
        case 4:
          click(altChild(batView ? "picBatView" : "pic_4x4metatile"), any(128), any(128));
          break;
        case 5: {  // a drag across a few cells
          press(map, any(768), any(512));
          for (int move = 0; move < 3; ++move) {
            moveTo(map, any(768), any(512));
          }
          release(map, any(768), any(512));
          break;
        }
        case 6: {  // a new colour for a field palette entry
          dialogs->colourAnswers = {any(64)};
          QWidget* swatch = member("lblnespal_edit", any(16));
          QTest::mouseDClick(swatch, Qt::LeftButton);
          QTest::mouseRelease(swatch, Qt::LeftButton);
          break;
        }
        case 7:  // the other metatile in the picker, or the unused tiles shown
          if (random() % 2 == 0) {
            pickMetatile(any(rom::kMetatileCount));
          } else {
            altAction("menuViewShowUnused")->trigger();
          }
          break;
        case 8:  // the other mode, at another metatile
          openEditor(any(2), any(rom::kMetatileCount));
          break;
        case 9:
        case 10:
        case 11:
          (random() % 2 == 0 ? action("menuEditUndo") : altAction("menuEditUndo"))->trigger();
          break;
        default:
          (random() % 2 == 0 ? action("menuEditRedo") : altAction("menuEditRedo"))->trigger();
          break;
      }
      const EditHistory& history = window->document().history();
      if (choice <= 8) {
        if (history.size() != stepsBefore || history.index() != indexBefore) {
          states.resize(index + 1);
          states.push_back(romImage);
          ++index;
        }
      } else if (choice <= 11) {
        index -= index > 0 ? 1 : 0;
      } else {
        index += index + 1 < states.size() ? 1 : 0;
      }
      QCOMPARE(history.index(), index);
      QVERIFY2(romImage == states[index], qPrintable(QString("step %1").arg(step)));
      expectEveryViewFresh();
      if (QTest::currentTestFailed()) {
        qWarning("views differ after step %d (choice %u)", step, choice);
        return;
      }
    }
  }

  void theUnsavedMarkerFollowsSavesUndosAndRedos() {
    QVERIFY(!window->isWindowModified());
    click(child("picMapRenderDest"), 40, 70);
    QVERIFY(window->isWindowModified());
    action("menuFileSaveRom")->trigger();
    QVERIFY(!window->isWindowModified());
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    action("menuEditUndo")->trigger();
    QVERIFY(window->isWindowModified());
    action("menuEditRedo")->trigger();
    QVERIFY(!window->isWindowModified());  // back at the saved state
    QVERIFY(window->windowTitle().endsWith("[demo.nes][*]"));
  }

  // Each answer of the question, for each action that would drop edits.
  void unsavedEditsAreNeverDroppedWithoutAsking_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    for (const char* how : {"exit", "load", "drop"}) {
      for (const int answer : {0, 1, 2, 3}) {  // save, discard, cancel, save that fails
        QTest::newRow(QString("%1, answer %2").arg(how).arg(answer).toUtf8().constData())
            << QString(how) << answer;
      }
    }
  }
  void unsavedEditsAreNeverDroppedWithoutAsking() {
    QFETCH(QString, how);
    QFETCH(int, answer);
    openEditor(1);
    selectTile(9);
    click(altChild("picBatView"), 10, 10);  // an edit of the editor window
    const ByteArray edited = romImage;
    test::writeFile(*dir / "other.nes", test::randomBytes(rom::kMinImageSize, 5));
    const QString other = pathIn("other.nes");
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
    if (how == "exit") {
      action("menuFileExit")->trigger();
    } else if (how == "load") {
      action("menuFileLoadRom")->trigger();
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
    if (how == "exit") {
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
    QWidget* map = child("picMapRenderDest");
    click(map, 300, 300);  // an edit before the drag
    press(map, 10, 10);
    if (save) {
      action("menuFileSaveRom")->trigger();
    } else {
      dialogs->saveAnswers = {Answer::Cancel};
      action("menuFileExit")->trigger();
    }
    moveTo(map, 100, 10);
    moveTo(map, 200, 10);
    release(map, 200, 10);
    QVERIFY(window->isWindowModified());
    const EditHistory& history = window->document().history();
    while (history.canUndo()) {
      action("menuEditUndo")->trigger();
    }
    QCOMPARE(romImage, makeDemoRom());
    while (history.canRedo()) {
      action("menuEditRedo")->trigger();
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
    auto usage = [&] { return altChild<QLabel>("lblTileUsage"); };
    if (edit == "map stroke") {
      openEditor(0);
      const int metatile = window->selectedMetatileNumber();
      selectTile(romImage[static_cast<std::size_t>(rom::kMetatileTable.offset + metatile * 16)]);
      press(child("picMapRenderDest"), 5, 5);
      for (int x = 40; x < 760; x += 32) {
        moveTo(child("picMapRenderDest"), x, 5);
      }
      release(child("picMapRenderDest"), 760, 5);
      QCOMPARE(usage()->text(), QString::fromStdString(editor().usageText()));
      QVERIFY(usage()->text().contains("field map cell"));
      return;
    }
    const bool batView = edit == "batter's view placement";
    openEditor(batView ? 1 : 0);
    altAction("menuViewShowUnused")->trigger();
    // The demo's batter's view leaves tiles unused; its field uses every
    // tile, so there a tile the first metatile cell lacks is placed.
    const auto used = editor().usedTiles();
    const auto firstCell = romImage[static_cast<std::size_t>(rom::kMetatileTable.offset)];
    const int tile =
        batView ? static_cast<int>(std::find(used.begin(), used.end(), false) - used.begin())
                : (firstCell + 1) % 256;
    QVERIFY(tile < 256);
    selectTile(tile);
    const QString before = usage()->text();
    const QPoint corner((tile % 16) * 16, (tile / 16) * 16);
    const Color crossed = editor().picPatternTable.pixel(corner.x(), corner.y());
    click(altChild(batView ? "picBatView" : "pic_4x4metatile"), 3, 3);
    expectEveryViewFresh();  // the crosses over unused tiles among them
    QCOMPARE(usage()->text(), QString::fromStdString(editor().usageText()));
    QVERIFY(usage()->text() != before);
    if (batView) {
      QVERIFY(usage()->text().contains("in 1 cell "));
      QVERIFY(editor().picPatternTable.pixel(corner.x(), corner.y()) != crossed);
    }
  }

  void theCloseBoxAsksToo() {
    click(child("picMapRenderDest"), 40, 70);
    dialogs->saveAnswers = {Answer::Cancel};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    dialogs->saveAnswers = {Answer::Discard};
    QVERIFY(window->close());
  }

  void noQuestionWithoutUnsavedEdits() {
    click(child("picMapRenderDest"), 40, 70);
    action("menuEditUndo")->trigger();  // back to the file's state
    QVERIFY(window->close());
    QVERIFY(dialogs->questions.empty());
  }

  void aFileChangedOnDiskIsNotOverwrittenWithoutAsking() {
    click(child("picMapRenderDest"), 40, 70);
    ByteArray theirs = makeDemoRom();
    theirs[100] ^= 0xFF;
    test::writeFile(*dir / "demo.nes", theirs);
    dialogs->confirmAnswers = {false};
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->questions.size(), std::size_t{1});
    QCOMPARE(dialogs->questions[0].text,
             QString("demo.nes has changed on disk since it was loaded or last saved.\n\n"
                     "Overwrite it with the image in the editor?"));
    QCOMPARE(test::readFile(*dir / "demo.nes"), theirs);
    QVERIFY(window->isWindowModified());
    dialogs->confirmAnswers = {true};
    action("menuFileSaveRom")->trigger();
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    QVERIFY(!window->isWindowModified());
    // Saved by us: no question the next time.
    click(child("picMapRenderDest"), 100, 70);
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->questions.size(), std::size_t{2});
  }

  // A dropped ROM image is loaded, a dropped picture imported; other files
  // are refused.
  void aDroppedRomOpensAndOtherFilesAreRefused() {
    test::writeFile(*dir / "other.NES", test::randomBytes(rom::kMinImageSize, 9));
    test::writeFile(*dir / "notes.txt", test::randomBytes(rom::kMinImageSize, 9));
    drop(pathIn("notes.txt"));
    QCOMPARE(window->loadedPath(), demoPath);
    // A dropped picture is imported as the view its size is the size of.
    const std::vector<Color> view = demo::makeTestPicture(demo::TestPicture::Stadium, 256, 240);
    writePicture("view.PNG", view, 256, 240);
    writePicture("odd.png", std::vector<Color>(100 * 80, rgb(1, 2, 3)), 100, 80);
    dialogs->importAnswer = ImportOptions{};
    ByteArray expected = romImage;
    applyFittedPicture(*fitPicture(romImage, ImportTarget::BatView, view, {}), expected);
    drop(pathIn("view.PNG"));
    QCOMPARE(dialogs->importedNames, QStringList{"view.PNG"});
    QCOMPARE(romImage, expected);
    drop(pathIn("odd.png"));
    QCOMPARE(dialogs->messages.back().text,
             QString("odd.png was not imported.\n\nA picture to import is 768 x 768 pixels (the "
                     "field) or 256 x 240 (the batter's view); this one is 100 x 80."));
    QCOMPARE(dialogs->importedNames.size(), 1);
    dialogs->saveAnswers = {Answer::Discard};  // the import is an unsaved edit
    drop(pathIn("other.NES"));
    QCOMPARE(window->loadedPath(), pathIn("other.NES"));
    QCOMPARE(romImage, test::readFile(*dir / "other.NES"));
    QCOMPARE(dialogs->messages.back().text, QString("File loaded!"));
  }

  void aNewImageStartsANewHistory() {
    click(child("picMapRenderDest"), 40, 70);
    dialogs->saveAnswers = {Answer::Discard};
    loadThroughTheMenu(demoPath);
    QCOMPARE(window->document().history().size(), std::size_t{0});
    QVERIFY(!action("menuEditUndo")->isEnabled());
  }

  // What one run leaves in the settings file, the next run finds again.
  void settingsLastFromOneRunToTheNext() {
    QVERIFY(settingsFile().startsWith(settingsDir->path()));
    window->resize(1000, 900);
    QTRY_COMPARE(window->size(), QSize(1000, 900));
    window->setViewZoom(child<PictureSurface>("picMapRenderDest"), 3);
    window->setViewZoom(child<PictureSurface>("picMetaTable"), 2);
    action("menuViewFieldGrid")->trigger();
    action("menuViewQuadGrid")->trigger();
    openEditor(1);
    alt()->setViewZoom(altChild<PictureSurface>("picPatternTable"), 2);
    altChild<QScrollBar>("hscrGridColor")->setValue(200);
    altAction("menuViewShowGrid")->trigger();
    altAction("menuViewConsoleColours")->trigger();
    alt()->close();
    QVERIFY(window->close());
    QVERIFY(QFileInfo::exists(settingsFile()));

    window = std::make_unique<frmMain>(*dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->size(), QSize(1000, 900));
    QCOMPARE(window->mapZoom(), 3);
    QCOMPARE(window->tableZoom(), 2);
    QVERIFY(action("menuViewFieldGrid")->isChecked());
    QVERIFY(action("menuViewQuadGrid")->isChecked());
    QVERIFY(!action("menuViewMetaGrid")->isChecked());
    QVERIFY(member("ln_quadV", 3)->isVisible());
    QVERIFY(action("menuViewConsoleColours")->isChecked());
    QCOMPARE(window->colourMode(), ColourMode::Console);
    // The folder of the last file, and the file itself under Open Recent.
    QVERIFY(loadDemo());
    QCOMPARE(dialogs->directories.back(), QFileInfo(demoPath).absolutePath());
    QCOMPARE(member<QAction>("menuFileRecentFile", 0)->statusTip(),
             QFileInfo(demoPath).absoluteFilePath());
    openEditor(0);
    QCOMPARE(alt()->patternTableZoom(), 2);
    QCOMPARE(alt()->batViewZoom(), 1);
    QCOMPARE(altChild<QScrollBar>("hscrGridColor")->value(), 200);
    QVERIFY(altAction("menuViewShowGrid")->isChecked());
    QCOMPARE(altMember<LineOverlay>("lineVert", 0)->colour(), QColor(200, 0, 0));
  }

  int shownRecentFiles() {
    int shown = 0;
    for (QAction* item : window->findChildren<QAction*>("menuFileRecentFile")) {
      shown += item->isVisible() ? 1 : 0;
    }
    return shown;
  }

  // Up to eight recent files, the newest first; one that is gone leaves the
  // list when chosen, and Clear empties it.
  void openRecentKeepsEightFiles() {
    for (int i = 0; i < 10; ++i) {
      const QString path = pathIn("copy" + std::to_string(i) + ".nes");
      test::writeFile(*dir / ("copy" + std::to_string(i) + ".nes"), makeDemoRom());
      QVERIFY(window->loadRomFile(path));
    }
    QCOMPARE(shownRecentFiles(), 8);
    QCOMPARE(member<QAction>("menuFileRecentFile", 0)->text(), QString("&1 copy9.nes"));
    QCOMPARE(member<QAction>("menuFileRecentFile", 7)->text(), QString("&8 copy2.nes"));
    // Choosing one loads it.
    member<QAction>("menuFileRecentFile", 3)->trigger();
    QCOMPARE(window->loadedPath(), pathIn("copy6.nes"));
    QCOMPARE(member<QAction>("menuFileRecentFile", 0)->text(), QString("&1 copy6.nes"));
    std::filesystem::remove(*dir / "copy9.nes");
    member<QAction>("menuFileRecentFile", 1)->trigger();  // copy9.nes
    QCOMPARE(window->loadedPath(), pathIn("copy6.nes"));
    QVERIFY(dialogs->messages.back().text.startsWith("copy9.nes was not loaded."));
    QCOMPARE(shownRecentFiles(), 7);
    action("menuFileRecentClear")->trigger();
    QCOMPARE(shownRecentFiles(), 0);
    QVERIFY(!action("menuFileRecentClear")->isEnabled());
  }

  // "Don't show this again" moves "File loaded!" and "File saved!" to the
  // status bar, in this run and the next, until Preferences brings the
  // boxes back.
  void fileMessagesCanBeTurnedOffAndOnAgain() {
    dialogs->dontShowAgain = true;
    QVERIFY(loadDemo());
    QCOMPARE(dialogs->messages.back().text, QString("File loaded!"));
    const std::size_t shown = dialogs->messages.size();
    QVERIFY(loadDemo());
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->messages.size(), shown);
    QCOMPARE(window->statusBar()->currentMessage(), QString("File saved!"));
    // Preferences shows the setting as it is and turns it back on.
    dialogs->dontShowAgain = false;
    dialogs->preferencesAnswer = UserDialogs::Preferences{true, QString()};
    action("menuEditPreferences")->trigger();
    QCOMPARE(dialogs->preferencesShown.size(), std::size_t{1});
    QVERIFY(!dialogs->preferencesShown.back().showFileMessages);
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->messages.size(), shown + 1);
    QCOMPARE(dialogs->messages.back().text, QString("File saved!"));
  }

  void shortcutsAndAbout() {
    const std::vector<std::pair<const char*, QList<QKeySequence>>> shortcuts{
        {"menuFileLoadRom", {QKeySequence("Ctrl+O")}},
        {"menuFileSaveRom", {QKeySequence("Ctrl+S")}},
        {"menuFileExit", {QKeySequence("Ctrl+Q")}},
        {"menuEditUndo", {QKeySequence("Ctrl+Z")}},
        {"menuEditRedo", {QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}},
        {"menuEditTileData", {QKeySequence("Ctrl+T")}},
        {"menuEditBatView", {QKeySequence("Ctrl+B")}},
        {"menuFileExportField", {QKeySequence("Ctrl+E")}},
        {"menuFileExportPatch", {QKeySequence("Ctrl+Shift+E")}},
        {"menuViewZoomIn", {QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")}},
        {"menuViewZoomOut", {QKeySequence("Ctrl+-")}},
        {"menuViewActualSize", {QKeySequence("Ctrl+0")}},
        {"menuHelpKeys", {QKeySequence("F1")}},
    };
    for (const auto& [name, keys] : shortcuts) {
      QCOMPARE(action(name)->shortcuts(), keys);
    }
    QCOMPARE(action("menuFileLoadRom")->text(), QString("&Load Rom"));
    // Every menu and item of both windows has a mnemonic of its own in its
    // menu, and Help lists every key either window binds.
    action("menuEditTileData")->trigger();
    QVERIFY(alt() != nullptr);
    action("menuHelpKeys")->trigger();
    const QString help = dialogs->messages.back().text;
    QCOMPARE(dialogs->messages.back().title, QString("Keyboard and Mouse"));
    for (QMainWindow* shown : std::initializer_list<QMainWindow*>{window.get(), alt()}) {
      std::vector<QList<QAction*>> groups{shown->menuBar()->actions()};
      for (QMenu* menu : shown->findChildren<QMenu*>()) {
        groups.push_back(menu->actions());
      }
      for (const QList<QAction*>& group : groups) {
        QSet<QChar> keys;
        for (QAction* item : group) {
          if (item->isSeparator()) {
            continue;
          }
          const QString text = item->text();
          const auto mark = text.indexOf('&');
          QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(text));
          const QChar key = text.at(mark + 1).toLower();
          QVERIFY2(!keys.contains(key), qPrintable(text));
          keys.insert(key);
          for (const QKeySequence& sequence : item->shortcuts()) {
            QVERIFY2(help.contains(sequence.toString()), qPrintable(sequence.toString()));
          }
        }
      }
    }
    // The real window: the keys in a column of their own, as tall as the
    // screen's free area allows at most.
    QDialog* keys = showHelpWindow(window.get(), "Keyboard and Mouse", keyboardAndMouseHelp());
    QVERIFY(QTest::qWaitForWindowExposed(keys));
    QVERIFY(keys->frameGeometry().height() <= keys->screen()->availableGeometry().height());
    QTextTable* table = nullptr;
    for (QTextFrame* frame :
         keys->findChild<QTextBrowser*>("txtKeys")->document()->rootFrame()->childFrames()) {
      table = table != nullptr ? table : qobject_cast<QTextTable*>(frame);
    }
    QVERIFY(table != nullptr);
    QCOMPARE(table->columns(), 2);
    QStringList column;
    for (int row = 0; row < table->rows(); ++row) {
      const QTextTableCell cell = table->cellAt(row, 0);
      if (cell.columnSpan() == 1) {
        QTextCursor text = cell.firstCursorPosition();
        text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        column << text.selectedText();
      }
    }
    QCOMPARE(column.size(), help.count('\n'));
    QVERIFY(column.contains("Ctrl+Shift+Z, Ctrl+Y"));
    keys->close();
    action("menuHelpAbout")->trigger();
    QCOMPARE(dialogs->messages.back().title, QString("Tarvo-Field Editor v1.1.0"));
    QVERIFY(dialogs->messages.back().text.contains("Version 1.1.0"));
  }

  void theStatusBarsTellWhereThePointerIs() {
    // Qt drops a move to where the pointer already is: come from elsewhere.
    moveTo(child("picMapRenderDest"), 300, 300);
    moveTo(child("picMapRenderDest"), 40, 70);
    QVERIFY(window->statusBar()->currentMessage().startsWith("Column 01, row 02  |  metatile "));
    QVERIFY(
        window->statusBar()->currentMessage().endsWith("map byte 0x8041, attribute byte 0x8281"));
    // An edit shows at once, without a move of the pointer.
    const auto attribute = static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 2 * 24 + 1);
    const int subPalette = romImage[attribute] & 3;
    click(child("picMapRenderDest"), 40, 70, Qt::RightButton);
    QVERIFY2(window->statusBar()->currentMessage().contains(
                 QString("top left sub-palette %1").arg((subPalette + 1) & 3)),
             qPrintable(window->statusBar()->currentMessage()));
    pickMetatile(4);
    click(child("picMapRenderDest"), 40, 70);
    QVERIFY(window->statusBar()->currentMessage().contains("metatile 04"));
    moveTo(child("picMetaTable"), 151, 101);
    moveTo(child("picMetaTable"), 150, 100);
    QCOMPARE(window->statusBar()->currentMessage(), QString("Metatile 34  |  defined at 0x87D0"));
    openEditor(1);
    moveTo(altChild("picPatternTable"), 36, 249);
    moveTo(altChild("picPatternTable"), 37, 250);
    QCOMPARE(alt()->statusBar()->currentMessage(), QString("Tile F2  |  bytes at 0x17F30"));
    moveTo(altChild("picBatView"), 101, 51);
    moveTo(altChild("picBatView"), 100, 50);
    QVERIFY(alt()->statusBar()->currentMessage().endsWith("byte at 0x10DC"));
  }
  // A double-click on a swatch chooses a colour: one undo step, and every
  // view of both windows shows it.
  void aSwatchDoubleClickChangesThePalette() {
    openEditor(1);
    const ByteArray before = romImage;
    const auto field = static_cast<std::size_t>(rom::kFieldPalette.offset);
    dialogs->colourAnswers = {0x21};
    doubleClick(member("lblnespal_edit", 5));
    QCOMPARE(dialogs->colourCurrents.back(), int{before[field + 5]});
    QCOMPARE(int{romImage[field + 5]}, 0x21);
    expectEveryViewFresh();  // the swatch in colour 0x21 among them

    // In the editor window: slot 2 of sub-palette 1 of the batter's view palette.
    clickButton("cmdNextPal");
    const auto batView = static_cast<std::size_t>(rom::kBatViewPalette.offset);
    dialogs->colourAnswers = {0x16};
    doubleClick(altMember("lblnespal_tEdit", 2));
    QCOMPARE(int{romImage[batView + 6]}, 0x16);
    QCOMPARE(editor().swatchColour(2), colorTable[0x16]);
    expectEveryViewFresh();
    QCOMPARE(window->document().history().size(), std::size_t{2});

    // Cancelled, or the colour it already has: no step.
    dialogs->colourAnswers = {-1, 0x16};
    doubleClick(altMember("lblnespal_tEdit", 2));
    doubleClick(altMember("lblnespal_tEdit", 2));
    QCOMPARE(window->document().history().size(), std::size_t{2});

    action("menuEditUndo")->trigger();
    action("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    QCOMPARE(editor().swatchColour(2), colorTable[before[batView + 6] & 63]);
    expectEveryViewFresh();
    // Entries 16 to 31 come from nowhere: no chooser.
    doubleClick(member("lblnespal_edit", 20));
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
    // What the views show: in the console's colours while they are on.
    for (const ColourMode mode : {ColourMode::Editor, ColourMode::Console}) {
      window->setConsoleColours(mode == ColourMode::Console);
      for (const auto& [item, view] : items) {
        const auto path = *dir / "picture.png";
        dialogs->saveFiles << test::qPath(path);
        action(item)->trigger();
        ByteArray expected;
        QVERIFY(encodeViewPng(romImage, view, 0, expected, nullptr, mode));
        QCOMPARE(test::readFile(path), expected);
      }
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
      dialogs->saveFiles << pathIn(name);
      action(item)->trigger();
      QVERIFY2(dialogs->messages.back().text.startsWith(QString(name) + " was not written."),
               qPrintable(dialogs->messages.back().text));
    }
    QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
    QVERIFY(!std::filesystem::exists(*dir / "picture.jpg"));
  }

  void exportPatchTurnsTheLoadedFileIntoTheImage() {
    click(child("picMapRenderDest"), 40, 70, Qt::RightButton);
    openEditor(0);
    selectTile(3);
    choosePen(3);
    click(altChild("picSelectedTile"), 100, 100);
    action("menuFileSaveRom")->trigger();  // the patch still starts from the file as loaded
    for (const char* name : {"edits.ips", "edits.bps"}) {
      dialogs->saveFiles << pathIn(name);
      action("menuFileExportPatch")->trigger();
      ByteArray result;
      std::string reason;
      QVERIFY2(applyPatch(test::readFile(*dir / name), makeDemoRom(), result, &reason),
               reason.c_str());
      QCOMPARE(result, romImage);
    }
    dialogs->saveFiles << pathIn("edits.txt");
    action("menuFileExportPatch")->trigger();
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

    dialogs->files << pathIn("broken.png");
    altAction("menuEditImportTiles")->trigger();
    QVERIFY(dialogs->messages.back().text.startsWith("broken.png was not imported."));
    QCOMPARE(romImage, before);

    dialogs->files << pathIn("tiles.png");
    altAction("menuEditImportTiles")->trigger();
    QCOMPARE(romImage, other);
    expectEveryViewFresh();
    QCOMPARE(window->document().history().size(), std::size_t{1});
    altAction("menuEditUndo")->trigger();
    QCOMPARE(romImage, before);
    expectEveryViewFresh();
  }

  // File > Import Picture: a picture that cannot be imported is refused
  // with the reason; the dialog cancelled, or no file chosen, changes
  // nothing; the items wait for an image.
  void importPictureRefusesAndCancels() {
    const ByteArray before = romImage;
    writePicture("small.png", demo::makeTestPicture(demo::TestPicture::Noise, 256, 240), 256, 240);
    test::writeFile(*dir / "broken.png", ByteArray(50, 1));
    const std::vector<std::pair<const char*, QString>> refused{
        {"small.png",
         "small.png was not imported.\n\nThe picture is 256 x 240 pixels; the field "
         "takes a picture of exactly 768 x 768."},
        {"broken.png", "broken.png was not imported."}};
    for (const auto& [name, message] : refused) {
      dialogs->files << pathIn(name);
      action("menuFileImportField")->trigger();
      QVERIFY2(dialogs->messages.back().text.startsWith(message),
               qPrintable(dialogs->messages.back().text));
    }
    QVERIFY(dialogs->importedNames.isEmpty());
    action("menuFileImportBatView")->trigger();  // no file chosen
    dialogs->files << pathIn("small.png");
    action("menuFileImportBatView")->trigger();  // the dialog cancelled
    QCOMPARE(dialogs->importedNames, QStringList{"small.png"});
    QCOMPARE(dialogs->filters.back(), QString("PNG image (*.png)"));
    QCOMPARE(romImage, before);
    QCOMPARE(window->document().history().size(), std::size_t{0});
    window->enableMenus(false);
    QVERIFY(!action("menuFileImportField")->isEnabled());
    QVERIFY(!action("menuFileImportBatView")->isEnabled());
  }

  // The dialog fits on a worker thread: it returns at once and shows the
  // fit when it comes, the same as the core's; a changed option fits again,
  // and is remembered; a dialog closed during a fit waits for it.
  void theImportDialogFitsOffTheWindowThread() {
    const std::vector<Color> picture = demo::makeTestPicture(demo::TestPicture::Gradient, 256, 240);
    const auto waitForFit = [](PictureImportDialog& dialog) {
      QSignalSpy shown(&dialog, &PictureImportDialog::fitShown);
      QTRY_VERIFY_WITH_TIMEOUT(shown.count() == 1, 60000);
    };
    {
      PictureImportDialog dialog(ImportTarget::BatView, "gradient.png", picture, romImage);
      dialog.show();
      QVERIFY(dialog.findChild<QCheckBox*>("chkSharedBackground")->isEnabled() == false);
      auto* apply = dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok);
      QVERIFY(!apply->isEnabled());
      waitForFit(dialog);
      QVERIFY(apply->isEnabled());
      QCOMPARE(dialog.findChild<QProgressBar*>("barProgress")->value(), 100);
      QCOMPARE(dialog.fitted()->image,
               fitPicture(romImage, ImportTarget::BatView, picture, {})->image);
      QVERIFY(dialog.findChild<QLabel*>("lblFigures")->text().startsWith("PSNR "));

      dialog.findChild<QComboBox*>("cboDither")->setCurrentIndex(1);
      QVERIFY(!apply->isEnabled());
      QVERIFY(!dialog.fitted());
      waitForFit(dialog);
      QCOMPARE(dialog.options().dither, Dither::Ordered);
      QCOMPARE(dialog.fitted()->image,
               fitPicture(romImage, ImportTarget::BatView, picture, dialog.options())->image);
    }
    PictureImportDialog again(ImportTarget::Field, "gradient.png",
                              demo::makeTestPicture(demo::TestPicture::Gradient, 768, 768),
                              romImage);
    QCOMPARE(again.options().dither, Dither::Ordered);
    QVERIFY(again.fitting());
    auto* shared = again.findChild<QCheckBox*>("chkSharedBackground");
    QVERIFY(shared->isEnabled());
    // On at a first start: a fresh import looks the same in the game.
    QVERIFY(shared->isChecked());
    QVERIFY(again.options().sharedBackground);
    // A kept palette keeps its own first colours.
    again.findChild<QCheckBox*>("chkKeepPalette")->setChecked(true);
    QVERIFY(!shared->isEnabled());
    QVERIFY(!again.options().sharedBackground);
    QVERIFY(again.fitting());
  }

  // F6 in either window switches both to the console's colours and back:
  // every picture, the status bars, the marks on the swatches the console
  // does not show.
  void consoleColoursReachBothWindows() {
    openEditor(0);
    const auto crossed = [this](int index) {
      return member<ClickableLabel>("lblnespal_edit", index)->crossed();
    };
    QVERIFY(!crossed(4) && !crossed(8) && !crossed(12));
    QVERIFY(!child("lblConsoleColours")->isVisible());
    QTest::keyClick(window.get(), Qt::Key_F6);
    QCOMPARE(window->colourMode(), ColourMode::Console);
    QVERIFY(altAction("menuViewConsoleColours")->isChecked());
    QVERIFY(child("lblConsoleColours")->isVisible());
    QVERIFY(altChild("lblConsoleColours")->isVisible());
    QCOMPARE(child<QLabel>("lblConsoleColours")->text(), QString("Console colours"));
    QVERIFY(crossed(4) && crossed(8) && crossed(12) && !crossed(0) && !crossed(5));
    expectEveryViewFresh();
    // Slot 0 of sub-palette 1 is not what the console shows.
    auto* slot0 = altMember<ClickableLabel>("lblnespal_tEdit", 0);
    QVERIFY(!slot0->crossed());
    clickButton("cmdNextPal");
    QVERIFY(slot0->crossed());
    expectEveryViewFresh();

    QTest::keyClick(alt(), Qt::Key_F6);
    QCOMPARE(window->colourMode(), ColourMode::Editor);
    QVERIFY(!action("menuViewConsoleColours")->isChecked());
    QVERIFY(!altChild("lblConsoleColours")->isVisible());
    QVERIFY(!slot0->crossed() && !crossed(4));
    expectEveryViewFresh();
    // An editor window opened later starts in the main window's colours.
    alt()->close();
    action("menuViewConsoleColours")->trigger();
    openEditor(1);
    QCOMPARE(editor().colourMode(), ColourMode::Console);
    expectEveryViewFresh();
  }

  void unusedTilesAreMarkedOnThePatternTable() {
    openEditor(1);  // the demo's batter's view leaves some tiles unused
    const auto used = editor().usedTiles();
    const auto unused = std::find(used.begin(), used.end(), false);
    QVERIFY(unused != used.end());
    const int tile = static_cast<int>(unused - used.begin());
    const Surface before = editor().picPatternTable;
    altAction("menuViewShowUnused")->trigger();
    const Surface& marked = editor().picPatternTable;
    QVERIFY(marked.pixel((tile % 16) * 16, (tile / 16) * 16) !=
            before.pixel((tile % 16) * 16, (tile / 16) * 16));
    altAction("menuViewShowUnused")->trigger();
    QCOMPARE(pixelsOf(editor().picPatternTable), pixelsOf(before));
    selectTile(tile);
    QCOMPARE(altChild<QLabel>("lblTileUsage")->text(),
             QString::fromStdString("Tile " + hexLabel(static_cast<std::uint8_t>(tile)) +
                                    ": in 0 cells of the batter's view"));
  }
};

QTEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
