// Dialogs for the window tests: the open dialog answers at once from a list,
// and every message box is recorded instead of shown.
#pragma once

#include <QStringList>
#include <optional>
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

  // The help window is a message too, its rows as lines of text.
  void showHelp(QWidget*, const QString& title, const std::vector<HelpSection>& sections) override {
    QString text;
    for (const HelpSection& section : sections) {
      for (const HelpRow& row : section.rows) {
        text += QString("%1  %2\n").arg(row.keys, row.action);
      }
    }
    messages.push_back({title, text});
  }

  // Boxes with "Don't show this again" are messages too; the check box is
  // ticked while this is true.
  bool dontShowAgain = false;
  bool messageOnce(QWidget*, const QString& title, const QString& text) override {
    messages.push_back({title, text});
    return dontShowAgain;
  }

  // The answers to "Load anyway?", in turn; none left loads.
  std::vector<bool> loadAnswers;
  std::vector<Message> loadQuestions;
  bool askToLoad(QWidget*, const QString& title, const QString& text) override {
    loadQuestions.push_back({title, text});
    if (loadAnswers.empty()) {
      return true;
    }
    const bool answer = loadAnswers.front();
    loadAnswers.erase(loadAnswers.begin());
    return answer;
  }

  // The answer to a recovery left behind, and the questions asked (with
  // whether only a copy was offered).
  RecoveryAnswer recoveryAnswer = RecoveryAnswer::Later;
  std::vector<Message> recoveryQuestions;
  std::vector<bool> recoveryAsCopyOnly;
  RecoveryAnswer askRecovery(QWidget*, const QString& title, const QString& text,
                             bool asCopyOnly) override {
    recoveryQuestions.push_back({title, text});
    recoveryAsCopyOnly.push_back(asCopyOnly);
    return recoveryAnswer;
  }

  // The answers to an outside change, in turn (none left: Keep Mine), and
  // the questions asked.
  std::vector<OutsideAnswer> outsideAnswers;
  std::vector<Message> outsideQuestions;
  OutsideAnswer askOutsideChange(QWidget*, const QString& title, const QString& text) override {
    outsideQuestions.push_back({title, text});
    if (outsideAnswers.empty()) {
      return OutsideAnswer::KeepMine;
    }
    const OutsideAnswer answer = outsideAnswers.front();
    outsideAnswers.erase(outsideAnswers.begin());
    return answer;
  }

  // The item chosen from a list (-1 cancels), and the lists offered.
  int itemAnswer = -1;
  std::vector<QStringList> itemLists;
  int chooseItem(QWidget*, const QString&, const QString&, const QStringList& items) override {
    itemLists.push_back(items);
    return itemAnswer;
  }

  // The answer to "Add a header?", and the questions asked.
  bool addHeaderAnswer = true;
  std::vector<Message> headerQuestions;
  bool askToAddHeader(QWidget*, const QString& title, const QString& text) override {
    headerQuestions.push_back({title, text});
    return addHeaderAnswer;
  }

  // Edit > Preferences: the values the user sets there, or cancels without.
  std::optional<Preferences> preferencesAnswer;
  std::vector<Preferences> preferencesShown;
  bool editPreferences(QWidget*, Preferences& preferences) override {
    preferencesShown.push_back(preferences);
    if (!preferencesAnswer) {
      return false;
    }
    preferences = *preferencesAnswer;
    return true;
  }

  // The answers to the save and yes-or-no questions, in turn; the questions
  // asked are recorded as messages too. With no answer left, Cancel and No.
  std::vector<SaveAnswer> saveAnswers;
  std::vector<bool> confirmAnswers;
  std::vector<Message> questions;

  SaveAnswer askToSave(QWidget*, const QString& title, const QString& text) override {
    questions.push_back({title, text});
    if (saveAnswers.empty()) {
      return SaveAnswer::Cancel;
    }
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.erase(saveAnswers.begin());
    return answer;
  }

  // The save dialog's answers in turn (empty cancels), and the colour
  // chooser's (-1 cancels); what they were offered.
  QStringList saveFiles;
  QStringList suggestedNames;
  std::vector<int> colourAnswers;
  std::vector<int> colourCurrents;

  QString saveFileName(QWidget*, const QString&, const QString& suggested,
                       const QString& filter) override {
    suggestedNames << suggested;
    filters << filter;
    return saveFiles.isEmpty() ? QString() : saveFiles.takeFirst();
  }

  int chooseNesColour(QWidget*, const QString& title, int current) override {
    questions.push_back({title, QString("colour %1").arg(current)});
    colourCurrents.push_back(current);
    if (colourAnswers.empty()) {
      return -1;
    }
    const int answer = colourAnswers.front();
    colourAnswers.erase(colourAnswers.begin());
    return answer;
  }

  bool confirm(QWidget*, const QString& title, const QString& text) override {
    questions.push_back({title, text});
    if (confirmAnswers.empty()) {
      return false;
    }
    const bool answer = confirmAnswers.front();
    confirmAnswers.erase(confirmAnswers.begin());
    return answer;
  }

  // Import Picture: the options the user applies with (none cancels), and
  // the names of the pictures shown. The fit is made here, at once.
  std::optional<ImportOptions> importAnswer;
  QStringList importedNames;
  std::optional<FittedPicture> fitPicture(QWidget*, ImportTarget target, const QString& name,
                                          const std::vector<Color>& picture,
                                          const ByteArray& image) override {
    importedNames << name;
    if (!importAnswer) {
      return std::nullopt;
    }
    return tarvo::fitPicture(image, target, picture, *importAnswer);
  }

  // Reduce Tiles: the count chosen, or nothing to cancel; and what it was
  // asked for.
  std::optional<int> tileCount;
  std::vector<TileScreen> tileCountScreens;
  std::optional<int> chooseTileCount(QWidget*, TileScreen screen, const ByteArray&, int) override {
    tileCountScreens.push_back(screen);
    return tileCount;
  }
};

}  // namespace tarvo::test
