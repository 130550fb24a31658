// Dialogs for the window tests: the open dialog answers at once from a list,
// and every message box is recorded instead of shown.
#pragma once

#include <QStringList>
#include <vector>

#include "platform/user_dialogs.h"

namespace tarvo::test {

class FakeDialogs : public UserDialogs {
 public:
  struct Message {
    QString title;
    QString text;
  };

  QStringList files;  // the answers of the open dialog, in turn; empty cancels
  int opened = 0;
  QStringList directories;
  QStringList filters;
  std::vector<Message> messages;

  QString openFileName(QWidget*, const QString& directory, const QString& filter) override {
    ++opened;
    directories << directory;
    filters << filter;
    return files.isEmpty() ? QString() : files.takeFirst();
  }

  void message(QWidget*, const QString& title, const QString& text) override {
    messages.push_back({title, text});
  }
};

}  // namespace tarvo::test
