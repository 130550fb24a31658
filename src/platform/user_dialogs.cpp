#include "platform/user_dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/colour_chooser.h"
#include "platform/emulator_launcher.h"
#include "platform/help_window.h"
#include "platform/picture_import_dialog.h"
#include "platform/reduce_tiles_dialog.h"

namespace tarvo {

QString QtUserDialogs::openFileName(QWidget* parent, const QString& directory,
                                    const QString& filter) {
  return QFileDialog::getOpenFileName(parent, QString(), directory, filter);
}

void QtUserDialogs::message(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

void QtUserDialogs::showHelp(QWidget* parent, const QString& title,
                             const std::vector<HelpSection>& sections) {
  showHelpWindow(parent, title, sections);
}

UserDialogs::SaveAnswer QtUserDialogs::askToSave(QWidget* parent, const QString& title,
                                                 const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAnswer::Save;
    case QMessageBox::Discard:
      return SaveAnswer::Discard;
    default:
      return SaveAnswer::Cancel;
  }
}

bool QtUserDialogs::confirm(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& directory,
                                    const QString& suggested, const QString& filter) {
  return QFileDialog::getSaveFileName(parent, QString(), directory + "/" + suggested, filter);
}

int QtUserDialogs::chooseNesColour(QWidget* parent, const QString& title, int current) {
  ColourChooser chooser(current, parent);
  chooser.setWindowTitle(title);
  return chooser.exec() == QDialog::Accepted ? chooser.chosen() : -1;
}

bool QtUserDialogs::messageOnce(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  auto* dontShow = new QCheckBox("&Don't show this again");
  dontShow->setToolTip("Edit > Preferences shows these messages again");
  box.setCheckBox(dontShow);
  box.exec();
  return dontShow->isChecked();
}

bool QtUserDialogs::askToLoad(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Cancel, parent);
  QPushButton* load = box.addButton("&Load", QMessageBox::AcceptRole);
  box.setDefaultButton(QMessageBox::Cancel);
  box.exec();
  return box.clickedButton() == load;
}

bool QtUserDialogs::askToAddHeader(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Cancel, parent);
  QPushButton* add = box.addButton("&Add Header", QMessageBox::AcceptRole);
  box.setDefaultButton(add);
  box.exec();
  return box.clickedButton() == add;
}

UserDialogs::RecoveryAnswer QtUserDialogs::askRecovery(QWidget* parent, const QString& title,
                                                       const QString& text, bool asCopyOnly) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  QPushButton* restore =
      box.addButton(asCopyOnly ? "Restore as a &Copy..." : "&Restore", QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton("&Discard", QMessageBox::DestructiveRole);
  QPushButton* later = box.addButton("&Later", QMessageBox::RejectRole);
  box.setDefaultButton(restore);
  box.setEscapeButton(later);
  box.exec();
  if (box.clickedButton() == restore) {
    return asCopyOnly ? RecoveryAnswer::RestoreAsCopy : RecoveryAnswer::Restore;
  }
  return box.clickedButton() == discard ? RecoveryAnswer::Discard : RecoveryAnswer::Later;
}

UserDialogs::OutsideAnswer QtUserDialogs::askOutsideChange(QWidget* parent, const QString& title,
                                                           const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
  QPushButton* reload = box.addButton("&Reload", QMessageBox::AcceptRole);
  QPushButton* keep = box.addButton("&Keep Mine", QMessageBox::RejectRole);
  QPushButton* compare = box.addButton("&Compare", QMessageBox::HelpRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  if (box.clickedButton() == reload) {
    return OutsideAnswer::Reload;
  }
  return box.clickedButton() == compare ? OutsideAnswer::Compare : OutsideAnswer::KeepMine;
}

int QtUserDialogs::chooseItem(QWidget* parent, const QString& title, const QString& label,
                              const QStringList& items) {
  bool chosen = false;
  const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &chosen);
  return chosen ? static_cast<int>(items.indexOf(item)) : -1;
}

bool QtUserDialogs::editPreferences(QWidget* parent, Preferences& preferences) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Preferences");
  auto* layout = new QVBoxLayout(&dialog);
  auto* fileMessages = new QCheckBox("&Show \"File loaded!\" and \"File saved!\" in a message box");
  fileMessages->setChecked(preferences.showFileMessages);
  layout->addWidget(fileMessages);
  auto* emulatorLabel = new QLabel("&Emulator command for Play in Emulator (%f is the file):");
  auto* emulator = new QLineEdit(preferences.emulatorCommand);
  emulator->setObjectName("txtEmulatorCommand");
  const QString found = defaultEmulatorCommand();
  emulator->setPlaceholderText(found.isEmpty() ? QString("none found: fceux, nestopia or mednafen")
                                               : found);
  emulator->setToolTip("Empty: the first of fceux, nestopia and mednafen found");
  emulatorLabel->setBuddy(emulator);
  layout->addWidget(emulatorLabel);
  layout->addWidget(emulator);
  auto* altPicks = new QCheckBox("&Alt+press picks, in every tool");
  altPicks->setObjectName("chkAltPicks");
  altPicks->setToolTip("Off: a press ignores Shift, Ctrl and Alt; the Pick tool (I) picks");
  altPicks->setChecked(preferences.altPicks);
  layout->addWidget(altPicks);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  preferences.showFileMessages = fileMessages->isChecked();
  preferences.emulatorCommand = emulator->text().trimmed();
  preferences.altPicks = altPicks->isChecked();
  return true;
}

std::optional<FittedPicture> QtUserDialogs::fitPicture(QWidget* parent, ImportTarget target,
                                                       const QString& name,
                                                       const std::vector<Color>& picture,
                                                       const ByteArray& image) {
  PictureImportDialog dialog(target, name, picture, image, parent);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return dialog.fitted();
}

std::optional<int> QtUserDialogs::chooseTileCount(QWidget* parent, TileScreen screen,
                                                  const ByteArray& image, int suggested) {
  return runReduceTilesDialog(parent, screen, image, suggested);
}

}  // namespace tarvo
