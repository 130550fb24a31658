#include "platform/user_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "platform/colour_chooser.h"

namespace tarvo {

QString QtUserDialogs::openFileName(QWidget* parent, const QString& directory,
                                    const QString& filter) {
  return QFileDialog::getOpenFileName(parent, QString(), directory, filter);
}

void QtUserDialogs::message(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
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

}  // namespace tarvo
