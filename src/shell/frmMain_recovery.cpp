// The main window's recovery copies: kept while the image has unsaved
// edits, removed by a save, a discard or a clean exit, and offered after a
// session that ended unexpectedly.
#include <QDateTime>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>

#include "platform/user_dialogs.h"
#include "shell/checksums.h"
#include "shell/frmMain.h"
#include "shell/recovery.h"

namespace tarvo {

namespace {

constexpr const char* kRestoreStep = "Restore Unsaved Changes";
// While a stroke is under way the copy waits this long and tries again.
constexpr int kStrokeRetryMs = 250;

}  // namespace

void frmMain::startRecovery() {
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
  // At most the delay after the last edit.
  recoveryTimer->start(recoveryDelay);
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
        Edit edit(romDocument.history(), kRestoreStep);
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

}  // namespace tarvo
