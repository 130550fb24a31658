// Recovery copies in the main window: kept while edits are unsaved, gone
// after a save, and offered after a session that ended.
#include <QAction>
#include <QTest>

#include "shell/checksums.h"
#include "shell/patches.h"
#include "shell/recovery.h"
#include "shell/rom_locations.h"
#include "window_fixture.h"

using namespace tarvo;

class RecoveryWindowTest : public test::WindowFixture {
  Q_OBJECT

 public:
  RecoveryWindowTest() : WindowFixture(Start::DemoLoaded) {}

 private:
  std::filesystem::path folder() const {
    return std::filesystem::path((settingsDir->path() + "/state/tarvo").toStdString());
  }
  std::vector<std::filesystem::path> copies() const {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), error)) {
      if (entry.path().extension() == ".recovery") {
        found.push_back(entry.path());
      }
    }
    return found;
  }
  // What a session that ended unexpectedly left: the demo with one map byte
  // changed.
  ByteArray leaveACopy() {
    const ByteArray file = test::readFile(demoPath.toStdString());
    Recovery recovery{demoPath.toStdString(),
                      static_cast<std::int64_t>(file.size()),
                      sha1Hex(file),
                      1800000000,
                      {},
                      file};
    recovery.image[static_cast<std::size_t>(rom::kFieldMap.offset + 7)] ^= 0x01;
    RecoveryStore ended(folder());
    if (!ended.open() || !ended.write(recovery)) {
      return {};
    }
    return recovery.image;
  }

 private slots:
  void aCopyIsKeptWhileEditsAreUnsavedAndGoesWithTheSave() {
    window->setRecoveryDelay(0);
    QVERIFY(copies().empty());
    pickMetatile(37);
    click(child("picMapRenderDest"), 40, 70);
    QTRY_COMPARE(copies().size(), std::size_t{1});
    Recovery copy;
    QVERIFY(decodeRecovery(test::readFile(copies()[0]), copy));
    QCOMPARE(copy.image, romImage);
    QCOMPARE(copy.baseSha1, sha1Hex(test::readFile(demoPath.toStdString())));
    action("menuFileSaveRom")->trigger();
    QVERIFY(copies().empty());
  }

  void aCopyLeftBehindIsRestoredAsOneUnsavedStep() {
    const ByteArray file = romImage;
    const ByteArray recovered = leaveACopy();
    QVERIFY(!recovered.empty());
    dialogs->recoveryAnswer = UserDialogs::RecoveryAnswer::Restore;
    window->offerRecoveries();
    QCOMPARE(dialogs->recoveryQuestions.size(), std::size_t{1});
    QVERIFY(dialogs->recoveryQuestions[0].text.startsWith(
        "demo.nes has unsaved changes from a session that ended unexpectedly ("));
    QCOMPARE(dialogs->recoveryAsCopyOnly[0], false);
    QCOMPARE(romImage, recovered);
    QVERIFY(window->isWindowModified());
    QCOMPARE(test::readFile(demoPath.toStdString()), file);
    action("menuEditUndo")->trigger();
    QCOMPARE(romImage, file);
    // Restored, it is offered no more.
    window->offerRecoveries();
    QCOMPARE(dialogs->recoveryQuestions.size(), std::size_t{1});
  }

  void aFileChangedSinceOffersOnlyACopy() {
    const ByteArray recovered = leaveACopy();
    ByteArray changed = test::readFile(demoPath.toStdString());
    changed[100] ^= 0xFF;
    test::writeFile(demoPath.toStdString(), changed);
    // Later keeps it; Discard drops it; each time the copy is the only way.
    dialogs->recoveryAnswer = UserDialogs::RecoveryAnswer::Later;
    window->offerRecoveries();
    QCOMPARE(dialogs->recoveryAsCopyOnly.back(), true);
    QVERIFY(dialogs->recoveryQuestions.back().text.contains("changed on disk"));
    dialogs->recoveryAnswer = UserDialogs::RecoveryAnswer::RestoreAsCopy;
    dialogs->saveFiles << pathIn("recovered.nes");
    window->offerRecoveries();
    QCOMPARE(test::readFile(pathIn("recovered.nes").toStdString()), recovered);
    QCOMPARE(window->loadedPath(), pathIn("recovered.nes"));
    QCOMPARE(test::readFile(demoPath.toStdString()), changed);
    QVERIFY(copies().empty());
  }

  // Two saves keep two versions; the older restores as one unsaved step.
  void anEarlierVersionComesBackAsAnUnsavedEdit() {
    const ByteArray loaded = romImage;
    pickMetatile(37);
    click(child("picMapRenderDest"), 40, 70);
    action("menuFileSaveRom")->trigger();
    const ByteArray firstSave = romImage;
    click(child("picMapRenderDest"), 140, 70);
    action("menuFileSaveRom")->trigger();
    dialogs->itemAnswer = 1;
    action("menuFileRestoreVersion")->trigger();
    QCOMPARE(dialogs->itemLists.back().size(), 2);
    QVERIFY(dialogs->itemLists.back()[0].endsWith(", 1 bytes changed"));
    QCOMPARE(romImage, loaded);
    QVERIFY(window->isWindowModified());
    action("menuEditUndo")->trigger();
    dialogs->itemAnswer = 0;
    action("menuFileRestoreVersion")->trigger();
    QCOMPARE(romImage, firstSave);
  }

  // Another program changes the file: without unsaved edits it is reloaded
  // as one step; with them the user is asked, and Compare says where.
  void outsideChangesAreReloadedOrAsked() {
    const ByteArray loaded = romImage;
    ByteArray theirs = loaded;
    theirs[static_cast<std::size_t>(rom::kFieldMap.offset + 3)] ^= 0x01;
    test::writeFile(demoPath.toStdString(), theirs);
    QTRY_COMPARE(romImage, theirs);
    QVERIFY(!window->isWindowModified());
    QVERIFY(dialogs->outsideQuestions.empty());
    action("menuEditUndo")->trigger();
    QCOMPARE(romImage, loaded);  // the image differs from the file again
    QVERIFY(window->isWindowModified());
    // Unsaved edits: Compare, then Keep Mine.
    ByteArray again = theirs;
    again[static_cast<std::size_t>(rom::kFieldChrBank.offset + 40)] ^= 0x01;
    dialogs->outsideAnswers = {UserDialogs::OutsideAnswer::Compare,
                               UserDialogs::OutsideAnswer::KeepMine};
    test::writeFile(demoPath.toStdString(), again);
    QTRY_COMPARE(dialogs->outsideQuestions.size(), std::size_t{2});
    QCOMPARE(dialogs->messages.back().text,
             QString("Where demo.nes on disk differs from the image:\n\nfield map 1 byte, "
                     "field CHR bank 1 tile."));
    QCOMPARE(romImage, loaded);
    // And Reload, the edits kept in the history.
    ByteArray third = again;
    third[10] ^= 0x01;
    dialogs->outsideAnswers = {UserDialogs::OutsideAnswer::Reload};
    test::writeFile(demoPath.toStdString(), third);
    QTRY_COMPARE(romImage, third);
    action("menuEditUndo")->trigger();
    QCOMPARE(romImage, loaded);
  }

  // With a base, a patch made in the third session holds every session's
  // changes: applied to the base by the project's own patch code it gives
  // the image. A base changed since is refused.
  void patchesStartFromTheBaseAcrossSessions() {
    const ByteArray clean = romImage;
    test::writeFile(pathIn("clean.nes").toStdString(), clean);
    dialogs->files << pathIn("clean.nes");
    action("menuFileSetPatchBase")->trigger();
    pickMetatile(37);
    for (int session = 0; session < 3; ++session) {
      click(child("picMapRenderDest"), 40 + 64 * session, 70);
      action("menuFileSaveRom")->trigger();
      loadThroughTheMenu(demoPath);
    }
    click(child("picMapRenderDest"), 300, 300);
    for (const char* name : {"all.bps", "all.ips"}) {
      dialogs->saveFiles << pathIn(name);
      action("menuFileExportPatch")->trigger();
      ByteArray patched;
      std::string reason;
      QVERIFY2(applyPatch(test::readFile(pathIn(name).toStdString()), clean, patched, &reason),
               reason.c_str());
      QCOMPARE(patched, romImage);
    }
    ByteArray changed = clean;
    changed[5] ^= 1;
    test::writeFile(pathIn("clean.nes").toStdString(), changed);
    dialogs->saveFiles << pathIn("late.bps");
    action("menuFileExportPatch")->trigger();
    QVERIFY(dialogs->messages.back().text.contains("is no longer the file it was"));
    QVERIFY(!std::filesystem::exists(pathIn("late.bps").toStdString()));
  }
};

QTEST_MAIN(RecoveryWindowTest)
#include "recovery_window_test.moc"
