// The editor: the main window, opened on the ROM image named on the command
// line if one is.
#include <QApplication>
#include <QStringList>
#include <iostream>
#include <string>
#include <vector>

#include "platform/user_dialogs.h"
#include "shell/command_line.h"
#include "shell/file_system.h"
#include "shell/frmMain.h"

namespace {

// Answers --help and --version, or reports a usage error; returns the exit
// status, or -1 when the editor is to start.
int answerCommandLine(const tarvo::EditorCommandLine& command) {
  using Action = tarvo::EditorCommandLine::Action;
  switch (command.action) {
    case Action::Help:
      std::cout << tarvo::editorHelpText();
      return 0;
    case Action::Version:
      std::cout << tarvo::editorVersionText();
      return 0;
    case Action::UsageError:
      std::cerr << tarvo::usageErrorText("tarvo-field-editor", command.message);
      return 2;
    case Action::Run:
      break;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version need no display: answer them before Qt starts. Qt's
  // own options are still among these words, so nothing else is judged yet.
  {
    const tarvo::EditorCommandLine early =
        tarvo::parseEditorCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    using Action = tarvo::EditorCommandLine::Action;
    if (early.action == Action::Help || early.action == Action::Version) {
      return answerCommandLine(early);
    }
  }
  // The names place the settings: ~/.config/Tarvo/Tarvo Field Editor.conf.
  QCoreApplication::setOrganizationName("Tarvo");
  QCoreApplication::setApplicationName("Tarvo Field Editor");
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName("tarvo-field-editor");
  tarvo::os::ignoreFileSizeSignal();
  // Qt has taken its own options out of the arguments by now.
  std::vector<std::string> words;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    words.push_back(arguments.at(i).toStdString());
  }
  const tarvo::EditorCommandLine command = tarvo::parseEditorCommandLine(words);
  if (const int status = answerCommandLine(command); status >= 0) {
    return status;
  }
  tarvo::QtUserDialogs dialogs;
  tarvo::frmMain window(dialogs);
  window.show();
  if (!command.romPath.empty()) {
    window.loadRomFile(QString::fromStdString(command.romPath));
  }
  window.offerRecoveries();
  return QApplication::exec();
}
