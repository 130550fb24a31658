// What the editor remembers between runs, in QSettings' standard place for
// the user (on Linux ~/.config/Tarvo/Tarvo Field Editor.conf). Each call
// reads or writes the file at once, so that two windows never hold
// different copies.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarvo::settings {

inline constexpr int kMaxRecentFiles = 8;

// Most recent first, at most kMaxRecentFiles, each path once.
QStringList recentFiles();
void addRecentFile(const QString& path);
void removeRecentFile(const QString& path);
void clearRecentFiles();

// Whether "File loaded!" and "File saved!" come as message boxes (the
// default) or only in the status bar.
bool showFileMessages();
void setShowFileMessages(bool show);

// Whole numbers and switches under `key` ("zoom/map", "grid/field"...).
int number(const QString& key, int fallback);
void setNumber(const QString& key, int value);
bool flag(const QString& key, bool fallback);
void setFlag(const QString& key, bool value);

// Edit > Preferences' "Alt+press picks", off at a first start.
inline constexpr const char* kAltPicksKey = "tools/altPicks";

// Text under `key` ("emulator/command"); empty when none was kept.
QString text(const QString& key);
void setText(const QString& key, const QString& value);

QString lastFolder();
void setLastFolder(const QString& folder);

// A window's geometry as QWidget::saveGeometry gives it; empty when none was
// kept.
QByteArray windowGeometry(const QString& window);
void setWindowGeometry(const QString& window, const QByteArray& geometry);

}  // namespace tarvo::settings
