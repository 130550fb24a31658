#include "platform/user_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tarvo {

QString QtUserDialogs::openFileName(QWidget* parent, const QString& directory,
                                    const QString& filter) {
  return QFileDialog::getOpenFileName(parent, QString(), directory, filter);
}

void QtUserDialogs::message(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace tarvo
