// The editor: the main window, opened on the ROM image named on the command
// line if one is.
#include <QApplication>
#include <QStringList>

#include "platform/user_dialogs.h"
#include "shell/file_system.h"
#include "shell/frmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tarvo::os::ignoreFileSizeSignal();
  tarvo::QtUserDialogs dialogs;
  tarvo::frmMain window(dialogs);
  window.show();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    window.loadRomFile(arguments.at(1));
  }
  return QApplication::exec();
}
