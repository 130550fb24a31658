// File > Play in Emulator: the image as it is, unsaved edits included, in an
// emulator, without touching the user's file. Each play writes a fresh copy
// into a private folder of this editor's (mode 0700, removed when the editor
// exits) and starts the emulator on it; a second play ends the emulator the
// first one started. The window never waits on the emulator.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "shell/rom_image.h"

class QProcess;

namespace tarvo {

// The emulator command as the settings keep it ("emulator/command"): a
// command line with %f for the file.
struct EmulatorCommand {
  QString program;
  QStringList arguments;
};

// Splits `commandLine` into words as the shell does (quotes, backslashes, ~
// and $VARIABLES, but no command is run), and puts `file` in place of every
// %f; without a %f the file is the last argument. Nothing when the line
// names no program or the shell could not read it.
std::optional<EmulatorCommand> emulatorCommandFor(const QString& commandLine, const QString& file);

// Where `program` is: a path as it stands, else the first match on PATH or in
// /usr/games (Debian's emulators live there). Empty when it is not an
// executable file.
QString findEmulatorProgram(const QString& program);

// The command when none is set: the first of fceux, nestopia and mednafen
// found, with the file as its argument; empty when none is.
QString defaultEmulatorCommand();

// The command the settings name, or the default.
QString configuredEmulatorCommand();

class EmulatorLauncher : public QObject {
  Q_OBJECT

 public:
  // How long an emulator may take to end when asked before it is killed,
  // and how soon an exit counts as a failure to start, in milliseconds.
  static constexpr int kGraceMilliseconds = 2000;

  explicit EmulatorLauncher(QObject* parent = nullptr);
  ~EmulatorLauncher() override;

  enum class Result { Started, NoEmulator, NotWritten };
  // Writes `image` as `fileName` into a fresh folder of the private one and
  // starts `commandLine` on it, after ending the emulator this launcher
  // started before. `problem` says what went wrong.
  Result play(const ByteArray& image, const QString& fileName, const QString& commandLine,
              QString* problem);

  // The emulator started last, while it runs, and the copy it was given.
  bool running() const;
  QString copyPath() const { return copyPath_; }
  // The emulator's program, as found for the last play ("fceux").
  QString programName() const { return programName_; }
  QString folder() const { return folder_ ? folder_->path() : QString(); }

 signals:
  // The emulator ended with an error (or could not start) within
  // kGraceMilliseconds: its last line of standard error, or what happened.
  void failed(const QString& message);

 private:
  // Asks the running emulator to end, and kills it if it has not after
  // kGraceMilliseconds; its folder goes once it has ended.
  void endRunning();
  // Starts `program` on a copy in `playFolder`, which goes with the
  // emulator; a failure within the first seconds is reported by failed().
  void start(const QString& program, const QStringList& arguments, const QString& playFolder);

  std::unique_ptr<QTemporaryDir> folder_;
  QProcess* process_ = nullptr;
  QString copyPath_;
  QString programName_;
  int plays_ = 0;
};

}  // namespace tarvo
