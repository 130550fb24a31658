// File > Play in Emulator and Export Preview ROM, with a fake emulator: a
// script that records its arguments and the copy it was given, then waits to
// be ended.
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "demo/demo_rom.h"
#include "platform/emulator_launcher.h"
#include "shell/preview_rom.h"
#include "window_fixture.h"

using namespace tarvo;

namespace {

// The fake emulator: "start PID" and one "arg WORD" line a word into
// `calls`, the file it was given copied to copy-PID.nes, "term PID" when it
// is asked to end.
constexpr const char* kFakeEmulator = R"(#!/bin/sh
here=$(dirname "$0")
for last; do :; done
{ echo "start $$"; for word; do echo "arg $word"; done; } >> "$here/calls"
cp -- "$last" "$here/copy-$$.nes"
trap 'echo "term $$" >> "$here/calls"; exit 0' TERM
sleep 60 & wait $!
)";

constexpr const char* kFailingEmulator = R"(#!/bin/sh
echo "starting" >&2
echo "cannot open the display" >&2
exit 3
)";

}  // namespace

class PlayInEmulatorTest : public test::WindowFixture {
  Q_OBJECT

 public:
  PlayInEmulatorTest() : WindowFixture(Start::DemoLoaded) {}

 private:
  // A script in the scratch folder (whose name has a space and a
  // non-ASCII letter), set as the emulator command.
  QString useEmulator(const char* script, const QString& arguments = "--rom %f") {
    const std::filesystem::path folder = *dir / "emu lé";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "emulator";
    std::ofstream(path) << script;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    QSettings().setValue("emulator/command", "\"" + test::qPath(path) + "\" " + arguments);
    return test::qPath(folder);
  }
  static QStringList lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n')
                                          : QStringList();
  }
  static QStringList starts(const QString& calls) { return lines(calls).filter("start "); }

 private slots:
  void theCommandTakesTheFile_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QString file = "/tmp/my roms/Bé ball.nes";
    QTest::newRow("plain") << "fceux %f"
                           << "fceux" << QStringList{file};
    QTest::newRow("no %f: the file goes last") << "nestopia --fullscreen"
                                               << "nestopia" << QStringList{"--fullscreen", file};
    QTest::newRow("quoted program") << "\"/opt/my emu/run\" -x %f"
                                    << "/opt/my emu/run" << QStringList{"-x", file};
    QTest::newRow("inside a word") << "mednafen -video.fs 0 --rom=%f"
                                   << "mednafen" << QStringList{"-video.fs", "0", "--rom=" + file};
    QTest::newRow("quoted %f") << "emu '%f' -x"
                               << "emu" << QStringList{file, "-x"};
    QTest::newRow("escaped space") << "/opt/my\\ emu %f"
                                   << "/opt/my emu" << QStringList{file};
    QTest::newRow("home") << "~/emu %f" << QDir::homePath() + "/emu" << QStringList{file};
  }
  void theCommandTakesTheFile() {
    QFETCH(QString, command);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const auto parsed = emulatorCommandFor(command, "/tmp/my roms/Bé ball.nes");
    QVERIFY(parsed.has_value());
    QCOMPARE(parsed->program, program);
    QCOMPARE(parsed->arguments, arguments);
    QVERIFY(!emulatorCommandFor("  ", "x.nes"));
    // Nothing the shell would run.
    QVERIFY(!emulatorCommandFor("fceux %f; rm -rf ~", "x.nes"));
    QVERIFY(!emulatorCommandFor("fceux $(touch /tmp/ran) %f", "x.nes"));
  }

  // F5 plays the image as it is, from a private copy: the file, the
  // history and the unsaved marker stay; a second F5 (from either window)
  // ends the first emulator and starts a fresh one on a fresh copy; exit
  // ends the emulator and removes the copies.
  void playStartsTheEmulatorOnAPrivateCopy() {
    const QString calls = useEmulator(kFakeEmulator) + "/calls";
    click(child("picMapRenderDest"), 40, 70);
    const ByteArray edited = romImage;
    const std::size_t steps = window->document().history().size();
    QVERIFY(window->isWindowModified());

    QTest::keyClick(window.get(), Qt::Key_F5);
    QCOMPARE(window->statusBar()->currentMessage(),
             QString("Playing demo.nes in emulator, unsaved edits included"));
    QTRY_COMPARE(starts(calls).size(), 1);
    const EmulatorLauncher& launcher = window->emulatorLauncher();
    const QString copy = launcher.copyPath();
    QCOMPARE(lines(calls).mid(1, 2), QStringList({"arg --rom", "arg " + copy}));
    QVERIFY(copy.startsWith(launcher.folder() + "/"));
    QCOMPARE(std::filesystem::status(launcher.folder().toStdString()).permissions(),
             std::filesystem::perms::owner_all);
    const QString pid = starts(calls).front().mid(6);
    QTRY_VERIFY(QFileInfo::exists(QFileInfo(calls).path() + "/copy-" + pid + ".nes"));
    QCOMPARE(test::readFile((QFileInfo(calls).path() + "/copy-" + pid + ".nes").toStdString()),
             edited);
    QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
    QCOMPARE(window->document().history().size(), steps);
    QVERIFY(window->isWindowModified());
    QVERIFY(launcher.running());

    openEditor(0);
    altAction("menuFilePlayInEmulator")->trigger();
    QTRY_VERIFY(lines(calls).contains("term " + pid));
    QTRY_COMPARE(starts(calls).size(), 2);
    QVERIFY(launcher.copyPath() != copy);
    QTRY_VERIFY(!QFileInfo::exists(copy));  // the first copy goes with its emulator
    const QString folder = launcher.folder();
    alt()->close();
    window.reset();
    QVERIFY(lines(calls).filter("term ").size() == 2);
    QVERIFY(!QFileInfo::exists(folder));
  }

  // No emulator: a box names the packages and the Preferences item, and
  // nothing starts. One that fails at once: its last line of standard error
  // in the status bar.
  void noEmulatorOrAFailingOne() {
    QSettings().setValue("emulator/command", "/nonexistent/emulator %f");
    action("menuFilePlayInEmulator")->trigger();
    QVERIFY(!dialogs->messages.empty());
    const QString text = dialogs->messages.back().text;
    QVERIFY2(text.contains("/nonexistent/emulator") &&
                 text.contains("fceux, nestopia or mednafen") &&
                 text.contains("Edit > Preferences"),
             qPrintable(text));
    QVERIFY(!window->emulatorLauncher().running());
    QVERIFY(window->emulatorLauncher().copyPath().isEmpty());

    useEmulator(kFailingEmulator);
    action("menuFilePlayInEmulator")->trigger();
    QTRY_COMPARE(window->statusBar()->currentMessage(),
                 QString("emulator: cannot open the display"));
  }

  // Preferences shows the command kept and keeps the one given.
  void preferencesKeepTheCommand() {
    QSettings().setValue("emulator/command", "fceux %f");
    dialogs->preferencesAnswer = UserDialogs::Preferences{true, "mednafen %f"};
    action("menuEditPreferences")->trigger();
    QCOMPARE(dialogs->preferencesShown.back().emulatorCommand, QString("fceux %f"));
    QCOMPARE(configuredEmulatorCommand(), QString("mednafen %f"));
  }

  void exportPreviewRomWritesTheViewerWithThisField() {
    click(child("picMapRenderDest"), 40, 70);
    dialogs->saveFiles << pathIn("preview.nes");
    action("menuFileExportPreviewRom")->trigger();
    QCOMPARE(dialogs->suggestedNames.back(), QString("demo-preview.nes"));
    QCOMPARE(test::readFile(*dir / "preview.nes"), makePreviewRom(romImage));
    dialogs->saveFiles << demoPath;  // never over the image itself
    action("menuFileExportPreviewRom")->trigger();
    QVERIFY(dialogs->messages.back().text.startsWith("demo.nes was not written."));
    QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
  }
};

QTEST_MAIN(PlayInEmulatorTest)
#include "play_in_emulator_test.moc"
