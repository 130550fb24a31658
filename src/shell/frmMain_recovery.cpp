// The main window's recovery copies: kept while the image has unsaved
// edits, removed by a save, a discard or a clean exit, and offered after a
// session that ended unexpectedly.
#include <QDateTime>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>

#include "platform/file_watcher.h"
#include "platform/user_dialogs.h"
#include "screens/edit_steps.h"
#include "shell/checksums.h"
#include "shell/frmMain.h"
#include "shell/recovery.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// While a stroke is under way the copy waits this long and tries again.
constexpr int kStrokeRetryMs = 250;

}  // namespace

void frmMain::startRecovery() {
  fileWatcher = new FileWatcher(this);
  connect(fileWatcher, &FileWatcher::changed, this, &frmMain::fileChangedOutside);
  recoveryTimer = new QTimer(this);
  recoveryTimer->setSingleShot(true);
  connect(recoveryTimer, &QTimer::timeout, this, &frmMain::writeRecovery);
  std::string reason;
  if (!recoveryStore.open(&reason)) {
    statusBar()->showMessage(
        QString("No recovery copies will be kept: %1.").arg(QString::fromStdString(reason)), 10000);
  }
}

void frmMain::setRecoveryDelay(int milliseconds) {
  recoveryDelay = milliseconds;
}

void frmMain::scheduleRecovery() {
  if (!romDocument.isLoaded()) {
    return;
  }
  if (!romDocument.isModified()) {
    recoveryTimer->stop();
    recoveryStore.remove(romDocument.path());
    return;
  }
  // At most the delay after any edit: a timer already running is not put
  // off again, or steady editing would never leave a copy.
  if (!recoveryTimer->isActive()) {
    recoveryTimer->start(recoveryDelay);
  }
}

void frmMain::writeRecovery() {
  if (!romDocument.isLoaded() || !romDocument.isModified()) {
    return;
  }
  if (romDocument.history().isOpen()) {
    recoveryTimer->start(kStrokeRetryMs);  // never in the middle of a stroke
    return;
  }
  Recovery recovery;
  recovery.path = romDocument.path();
  recovery.baseSize = static_cast<std::int64_t>(romDocument.fileBytes().size());
  recovery.baseSha1 = sha1Hex(romDocument.fileBytes());
  recovery.savedAt = QDateTime::currentSecsSinceEpoch();
  recovery.image = romImage;
  std::string reason;
  if (!recoveryStore.write(recovery, &reason)) {
    statusBar()->showMessage(
        QString("The recovery copy was not written: %1.").arg(QString::fromStdString(reason)),
        10000);
  }
}

void frmMain::forgetRecovery() {
  if (romDocument.isLoaded()) {
    recoveryTimer->stop();
    recoveryStore.remove(romDocument.path());
  }
}

void frmMain::offerRecoveries(const QString& onlyFor) {
  if (offeringRecovery) {
    return;  // a restore loading its file
  }
  const QScopedValueRollback<bool> offering(offeringRecovery, true);
  std::vector<RecoveryStore::Damaged> damaged;
  for (const RecoveryStore::Left& left : recoveryStore.leftBehind(&damaged)) {
    const QString path = QString::fromStdString(left.recovery.path);
    if (!onlyFor.isEmpty() && QFileInfo(path) != QFileInfo(onlyFor)) {
      continue;
    }
    offerRecovery(left);
  }
  for (const RecoveryStore::Damaged& bad : damaged) {
    showMessage(
        QString("A recovery copy could not be read: %1.\n\nIt is kept as %2.")
            .arg(QString::fromStdString(bad.reason), QString::fromStdString(bad.file.string())));
  }
}

void frmMain::offerRecovery(const RecoveryStore::Left& left) {
  const Recovery& recovery = left.recovery;
  const QString path = QString::fromStdString(recovery.path);
  const QString name = QFileInfo(path).fileName();
  const QString when =
      QDateTime::fromSecsSinceEpoch(recovery.savedAt).toString("yyyy-MM-dd, hh:mm");
  QString text = QString(
                     "%1 has unsaved changes from a session that ended unexpectedly (%2). "
                     "Restore them?")
                     .arg(name, when);
  // Restored in place only onto the file they were made on.
  ByteArray now;
  const bool exists = RomDocument::read(recovery.path, now);
  const bool same = exists && static_cast<std::int64_t>(now.size()) == recovery.baseSize &&
                    sha1Hex(now) == recovery.baseSha1 && now.size() == recovery.image.size();
  if (!exists) {
    text += "\n\nThe file is gone: they can be restored as a copy.";
  } else if (!same) {
    text += "\n\nThe file has changed on disk since: they can be restored as a copy.";
  }
  switch (dialogs.askRecovery(this, appTitle, text, !same)) {
    case UserDialogs::RecoveryAnswer::Restore:
      if (loadedPath() != path && !maybeSave()) {
        return;
      }
      if (same && (loadedPath() == path || loadRomFile(path))) {
        Edit edit(romDocument.history(), step::kRestoreUnsavedChanges);
        std::copy(recovery.image.begin(), recovery.image.end(), romImage.begin());
        RecoveryStore::discard(left);
      }
      return;
    case UserDialogs::RecoveryAnswer::RestoreAsCopy:
      restoreAsCopy(left);
      return;
    case UserDialogs::RecoveryAnswer::Discard:
      RecoveryStore::discard(left);
      return;
    case UserDialogs::RecoveryAnswer::Later:
      return;
  }
}

void frmMain::restoreAsCopy(const RecoveryStore::Left& left) {
  const QFileInfo original(QString::fromStdString(left.recovery.path));
  const QString path =
      dialogs.saveFileName(this, original.absolutePath(),
                           original.completeBaseName() + "-recovered.nes", "NES ROM (*.nes)");
  if (path.isEmpty() || refuseToOverwriteRom(path) || !maybeSave()) {
    return;
  }
  std::string reason;
  if (!writeWholeFile(path.toStdString(), left.recovery.image, &reason)) {
    showMessage(QString("%1 was not written.\n\n%2.")
                    .arg(QFileInfo(path).fileName(), QString::fromStdString(reason)));
    return;
  }
  RecoveryStore::discard(left);
  loadRomFile(path);
}

void frmMain::keepVersion(const ByteArray& before) {
  // What the save left on disk: the image, and the tail of a longer file.
  ByteArray after;
  std::string reason;
  if (!readWholeFile(romDocument.path(), after, rom::kMaxImageSize, &reason) ||
      !versionStore.keep(romDocument.path(), before, after, QDateTime::currentSecsSinceEpoch(),
                         &reason)) {
    statusBar()->showMessage(
        QString("The earlier version was not kept: %1.").arg(QString::fromStdString(reason)),
        10000);
  }
}

void frmMain::menuFileRestoreVersion_Click() {
  const std::vector<Version> versions = versionStore.list(romDocument.path());
  const QString name = QFileInfo(loadedPath()).fileName();
  if (versions.empty()) {
    showMessage(QString("No earlier version of %1 is kept: every save keeps the one it "
                        "replaces.")
                    .arg(name));
    return;
  }
  QStringList items;
  for (const Version& version : versions) {
    items << QString("%1, %2 bytes changed")
                 .arg(
                     QDateTime::fromSecsSinceEpoch(version.savedAt).toString("yyyy-MM-dd hh:mm:ss"))
                 .arg(version.bytesChanged);
  }
  const int chosen = dialogs.chooseItem(
      this, appTitle, QString("%1 as it was before the save of:").arg(name), items);
  if (chosen < 0) {
    return;
  }
  ByteArray file;
  ByteArray bytes;
  std::string reason;
  if (!readWholeFile(romDocument.path(), file, rom::kMaxImageSize, &reason) ||
      !versionStore.restore(romDocument.path(), file, versions[static_cast<std::size_t>(chosen)],
                            bytes, &reason)) {
    showMessage(QString("That version of %1 could not be restored.\n\n%2.")
                    .arg(name, QString::fromStdString(reason)));
    return;
  }
  if (bytes.size() < romImage.size()) {
    showMessage(
        QString("That version of %1 is shorter than the image; it was not restored.").arg(name));
    return;
  }
  Edit edit(romDocument.history(), step::kRestoreEarlierVersion);
  std::copy_n(bytes.begin(), romImage.size(), romImage.begin());
}

void frmMain::fileChangedOutside() {
  if (!romDocument.isLoaded()) {
    return;
  }
  ByteArray now;
  if (!readWholeFile(romDocument.path(), now, rom::kMaxImageSize) ||
      now == romDocument.fileBytes()) {
    return;  // gone (a save's rename under way), or this window's own save
  }
  const QString name = QFileInfo(loadedPath()).fileName();
  if (romDocument.isModified()) {
    for (;;) {
      const UserDialogs::OutsideAnswer answer = dialogs.askOutsideChange(
          this, appTitle,
          QString("%1 was changed by another program, and the image has unsaved edits.\n\n"
                  "Reload takes the file's bytes as one step (Undo gives your edits back); "
                  "Keep Mine keeps the image, and the next save asks before overwriting.")
              .arg(name));
      if (answer == UserDialogs::OutsideAnswer::KeepMine) {
        return;
      }
      if (answer == UserDialogs::OutsideAnswer::Reload) {
        break;
      }
      showMessage(QString("Where %1 on disk differs from the image:\n\n%2.")
                      .arg(name, QString::fromStdString(describeDifferences(romImage, now))));
    }
  }
  if (!romDocument.takeOutsideChange(now, step::kReloadFromDisk)) {
    showMessage(QString("%1 was changed by another program to another length; it was not "
                        "reloaded. Load Rom loads it as it is now.")
                    .arg(name));
    return;
  }
  statusBar()->showMessage(
      QString("%1 was changed by another program and reloaded (Undo takes it back).").arg(name),
      10000);
}

}  // namespace tarvo
