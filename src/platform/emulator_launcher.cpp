#include "platform/emulator_launcher.h"

#include <wordexp.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

#include "platform/editor_settings.h"
#include "shell/file_system.h"

namespace tarvo {

namespace {

constexpr const char* kCommandKey = "emulator/command";
// Standard error is kept up to this many bytes, the last ones.
constexpr qsizetype kErrorTail = 4096;

QString lastLine(const QByteArray& text) {
  const QList<QByteArray> lines = text.trimmed().split('\n');
  return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.back().trimmed());
}

}  // namespace

std::optional<EmulatorCommand> emulatorCommandFor(const QString& commandLine, const QString& file) {
  // The shell's own word splitting (quotes, backslashes, ~ and $VARIABLES),
  // never running a command.
  QStringList words;
  wordexp_t expanded{};
  const int status = ::wordexp(QFile::encodeName(commandLine).constData(), &expanded, WRDE_NOCMD);
  if (status == 0) {
    for (std::size_t i = 0; i < expanded.we_wordc; ++i) {
      words << QFile::decodeName(expanded.we_wordv[i]);
    }
  }
  if (status == 0 || status == WRDE_NOSPACE) {
    ::wordfree(&expanded);
  }
  if (status != 0 || words.isEmpty() || words.front().isEmpty()) {
    return std::nullopt;
  }
  EmulatorCommand command{words.takeFirst(), {}};
  bool placed = false;
  for (QString word : words) {
    if (word.contains("%f")) {
      word.replace("%f", file);
      placed = true;
    }
    command.arguments << word;
  }
  if (!placed) {
    command.arguments << file;
  }
  return command;
}

QString findEmulatorProgram(const QString& program) {
  if (program.contains('/')) {
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
  }
  QString found = QStandardPaths::findExecutable(program);
  if (found.isEmpty()) {
    found = QStandardPaths::findExecutable(program, {"/usr/games"});
  }
  return found;
}

QString defaultEmulatorCommand() {
  for (const char* name : {"fceux", "nestopia", "mednafen"}) {
    QString path = findEmulatorProgram(name);
    if (!path.isEmpty()) {
      if (path.contains(' ')) {
        path = '"' + path + '"';
      }
      return path + " %f";
    }
  }
  return {};
}

QString configuredEmulatorCommand() {
  const QString command = settings::text(kCommandKey);
  return command.trimmed().isEmpty() ? defaultEmulatorCommand() : command;
}

EmulatorLauncher::EmulatorLauncher(QObject* parent) : QObject(parent) {}

EmulatorLauncher::~EmulatorLauncher() {
  // The editor is going: so do its emulators, then their copies.
  for (QProcess* process : findChildren<QProcess*>()) {
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
      process->terminate();
      if (!process->waitForFinished(kGraceMilliseconds)) {
        process->kill();
        process->waitForFinished(kGraceMilliseconds);
      }
    }
  }
}

bool EmulatorLauncher::running() const {
  return process_ != nullptr && process_->state() != QProcess::NotRunning;
}

EmulatorLauncher::Result EmulatorLauncher::play(const ByteArray& image, const QString& fileName,
                                                const QString& commandLine, QString* problem) {
  const auto say = [&](const QString& text) {
    if (problem != nullptr) {
      *problem = text;
    }
  };
  // The program first: without one nothing else happens.
  const std::optional<EmulatorCommand> named = emulatorCommandFor(commandLine, QString());
  if (!named) {
    say(commandLine.trimmed().isEmpty()
            ? QString("No emulator was found.")
            : QString("The emulator command %1 could not be read: put quotes around a name "
                      "with spaces, and leave out | & ; < > ( ) and $( ).")
                  .arg(commandLine));
    return Result::NoEmulator;
  }
  const QString program = findEmulatorProgram(named->program);
  if (program.isEmpty()) {
    say(QString("The emulator command names %1, which was not found.").arg(named->program));
    return Result::NoEmulator;
  }
  if (!folder_) {
    // QTemporaryDir makes its folder 0700.
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/tarvo-play-XXXXXX");
    if (!folder_->isValid()) {
      say(QString("No private folder for the copy: %1.").arg(folder_->errorString()));
      folder_.reset();
      return Result::NotWritten;
    }
  }
  endRunning();

  // A folder of its own for each copy, so that the copy keeps the file's name
  // (emulators show it) and whatever the emulator writes beside it goes with
  // it.
  const QString playFolder = folder_->filePath(QString::number(++plays_));
  const QString copy =
      QDir(playFolder).filePath(fileName.isEmpty() ? QString("image.nes") : fileName);
  std::string reason;
  if (!QDir().mkpath(playFolder) ||
      !writeWholeFile(QFile::encodeName(copy).toStdString(), image, &reason)) {
    say(QString("The copy for the emulator was not written: %1.")
            .arg(reason.empty() ? QString("no folder") : QString::fromStdString(reason)));
    return Result::NotWritten;
  }
  copyPath_ = copy;
  programName_ = QFileInfo(program).fileName();

  start(program, emulatorCommandFor(commandLine, copy)->arguments, playFolder);
  return Result::Started;
}

void EmulatorLauncher::start(const QString& program, const QStringList& arguments,
                             const QString& playFolder) {
  auto* process = new QProcess(this);
  process_ = process;
  process->setProgram(program);
  process->setArguments(arguments);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  auto errors = std::make_shared<QByteArray>();
  QElapsedTimer clock;
  clock.start();
  const QString name = programName_;
  connect(process, &QProcess::readyReadStandardError, this, [process, errors] {
    errors->append(process->readAllStandardError());
    if (errors->size() > kErrorTail) {
      errors->remove(0, errors->size() - kErrorTail);
    }
  });
  // Once the emulator has gone, so does its copy.
  const auto forget = [this, process, playFolder] {
    if (process_ == process) {
      process_ = nullptr;
    }
    QDir(playFolder).removeRecursively();
    process->deleteLater();
  };
  connect(process, &QProcess::errorOccurred, this,
          [this, process, name, forget](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
              emit failed(QString("%1 could not be started: %2").arg(name, process->errorString()));
              forget();
            }
          });
  connect(process, &QProcess::finished, this,
          [this, process, errors, clock, name, forget](int code, QProcess::ExitStatus status) {
            errors->append(process->readAllStandardError());
            const bool endedByUs = process->property("ending").toBool();
            if (!endedByUs && clock.elapsed() < kGraceMilliseconds &&
                (status == QProcess::CrashExit || code != 0)) {
              const QString line = lastLine(*errors);
              emit failed(line.isEmpty() ? QString("%1 ended with status %2").arg(name).arg(code)
                                         : QString("%1: %2").arg(name, line));
            }
            forget();
          });
  process->start();
}

void EmulatorLauncher::endRunning() {
  QProcess* process = process_;
  process_ = nullptr;
  if (process == nullptr || process->state() == QProcess::NotRunning) {
    return;
  }
  process->setProperty("ending", true);
  process->terminate();
  QTimer::singleShot(kGraceMilliseconds, process, [process] {
    if (process->state() != QProcess::NotRunning) {
      process->kill();
    }
  });
}

}  // namespace tarvo
