// The modal dialogs a window shows, behind an interface that tests replace.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "screens/help_text.h"
#include "screens/picture_import.h"
#include "screens/tile_budget.h"

class QWidget;

namespace tarvo {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;

  // The open-file dialog: the chosen file's full path, or an empty text when
  // the user cancels. `filter` is in Qt's form, e.g. "NES ROM (*.nes)".
  virtual QString openFileName(QWidget* parent, const QString& directory,
                               const QString& filter) = 0;

  // A message box with one OK button and no icon.
  virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;

  // Help: the keys and gestures, in a window that does not block the editor.
  virtual void showHelp(QWidget* parent, const QString& title,
                        const std::vector<HelpSection>& sections) = 0;

  // "Save changes to game.nes?" with Save, Discard and Cancel.
  enum class SaveAnswer { Save, Discard, Cancel };
  virtual SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text) = 0;

  // A question with Yes and No; true for Yes.
  virtual bool confirm(QWidget* parent, const QString& title, const QString& text) = 0;

  // The save-file dialog: the chosen path, or empty when cancelled.
  // `suggested` is the file name offered; `filter` in Qt's form.
  virtual QString saveFileName(QWidget* parent, const QString& directory, const QString& suggested,
                               const QString& filter) = 0;

  // A message box with OK and a "Don't show this again" check box; true when
  // the user checked it.
  virtual bool messageOnce(QWidget* parent, const QString& title, const QString& text) = 0;

  // A question with Load and Cancel; true for Load.
  virtual bool askToLoad(QWidget* parent, const QString& title, const QString& text) = 0;
  // Unsaved changes left by a session that ended unexpectedly: Restore (the
  // default), or with `asCopyOnly` Restore as a Copy... in its place;
  // Discard; Later.
  enum class RecoveryAnswer { Restore, RestoreAsCopy, Discard, Later };
  virtual RecoveryAnswer askRecovery(QWidget* parent, const QString& title, const QString& text,
                                     bool asCopyOnly) = 0;
  // Another program changed the file while the image has unsaved edits:
  // Reload, Keep Mine or Compare.
  enum class OutsideAnswer { Reload, KeepMine, Compare };
  virtual OutsideAnswer askOutsideChange(QWidget* parent, const QString& title,
                                         const QString& text) = 0;
  // One of `items` chosen from a list: its index, or -1 when cancelled.
  virtual int chooseItem(QWidget* parent, const QString& title, const QString& label,
                         const QStringList& items) = 0;
  // A question with Add Header (the default) and Cancel; true for Add
  // Header.
  virtual bool askToAddHeader(QWidget* parent, const QString& title, const QString& text) = 0;

  // Edit > Preferences: what the user can switch. Returns false when the
  // user cancelled, leaving `preferences` as it was.
  struct Preferences {
    bool showFileMessages = true;
    // File > Play in Emulator's command, with %f for the file; empty for
    // the first emulator found.
    QString emulatorCommand;
    // Alt and a press pick in every tool; off, a press ignores Shift, Ctrl
    // and Alt, and the Pick tool (I) picks.
    bool altPicks = false;
  };
  virtual bool editPreferences(QWidget* parent, Preferences& preferences) = 0;

  // The chooser of the 64 NES colours: the chosen colour number, or -1 when
  // cancelled. `current` is marked.
  virtual int chooseNesColour(QWidget* parent, const QString& title, int current) = 0;

  // Import Picture: `picture` (from the file `name`) beside its fit to
  // `target` of `image`, with the fit's figures and options. The fit the
  // user applies, or nothing when cancelled.
  virtual std::optional<FittedPicture> fitPicture(QWidget* parent, ImportTarget target,
                                                  const QString& name,
                                                  const std::vector<Color>& picture,
                                                  const ByteArray& image) = 0;
  // Reduce Tiles: `screen` of `image` beside what it becomes with at most N
  // tiles, N chosen by the user from `suggested`. The N applied, or nothing
  // when cancelled.
  virtual std::optional<int> chooseTileCount(QWidget* parent, TileScreen screen,
                                             const ByteArray& image, int suggested) = 0;
};

// The real dialogs of the window system.
class QtUserDialogs : public UserDialogs {
 public:
  QString openFileName(QWidget* parent, const QString& directory, const QString& filter) override;
  void message(QWidget* parent, const QString& title, const QString& text) override;
  void showHelp(QWidget* parent, const QString& title,
                const std::vector<HelpSection>& sections) override;
  SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text) override;
  bool confirm(QWidget* parent, const QString& title, const QString& text) override;
  QString saveFileName(QWidget* parent, const QString& directory, const QString& suggested,
                       const QString& filter) override;
  int chooseNesColour(QWidget* parent, const QString& title, int current) override;
  bool messageOnce(QWidget* parent, const QString& title, const QString& text) override;
  bool askToLoad(QWidget* parent, const QString& title, const QString& text) override;
  bool askToAddHeader(QWidget* parent, const QString& title, const QString& text) override;
  int chooseItem(QWidget* parent, const QString& title, const QString& label,
                 const QStringList& items) override;
  OutsideAnswer askOutsideChange(QWidget* parent, const QString& title,
                                 const QString& text) override;
  RecoveryAnswer askRecovery(QWidget* parent, const QString& title, const QString& text,
                             bool asCopyOnly) override;
  bool editPreferences(QWidget* parent, Preferences& preferences) override;
  std::optional<FittedPicture> fitPicture(QWidget* parent, ImportTarget target, const QString& name,
                                          const std::vector<Color>& picture,
                                          const ByteArray& image) override;
  std::optional<int> chooseTileCount(QWidget* parent, TileScreen screen, const ByteArray& image,
                                     int suggested) override;
};

}  // namespace tarvo
