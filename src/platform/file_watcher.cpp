#include "platform/file_watcher.h"

#include <QFileInfo>

namespace tarvo {

namespace {

constexpr int kSettleMs = 150;

}  // namespace

FileWatcher::FileWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, [this] {
    // Watched again: a rename gave the name to another file.
    if (!path_.isEmpty() && QFileInfo::exists(path_) && !watcher_.files().contains(path_)) {
      watcher_.addPath(path_);
    }
    emit changed();
  });
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
    if (!path_.isEmpty()) {
      settle_.start();
    }
  });
}

void FileWatcher::watch(const QString& path) {
  if (!watcher_.files().isEmpty()) {
    watcher_.removePaths(watcher_.files());
  }
  if (!watcher_.directories().isEmpty()) {
    watcher_.removePaths(watcher_.directories());
  }
  path_ = path;
  if (!path.isEmpty()) {
    watcher_.addPath(path);
    watcher_.addPath(QFileInfo(path).absolutePath());
  }
}

}  // namespace tarvo
