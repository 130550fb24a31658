// The main window's file operations: loading (also by dropping a file),
// saving, and the files it writes or reads besides the image.
#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include "editor/frmAltPane.h"
#include "gfx/colors.h"
#include "platform/clickable_label.h"
#include "platform/editor_settings.h"
#include "platform/file_watcher.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "screens/field_edits.h"
#include "screens/field_renderer.h"
#include "screens/help_text.h"
#include "screens/metatile_picker.h"
#include "screens/status_text.h"
#include "screens/views.h"
#include "shell/checksums.h"
#include "shell/command_line.h"
#include "shell/patches.h"
#include "shell/preview_rom.h"
#include "shell/rom_image.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"
namespace tarvo {

// The one local file dropped, if its name ends in `extension`.
namespace {

QString droppedFile(const QMimeData* data, const char* extension) {
  if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
    return {};
  }
  const QString path = data->urls().front().toLocalFile();
  return path.endsWith(extension, Qt::CaseInsensitive) ? path : QString();
}

}  // namespace

// A .nes file dropped on the window opens as "Load Rom" would open it.
void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  // A ROM image to load; with one loaded, a picture to import.
  if (!droppedFile(event->mimeData(), ".nes").isEmpty() ||
      (romDocument.isLoaded() && !droppedFile(event->mimeData(), ".png").isEmpty())) {
    event->acceptProposedAction();
  }
}

void frmMain::dropEvent(QDropEvent* event) {
  const QString romFile = droppedFile(event->mimeData(), ".nes");
  const QString picture = droppedFile(event->mimeData(), ".png");
  if (!romFile.isEmpty()) {
    event->acceptProposedAction();
    if (maybeSave()) {
      loadRomFile(romFile);
    }
  } else if (!picture.isEmpty() && romDocument.isLoaded()) {
    event->acceptProposedAction();
    importPictureFile(picture, std::nullopt);
  }
}

void frmMain::showMessage(const QString& text) {
  dialogs.message(this, appTitle, text);
}

void frmMain::menuFileLoadRom_Click() {
  if (!maybeSave()) {
    return;
  }
  const QString path = dialogs.openFileName(this, dialogDirectory, "NES ROM (*.nes)");
  if (path.isEmpty()) {
    return;  // cancelled
  }
  loadRomFile(path);
}

bool frmMain::loadRomFile(const QString& path) {
  std::string reason;
  const QString name = QFileInfo(path).fileName();
  ByteArray incoming;
  bool headerless = false;
  if (!RomDocument::read(path.toStdString(), incoming, &reason)) {
    // A dump without its header: the game's header is offered, and written
    // only by the next save.
    headerless = RomDocument::readHeaderlessDump(path.toStdString(), incoming);
    if (!headerless) {
      showMessage(QString("%1 was not loaded.\n\n%2.").arg(name, QString::fromStdString(reason)));
      return false;  // everything stays, the editor window too
    }
    if (!dialogs.askToAddHeader(
            this, appTitle + " [" + name + "]",
            "This file has no iNES header. Add one (the file grows by 16 bytes)?")) {
      return false;
    }
  }
  // A file whose header does not describe the game's layout may be another
  // game, or this one dumped otherwise: its bytes at our offsets would be
  // something else. Asked once, before anything changes.
  if (const std::string problem = headerless ? std::string() : romHeaderProblem(incoming);
      !problem.empty() &&
      !dialogs.askToLoad(this, appTitle,
                         QString("%1 may not be the game's ROM image.\n\n%2.\n\nLoad it and "
                                 "edit it at the game's offsets anyway?")
                             .arg(name, QString::fromStdString(problem)))) {
    return false;
  }
  // The editor window shows the image it was opened on: it closes first.
  shutEditor();
  forgetRecovery();
  mapTools.reset();
  pastePicture.reset();
  if (headerless) {
    romDocument.adoptWithHeader(path.toStdString(), incoming);
  } else {
    romDocument.adopt(path.toStdString(), std::move(incoming));
  }
  dialogDirectory = QFileInfo(path).absolutePath();
  // "[*]" in a title is the unsaved-changes marker; one in the file's own
  // name is doubled to show as it is.
  QString shownName = name;
  shownName.replace("[*]", "[*][*]");
  setWindowTitle(appTitle + " [" + shownName + "][*]");
  refreshGFX();
  enableMenus(true);
  enableViews(true);
  picMetaTable_MouseDown(0, 0, 0, 0);
  metatileDragFrom.reset();
  showUses();
  showHistoryState();
  showToolState();
  settings::addRecentFile(QFileInfo(path).absoluteFilePath());
  settings::setLastFolder(dialogDirectory);
  showRecentFiles();
  fileWatcher->watch(path);
  showFileMessage("File loaded!");
  offerRecoveries(path);
  return true;
}

bool frmMain::saveRom() {
  if (!romDocument.isLoaded()) {
    return false;
  }
  const QString name = QFileInfo(loadedPath()).fileName();
  if (romDocument.changedOnDisk() &&
      !dialogs.confirm(this, appTitle,
                       QString("%1 has changed on disk since it was loaded or last saved.\n\n"
                               "Overwrite it with the image in the editor?")
                           .arg(name))) {
    return false;
  }
  std::string reason;
  // The bytes the save replaces, kept as an earlier version.
  ByteArray before;
  const bool hadFile = readWholeFile(romDocument.path(), before, rom::kMaxImageSize);
  if (!romDocument.save(&reason)) {
    showMessage(QString("%1 was not saved.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return false;
  }
  forgetRecovery();
  if (hadFile) {
    keepVersion(before);
  }
  showHistoryState();
  showFileMessage("File saved!");
  return true;
}

bool frmMain::maybeSave() {
  romDocument.history().checkpoint();
  if (!romDocument.isLoaded() || !romDocument.isModified()) {
    return true;
  }
  const QString question = QString("Save changes to %1?").arg(QFileInfo(loadedPath()).fileName());
  switch (dialogs.askToSave(this, appTitle, question)) {
    case UserDialogs::SaveAnswer::Save:
      return saveRom();
    case UserDialogs::SaveAnswer::Discard:
      return true;
    case UserDialogs::SaveAnswer::Cancel:
      return false;
  }
  return false;
}

void frmMain::menuFileExportImage_Click(int view) {
  const ViewInfo& info = kViews[static_cast<std::size_t>(view)];
  const QString base = QFileInfo(loadedPath()).completeBaseName();
  const QString path = dialogs.saveFileName(
      this, dialogDirectory,
      base + "-" + QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size())) + ".png",
      "PNG image (*.png)");
  if (path.isEmpty()) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  if (!name.endsWith(".png", Qt::CaseInsensitive)) {
    showMessage(QString("%1 was not written.\n\nA picture's name ends in .png.").arg(name));
    return;
  }
  if (refuseToOverwriteRom(path)) {
    return;
  }
  ByteArray png;
  std::string reason;
  if (!encodeViewPng(romImage, info.view, 0, png, &reason, colourMode()) ||
      !writeWholeFile(path.toStdString(), png, &reason)) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(QString("Wrote %1").arg(name), 5000);
}

void frmMain::menuFileImportPicture_Click(ImportTarget target) {
  const QString path = dialogs.openFileName(this, dialogDirectory, "PNG image (*.png)");
  if (!path.isEmpty()) {
    importPictureFile(path, target);
  }
}

void frmMain::importPictureFile(const QString& path, std::optional<ImportTarget> target) {
  const QString name = QFileInfo(path).fileName();
  ByteArray png;
  std::vector<Color> picture;
  std::string reason;
  const auto refuse = [&] {
    showMessage(QString("%1 was not imported.\n\n%2.").arg(name, QString::fromStdString(reason)));
  };
  if (!readWholeFile(path.toStdString(), png, kImportFileLimit, &reason)) {
    refuse();
    return;
  }
  if (!target) {
    // A dropped picture goes where its size says.
    DecodedImage decoded;
    decodePng(png, decoded, &reason, 0);
    for (const ImportTarget view : {ImportTarget::Field, ImportTarget::BatView}) {
      if (decoded.width == importWidth(view) && decoded.height == importHeight(view)) {
        target = view;
      }
    }
    if (!target) {
      if (decoded.width > 0) {
        reason =
            "A picture to import is 768 x 768 pixels (the field) or 256 x 240 (the batter's "
            "view); this one is ";
        reason += std::to_string(decoded.width) + " x " + std::to_string(decoded.height);
      }
      refuse();
      return;
    }
  }
  if (!readImportPicture(png, *target, picture, &reason)) {
    refuse();
    return;
  }
  // A drag under way ends as a step of its own.
  if (mapTools.inGesture()) {
    mapTools.endGesture();
    showToolState();
  }
  const std::optional<FittedPicture> fitted =
      dialogs.fitPicture(this, *target, name, picture, romImage);
  if (!fitted) {
    return;
  }
  importPicture(romDocument.history(), romImage, *fitted, *target);
  statusBar()->showMessage(
      QString("Imported %1: %2")
          .arg(name, QString::fromStdString(describeFigures(fitted->figures, *target))),
      10000);
}

void frmMain::menuFileExportPatch_Click() {
  const QString path = dialogs.saveFileName(this, dialogDirectory,
                                            QFileInfo(loadedPath()).completeBaseName() + ".ips",
                                            "IPS patch (*.ips);;BPS patch (*.bps)");
  if (path.isEmpty()) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  const auto format = patchFormatForPath(path.toStdString());
  if (!format) {
    showMessage(QString("%1 was not written.\n\nA patch's name ends in .ips or .bps.").arg(name));
    return;
  }
  if (refuseToOverwriteRom(path)) {
    return;
  }
  romDocument.history().checkpoint();
  // Every change since the clean ROM when the file has a base; else since
  // the file was loaded.
  ByteArray source = romDocument.loadedBytes();
  std::string reason;
  const std::optional<QString> base = patchBaseOf(source, &reason);
  if (!reason.empty()) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  ByteArray patch;
  if (!makePatch(*format, source, romImage, patch, &reason) ||
      !writeWholeFile(path.toStdString(), patch, &reason)) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(
      base ? QString("Wrote %1: every change since %2").arg(name, QFileInfo(*base).fileName())
           : QString("Wrote %1: the changes since the file was loaded (File > Set Patch Base... "
                     "makes it every change since the clean ROM)")
                 .arg(name),
      10000);
}

namespace {

// The settings keys of a file's patch base, by the file's path.
QString patchBaseKey(const QString& file, const char* what) {
  const std::string path = QFileInfo(file).absoluteFilePath().toStdString();
  return QString("patchBase/%1/%2")
      .arg(QString::fromStdString(sha1Hex(ByteArray(path.begin(), path.end()))), what);
}

}  // namespace

void frmMain::menuFileSetPatchBase_Click() {
  const QString path =
      dialogs.openFileName(this, dialogDirectory, "Clean ROM (*.nes);;All files (*)");
  if (path.isEmpty()) {
    return;
  }
  ByteArray bytes;
  std::string reason;
  if (!readWholeFile(path.toStdString(), bytes, rom::kMaxImageSize, &reason)) {
    showMessage(QString("%1 was not set as the patch base.\n\n%2.")
                    .arg(QFileInfo(path).fileName(), QString::fromStdString(reason)));
    return;
  }
  settings::setText(patchBaseKey(loadedPath(), "path"), QFileInfo(path).absoluteFilePath());
  settings::setText(patchBaseKey(loadedPath(), "sha1"), QString::fromStdString(sha1Hex(bytes)));
  statusBar()->showMessage(
      QString("Export Patch now holds every change since %1").arg(QFileInfo(path).fileName()),
      10000);
}

std::optional<QString> frmMain::patchBaseOf(ByteArray& bytes, std::string* reason) const {
  const QString base = settings::text(patchBaseKey(loadedPath(), "path"));
  if (base.isEmpty()) {
    return std::nullopt;
  }
  ByteArray read;
  std::string why;
  if (!readWholeFile(base.toStdString(), read, rom::kMaxImageSize, &why)) {
    *reason = "The patch base " + base.toStdString() + " could not be read: " + why;
    return std::nullopt;
  }
  if (QString::fromStdString(sha1Hex(read)) != settings::text(patchBaseKey(loadedPath(), "sha1"))) {
    *reason = "The patch base " + base.toStdString() +
              " is no longer the file it was (its SHA-1 differs); set it again";
    return std::nullopt;
  }
  bytes = std::move(read);
  return base;
}

void frmMain::menuFilePlayInEmulator_Click() {
  if (!romDocument.isLoaded()) {
    return;
  }
  QString problem;
  switch (emulator.play(romImage, QFileInfo(loadedPath()).fileName(), configuredEmulatorCommand(),
                        &problem)) {
    case EmulatorLauncher::Result::Started:
      statusBar()->showMessage(QString("Playing %1 in %2, unsaved edits included")
                                   .arg(QFileInfo(loadedPath()).fileName(), emulator.programName()),
                               5000);
      break;
    case EmulatorLauncher::Result::NoEmulator:
      showMessage(problem +
                  "\n\nInstall an NES emulator from Debian's packages fceux, nestopia or "
                  "mednafen (for example: sudo apt install fceux), or set the command of your "
                  "emulator in Edit > Preferences.");
      break;
    case EmulatorLauncher::Result::NotWritten:
      showMessage(problem);
      break;
  }
}

void frmMain::menuFileExportPreviewRom_Click() {
  const QString path = dialogs.saveFileName(
      this, dialogDirectory, QFileInfo(loadedPath()).completeBaseName() + "-preview.nes",
      "NES ROM (*.nes)");
  if (path.isEmpty() || refuseToOverwriteRom(path)) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  std::string reason;
  if (!writeWholeFile(path.toStdString(), makePreviewRom(romImage), &reason)) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(QString("Wrote %1: it boots in any emulator and shows this field and "
                                   "batter's view")
                               .arg(name),
                           5000);
}

bool frmMain::refuseToOverwriteRom(const QString& path) {
  if (!sameFile(path.toStdString(), romDocument.path())) {
    return false;
  }
  showMessage(QString("%1 was not written.\n\nIt is the ROM image being edited; choose another "
                      "name.")
                  .arg(QFileInfo(path).fileName()));
  return true;
}
}  // namespace tarvo
