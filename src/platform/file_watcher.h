// Watches one file for changes by other programs. A file replaced by a
// rename (as safe saves do) is a new file to the system's watch: the folder
// is watched too, and the file added again after each change.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace tarvo {

class FileWatcher : public QObject {
  Q_OBJECT

 public:
  explicit FileWatcher(QObject* parent);

  // Watches `path` from now on (an empty path: nothing).
  void watch(const QString& path);

 signals:
  // The file's bytes may have changed, once a burst of changes settled.
  void changed();

 private:
  QFileSystemWatcher watcher_;
  QTimer settle_;
  QString path_;
};

}  // namespace tarvo
