#include "platform/editor_settings.h"

#include <QSettings>

namespace tarvo::settings {

QStringList recentFiles() {
  QStringList files = QSettings().value("files/recent").toStringList();
  files.removeDuplicates();
  files.removeAll(QString());
  return files.mid(0, kMaxRecentFiles);
}

namespace {

void storeRecentFiles(const QStringList& files) {
  QSettings().setValue("files/recent", files.mid(0, kMaxRecentFiles));
}

}  // namespace

void addRecentFile(const QString& path) {
  QStringList files = recentFiles();
  files.removeAll(path);
  files.prepend(path);
  storeRecentFiles(files);
}

void removeRecentFile(const QString& path) {
  QStringList files = recentFiles();
  files.removeAll(path);
  storeRecentFiles(files);
}

void clearRecentFiles() {
  storeRecentFiles({});
}

bool showFileMessages() {
  return flag("messages/fileLoadedAndSaved", true);
}

void setShowFileMessages(bool show) {
  setFlag("messages/fileLoadedAndSaved", show);
}

int number(const QString& key, int fallback) {
  bool ok = false;
  const int value = QSettings().value(key, fallback).toInt(&ok);
  return ok ? value : fallback;
}

void setNumber(const QString& key, int value) {
  QSettings().setValue(key, value);
}

bool flag(const QString& key, bool fallback) {
  const QVariant value = QSettings().value(key, fallback);
  return value.canConvert<bool>() ? value.toBool() : fallback;
}

void setFlag(const QString& key, bool value) {
  QSettings().setValue(key, value);
}

QString text(const QString& key) {
  return QSettings().value(key).toString();
}

void setText(const QString& key, const QString& value) {
  QSettings().setValue(key, value);
}

QString lastFolder() {
  return QSettings().value("files/lastFolder").toString();
}

void setLastFolder(const QString& folder) {
  QSettings().setValue("files/lastFolder", folder);
}

QByteArray windowGeometry(const QString& window) {
  return QSettings().value(window + "/geometry").toByteArray();
}

void setWindowGeometry(const QString& window, const QByteArray& geometry) {
  QSettings().setValue(window + "/geometry", geometry);
}

}  // namespace tarvo::settings
