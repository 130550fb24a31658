// Hostile and odd files chosen in the main window's open dialog: files of the
// wrong size, things that are not files, names with wildcard characters,
// spaces, non-ASCII letters or a leading dot, and contents the game never
// holds. An accepted file shows exactly as its bytes say, under its name; a
// refused one gives its reason and changes nothing, neither in the window
// nor on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "demo/demo_rom.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"
#include "window_fixture.h"

using namespace tarvo;
using Answer = UserDialogs::SaveAnswer;
namespace fs = std::filesystem;

namespace {

using test::diskState;
using test::DiskState;
using test::qPath;

// Keeps a test from hanging on a pipe: unless finish() comes within a few
// seconds, a writer opens every pipe of the folder, which lets a reader
// blocked on one go on.
class PipeWatchdog {
 public:
  explicit PipeWatchdog(fs::path folder) : folder_(std::move(folder)) {
    thread_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      if (wake_.wait_for(lock, std::chrono::seconds(5), [this] { return done_; })) {
        return;
      }
      fired_ = true;
      for (const auto& item : fs::directory_iterator(folder_)) {
        if (item.is_fifo()) {
          const int fd = ::open(item.path().c_str(), O_RDWR | O_NONBLOCK);
          if (fd >= 0) {
            ::close(fd);
          }
        }
      }
    });
  }
  ~PipeWatchdog() { finish(); }
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  // Whether the watchdog had to step in.
  bool finish() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
      thread_.join();
    }
    return fired_;
  }

 private:
  fs::path folder_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool fired_ = false;
  std::thread thread_;
};

QString writeDemo(const fs::path& folder, const std::string& name, const ByteArray& bytes) {
  test::writeFile(folder / name, bytes);
  return qPath(folder / name);
}

ByteArray demoWithSize(std::size_t size) {
  ByteArray bytes = makeDemoRom();
  bytes.resize(size, 0x5A);
  return bytes;
}

ByteArray demoWithPalette(const ByteArray& palette) {
  ByteArray bytes = makeDemoRom();
  std::copy(palette.begin(), palette.end(), bytes.begin() + rom::kFieldPalette.offset);
  return bytes;
}

std::size_t definitionOf(int metatile) {
  return static_cast<std::size_t>(rom::kMetatileTable.offset + metatile * rom::kMetatileTiles);
}

// Cell `cell` of the demo's map names `ordinary`, or with `high` the metatile
// `high` above 132, defined beyond the table as a copy of `ordinary`.
ByteArray demoWithMapByte(int cell, int ordinary, int high = -1) {
  ByteArray bytes = makeDemoRom();
  const auto mapByte = static_cast<std::size_t>(rom::kFieldMap.offset + cell);
  if (high < 0) {
    bytes[mapByte] = static_cast<std::uint8_t>(ordinary);
    return bytes;
  }
  bytes[mapByte] = static_cast<std::uint8_t>(high);
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(definitionOf(ordinary)),
              rom::kMetatileTiles, bytes.begin() + static_cast<std::ptrdiff_t>(definitionOf(high)));
  return bytes;
}

const ByteArray kHighPalette{0x40, 0x7F, 0xFF, 0x80, 0xC0, 0x41, 0xBF, 0x3F,
                             0x0F, 0x70, 0x90, 0xE0, 0x20, 0x60, 0xA0, 0xFE};

struct OddFile {
  QString label;
  // Makes the files of the case in the folder; returns the path to choose.
  std::function<QString(const fs::path&)> make;
  bool accepted;
  QString reason;  // a refusal's reason
};

using Maker = std::function<QString(const fs::path&)>;

Maker file(const std::string& name, const ByteArray& bytes) {
  return [name, bytes](const fs::path& folder) { return writeDemo(folder, name, bytes); };
}

Maker absent(const std::string& name) {
  return [name](const fs::path& folder) {
    writeDemo(folder, "abc.nes", makeDemoRom());
    writeDemo(folder, "a.nes", demoWithSize(98336));
    return qPath(folder / name);
  };
}

const std::vector<OddFile>& oddFiles() {
  static const std::vector<OddFile> files = [] {
    const ByteArray demo = makeDemoRom();
    ByteArray unif = demo;
    std::copy_n("UNIF", 4, unif.begin());
    return std::vector<OddFile>{
        {"missing", absent("missing.nes"), false, "No such file"},
        {"empty", file("empty.nes", {}), false,
         "The file is empty; a ROM image for this editor has at least 98,320 bytes"},
        {"98,319 bytes", file("short.nes", demoWithSize(98319)), false,
         "The file is 98,319 bytes; a ROM image for this editor has at least 98,320 bytes"},
        {"98,320 bytes", file("least.nes", demoWithSize(98320)), true, ""},
        {"16 MiB", file("most.nes", demoWithSize(16777216)), true, ""},
        {"16 MiB and a byte", file("huge.nes", demoWithSize(16777217)), false,
         "The file is 16,777,217 bytes; a ROM image for this editor has at most 16,777,216 bytes"},
        {"folder",
         [](const fs::path& folder) {
           fs::create_directory(folder / "folder.nes");
           return qPath(folder / "folder.nes");
         },
         false, "It is a folder, not a file"},
        {"fifo",
         [](const fs::path& folder) {
           if (::mkfifo((folder / "pipe.nes").c_str(), 0600) != 0) {
             throw std::runtime_error("cannot make a pipe");
           }
           return qPath(folder / "pipe.nes");
         },
         false, "It is not a regular file"},
        // "a*.nes" and "a?c.nes" are names, not patterns: abc.nes, another
        // file, must not be what comes in.
        {"star in the name",
         [](const fs::path& folder) {
           writeDemo(folder, "abc.nes", demoWithSize(98336));
           return writeDemo(folder, "a*.nes", test::randomBytes(98320, 1));
         },
         true, ""},
        {"question mark in the name",
         [](const fs::path& folder) {
           writeDemo(folder, "abc.nes", demoWithSize(98336));
           return writeDemo(folder, "a?c.nes", test::randomBytes(98400, 2));
         },
         true, ""},
        {"question mark matching another file", absent("a?c.nes"), false, "No such file"},
        {"star matching other files", absent("*.nes"), false, "No such file"},
        {"percent signs in a missing name", absent("%1 field %2.nes"), false, "No such file"},
        {"spaces", file(" Home field  2 .nes", demo), true, ""},
        {"non-ASCII letters", file("Spielfeld-\u00fc-\u00f1.nes", demo), true, ""},
        {"non-Latin letters", file("\u7403\u5834.nes", demo), true, ""},
        {"hidden", file(".hidden.nes", demo), true, ""},
        {"palette bytes of 64 and above", file("palette.nes", demoWithPalette(kHighPalette)), true,
         ""},
        {"map bytes above 132", file("map.nes", demoWithMapByte(30, 20, 200)), true, ""},
        {"no iNES header", file("unif.nes", unif), true, ""},
    };
  }();
  return files;
}

const OddFile& oddFile(const QString& label) {
  for (const OddFile& odd : oddFiles()) {
    if (odd.label == label) {
      return odd;
    }
  }
  throw std::logic_error("no such case");
}

}  // namespace

class HostileFilesWindowTest : public test::WindowFixture {
  Q_OBJECT

 public:
  HostileFilesWindowTest() : WindowFixture(Start::NoImage) {}

 private:
  // The caption as the window system shows it.
  QString shownCaption() { return window->windowHandle()->title(); }

  std::vector<QColor> swatchColours() {
    std::vector<QColor> colours;
    for (int i = 0; i < 32; ++i) {
      colours.push_back(member<QLabel>("lblnespal_edit", i)->palette().color(QPalette::Window));
    }
    return colours;
  }

  // The demo loaded and given an edit that is not saved: metatile 37 put
  // into cell (1, 2).
  void loadAndEditTheDemo() {
    loadThroughTheMenu(demoPath);
    QCOMPARE(romImage, makeDemoRom());
    pickMetatile(37);
    click(child("picMapRenderDest"), 40, 70);
    QCOMPARE(romImage[static_cast<std::size_t>(rom::kFieldMap.offset + 2 * 24 + 1)], 37);
    QVERIFY(window->isWindowModified());
  }

 private slots:
  // Every odd file through "Load Rom", with no image yet and over an edited
  // image whose edits the user chose to discard.
  void eachFileGivesItsResult_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("edited");
    for (const bool edited : {false, true}) {
      for (const OddFile& odd : oddFiles()) {
        QTest::newRow(QString("%1, %2")
                          .arg(odd.label, edited ? "over an edited image" : "with no image")
                          .toUtf8()
                          .constData())
            << odd.label << edited;
      }
    }
  }
  void eachFileGivesItsResult() {
    QFETCH(QString, label);
    QFETCH(bool, edited);
    const OddFile& odd = oddFile(label);
    if (edited) {
      loadAndEditTheDemo();
    }
    // An open dialog cancelled, to learn the folder it starts in.
    dialogs->saveAnswers = {Answer::Discard};
    action("menuFileLoadRom")->trigger();
    dialogs->saveAnswers = {Answer::Discard};
    const QString path = odd.make(dir->path());
    const QString name = QFileInfo(path).fileName();

    const ByteArray image = romImage;
    const QString caption = window->windowTitle();
    const QString shown = shownCaption();
    const QString loadedPath = window->loadedPath();
    const std::string documentPath = window->document().path();
    const ByteArray loadedBytes = window->document().loadedBytes();
    const std::size_t steps = window->document().history().size();
    const std::size_t step = window->document().history().index();
    const bool modified = window->isWindowModified();
    const std::uint8_t metatile = window->selectedMetatileNumber();
    const std::vector<Color> map = pixelsOf(window->mapPicture());
    const std::vector<QColor> swatches = swatchColours();
    const QString folderBefore = dialogs->directories.back();
    const DiskState disk = diskState(dir->path());
    dialogs->messages.clear();
    dialogs->questions.clear();

    PipeWatchdog watchdog(dir->path());
    loadThroughTheMenu(path);
    QVERIFY2(!watchdog.finish(), "the load blocked until a writer opened the pipe");

    QCOMPARE(dialogs->questions.size(), std::size_t{edited ? 1U : 0U});
    if (edited) {
      QCOMPARE(dialogs->questions[0].text, QString("Save changes to demo.nes?"));
    }
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].title, window->title());
    if (odd.accepted) {
      QCOMPARE(dialogs->messages[0].text, QString("File loaded!"));
      QCOMPARE(romImage, test::readFile(path.toStdString()));
      QCOMPARE(window->loadedPath(), path);
      QCOMPARE(window->document().path(), path.toStdString());
      QCOMPARE(window->windowTitle(), window->title() + " [" + name + "][*]");
      QCOMPARE(shownCaption(), window->title() + " [" + name + "]");
      QVERIFY(!window->isWindowModified());
      QCOMPARE(window->document().history().size(), std::size_t{0});
      QVERIFY(action("menuFileSaveRom")->isEnabled());
      QCOMPARE(window->selectedMetatileNumber(), 0);
      expectEveryViewFresh();
    } else {
      QCOMPARE(dialogs->messages[0].text, name + " was not loaded.\n\n" + odd.reason + ".");
      QCOMPARE(romImage, image);
      QCOMPARE(window->windowTitle(), caption);
      QCOMPARE(shownCaption(), shown);
      QCOMPARE(window->loadedPath(), loadedPath);
      QCOMPARE(window->document().path(), documentPath);
      QCOMPARE(window->document().loadedBytes(), loadedBytes);
      QCOMPARE(window->document().history().size(), steps);
      QCOMPARE(window->document().history().index(), step);
      QCOMPARE(window->isWindowModified(), modified);
      QCOMPARE(window->document().isModified(), edited);
      QCOMPARE(window->selectedMetatileNumber(), metatile);
      QCOMPARE(pixelsOf(window->mapPicture()), map);
      QCOMPARE(swatchColours(), swatches);
      QCOMPARE(action("menuFileSaveRom")->isEnabled(), edited);
    }
    QCOMPARE(diskState(dir->path()), disk);

    // The next open dialog starts in the loaded file's folder, or where it
    // started before a refusal.
    dialogs->saveAnswers = {Answer::Cancel};
    if (!odd.accepted && edited) {
      dialogs->saveAnswers = {Answer::Discard};
    }
    action("menuFileLoadRom")->trigger();
    QCOMPARE(dialogs->directories.back(),
             odd.accepted ? QFileInfo(path).absolutePath() : folderBefore);
  }

  // The swatches and the pictures show a palette byte in the colour of its
  // low six bits, exactly as a file holding those bits alone shows; the
  // bytes themselves are kept, through a save without edits and one with.
  void paletteBytesOf64AndAboveShowTheirLowSixBits_data() {
    QTest::addColumn<QByteArray>("palette");
    const ByteArray demo = makeDemoRom();
    const auto demoPalette = [&demo](std::uint8_t bits) {
      QByteArray palette;
      for (int i = 0; i < rom::kPaletteBytes; ++i) {
        palette.append(static_cast<char>(
            demo[static_cast<std::size_t>(rom::kFieldPalette.offset + i)] | bits));
      }
      return palette;
    };
    QTest::newRow("0x40, 0x7F, 0xFF and others") << QByteArray(
        reinterpret_cast<const char*>(kHighPalette.data()), static_cast<int>(kHighPalette.size()));
    QTest::newRow("bit 6 on every entry") << demoPalette(0x40);
    QTest::newRow("bit 7 on every entry") << demoPalette(0x80);
    QTest::newRow("bits 6 and 7 on every entry") << demoPalette(0xC0);
  }
  void paletteBytesOf64AndAboveShowTheirLowSixBits() {
    QFETCH(QByteArray, palette);
    ByteArray high(palette.begin(), palette.end());
    ByteArray low = high;
    for (std::uint8_t& entry : low) {
      entry &= 0x3F;
    }
    QVERIFY(high != low);
    const ByteArray odd = demoWithPalette(high);
    const QString oddPath = writeDemo(dir->path(), "odd.nes", odd);
    const QString plainPath = writeDemo(dir->path(), "plain.nes", demoWithPalette(low));

    loadThroughTheMenu(plainPath);
    QCOMPARE(window->loadedPath(), plainPath);
    const std::vector<Color> plainMap = pixelsOf(window->mapPicture());
    const std::vector<Color> plainTable = pixelsOf(window->metatileTablePicture());
    const std::vector<Color> plainPreview = pixelsOf(window->selectedMetatilePicture());
    const std::vector<QColor> plainSwatches = swatchColours();

    loadThroughTheMenu(oddPath);
    QCOMPARE(window->loadedPath(), oddPath);
    QCOMPARE(romImage, odd);
    expectEveryViewFresh();  // the swatches in the colours of the low six bits among them
    QCOMPARE(swatchColours(), plainSwatches);
    QCOMPARE(pixelsOf(window->mapPicture()), plainMap);
    QCOMPARE(pixelsOf(window->metatileTablePicture()), plainTable);
    QCOMPARE(pixelsOf(window->selectedMetatilePicture()), plainPreview);

    // Saved without an edit: the same bytes.
    dialogs->messages.clear();
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->messages.back().text, QString("File saved!"));
    QCOMPARE(test::readFile(oddPath.toStdString()), odd);

    // A cell drawn again on its own (a sub-palette change) and a metatile put
    // down draw in the same colours as the whole map does.
    click(child("picMapRenderDest"), 100, 100, Qt::RightButton);
    pickMetatile(7);
    click(child("picMapRenderDest"), 200, 40);
    QVERIFY(romImage != odd);
    expectEveryViewFresh();
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->messages.back().text, QString("File saved!"));
    const ByteArray saved = test::readFile(oddPath.toStdString());
    QCOMPARE(saved, romImage);
    QCOMPARE(ByteArray(saved.begin() + rom::kFieldPalette.offset,
                       saved.begin() + rom::kFieldPalette.end()),
             high);
    QCOMPARE(test::listFolder(dir->path()),
             (std::vector<std::string>{"demo.nes", "odd.nes", "plain.nes"}));
  }

  // A map byte above 132 draws the metatile defined in the 16 bytes beyond
  // the table that its number points to: a cell naming 200 whose definition
  // there copies metatile 20 looks like a cell naming 20.
  void mapBytesAbove132DrawFromBeyondTheTable_data() {
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("ordinary");
    QTest::newRow("133, the first beyond the table") << 0 << 133 << 40;
    QTest::newRow("200") << 30 << 200 << 20;
    QTest::newRow("255, the last") << 340 << 255 << 7;
  }
  void mapBytesAbove132DrawFromBeyondTheTable() {
    QFETCH(int, cell);
    QFETCH(int, high);
    QFETCH(int, ordinary);
    const ByteArray demo = makeDemoRom();
    // Drawn from any other definition, the cell would look different.
    for (const std::size_t other :
         {definitionOf(high), definitionOf(high % 133), definitionOf(132), definitionOf(0)}) {
      QVERIFY(!std::equal(demo.begin() + static_cast<std::ptrdiff_t>(other),
                          demo.begin() + static_cast<std::ptrdiff_t>(other + 16),
                          demo.begin() + static_cast<std::ptrdiff_t>(definitionOf(ordinary))));
    }
    const ByteArray odd = demoWithMapByte(cell, ordinary, high);
    const QString plainPath = writeDemo(dir->path(), "plain.nes", demoWithMapByte(cell, ordinary));
    const QString oddPath = writeDemo(dir->path(), "odd.nes", odd);

    loadThroughTheMenu(plainPath);
    QCOMPARE(window->loadedPath(), plainPath);
    const std::vector<Color> plainMap = pixelsOf(window->mapPicture());
    const std::vector<Color> plainTable = pixelsOf(window->metatileTablePicture());
    dialogs->messages.clear();
    loadThroughTheMenu(oddPath);
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].text, QString("File loaded!"));
    QCOMPARE(romImage, odd);
    QCOMPARE(pixelsOf(window->mapPicture()), plainMap);
    expectEveryViewFresh();
    QCOMPARE(pixelsOf(window->metatileTablePicture()), plainTable);

    // The cell drawn again on its own, after a sub-palette change.
    const int x = (cell % 24) * 32 + 20;
    const int y = (cell / 24) * 32 + 5;
    click(child("picMapRenderDest"), x, y, Qt::RightButton);
    QVERIFY(romImage != odd);
    QCOMPARE(romImage[static_cast<std::size_t>(rom::kFieldMap.offset + cell)], high);
    expectEveryViewFresh();
    // Saved, the map byte stays.
    action("menuFileSaveRom")->trigger();
    QCOMPARE(test::readFile(oddPath.toStdString()), romImage);
  }

  // "[*]" in a file's name is part of the name: the caption shows it as it
  // is, and the unsaved marker still comes after the name.
  void theCaptionShowsANameHoldingThePlaceholder_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("[*].nes") << "[*].nes";
    QTest::newRow("a[*]b.nes") << "a[*]b.nes";
    QTest::newRow("[*][*].nes") << "[*][*].nes";
  }
  void theCaptionShowsANameHoldingThePlaceholder() {
    QFETCH(QString, name);
    const QString path = writeDemo(dir->path(), name.toStdString(), makeDemoRom());
    loadThroughTheMenu(path);
    QCOMPARE(window->loadedPath(), path);
    QCOMPARE(shownCaption(), window->title() + " [" + name + "]");
    pickMetatile(37);
    click(child("picMapRenderDest"), 40, 70);
    QVERIFY(window->isWindowModified());
    QCOMPARE(shownCaption(), window->title() + " [" + name + "]*");
  }

  // A dump without its header: one question; Add Header loads it unsaved and
  // leaves the file as it is, Cancel loads nothing.
  void aHeaderlessDumpLoadsAfterOneQuestion() {
    const ByteArray demo = makeDemoRom();
    const ByteArray dump(demo.begin() + 16, demo.end());
    const QString path = writeDemo(dir->path(), "dump.nes", dump);
    for (const bool add : {false, true}) {
      dialogs->addHeaderAnswer = add;
      loadThroughTheMenu(path);
      QCOMPARE(dialogs->headerQuestions.back().text,
               QString("This file has no iNES header. Add one (the file grows by 16 bytes)?"));
      QVERIFY(dialogs->headerQuestions.back().title.endsWith("[dump.nes]"));
      QCOMPARE(window->document().isLoaded(), add);
    }
    QCOMPARE(romImage, demo);
    QVERIFY(window->isWindowModified());
    QCOMPARE(test::readFile(path.toStdString()), dump);
  }

  // A refused load leaves the graphics editor window open, as it was.
  void aRefusedLoadLeavesTheEditorWindowOpen_data() {
    QTest::addColumn<QString>("label");
    for (const char* label : {"missing", "98,319 bytes", "folder", "fifo"}) {
      QTest::newRow(label) << QString(label);
    }
  }
  void aRefusedLoadLeavesTheEditorWindowOpen() {
    QFETCH(QString, label);
    const OddFile& odd = oddFile(label);
    loadThroughTheMenu(demoPath);
    action("menuEditTileData")->trigger();
    const QPointer<frmAltPane> editor = window->editorWindow();
    QVERIFY(editor != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    const QString path = odd.make(dir->path());
    dialogs->messages.clear();
    PipeWatchdog watchdog(dir->path());
    loadThroughTheMenu(path);
    QVERIFY(!watchdog.finish());
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QVERIFY(dialogs->messages[0].text.endsWith(odd.reason + "."));
    QVERIFY(!editor.isNull());
    QCOMPARE(window->editorWindow(), editor.data());
    QVERIFY(editor->isVisible());
  }
};

QTEST_MAIN(HostileFilesWindowTest)
#include "hostile_files_window_test.moc"
