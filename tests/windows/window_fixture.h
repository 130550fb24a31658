// What every window test starts from and drives with: a scratch folder
// holding the demo image, the fake dialogs, the main window shown on the
// offscreen platform, both windows' controls found by their object names,
// and the mouse sent to the top-level window so that it goes through Qt's
// routing and its mouse grab (positions in pixels of the control).
//
// A test class derives from WindowFixture, declares Q_OBJECT and keeps only
// its test cases as private slots; the fixture's init() and cleanup() run
// around each of them.
#pragma once

#include <QAction>
#include <QObject>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/frmAltPane.h"
#include "fake_dialogs.h"
#include "gfx/surface.h"
#include "platform/picture_surface.h"
#include "shell/frmMain.h"
#include "test_support.h"

namespace tarvo::test {

inline QString qPath(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

class WindowFixture : public QObject {
  Q_OBJECT

 public:
  // Whether each test starts with the demo loaded through "Load Rom" (its
  // "File loaded!" message cleared) or with no image.
  enum class Start { NoImage, DemoLoaded };
  explicit WindowFixture(Start start) : start_(start) {}

  static std::vector<Color> pixelsOf(const Surface& surface) {
    return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
  }

 protected:
  std::unique_ptr<TempDir> dir;  // holds demo.nes, the demo image
  // The settings the windows keep between runs: fresh for every test, never
  // the user's own.
  std::unique_ptr<QTemporaryDir> settingsDir;
  // The settings file the windows write, for a test to read.
  QString settingsFile() const;
  std::unique_ptr<FakeDialogs> dialogs;
  std::unique_ptr<frmMain> window;
  QString demoPath;

  QString pathIn(const std::string& name) const { return qPath(*dir / name); }

  // "Load Rom" with `path` chosen in the open dialog.
  void loadThroughTheMenu(const QString& path) {
    dialogs->files << path;
    action("menuFileLoadRom")->trigger();
  }
  bool loadDemo() {
    loadThroughTheMenu(demoPath);
    return window->loadedPath() == demoPath;
  }

  // Controls and menu items of the main window, and member `index` of one
  // of its control arrays (controls sharing a name, told apart by their
  // "index" property); then the same in the graphics editor window, which
  // is null while it is closed.
  template <typename T = QWidget>
  T* child(const char* name) {
    return named<T>(window.get(), name);
  }
  QAction* action(const char* name) { return child<QAction>(name); }
  template <typename T = QWidget>
  T* member(const char* name, int index) {
    return memberOf<T>(window.get(), name, index);
  }
  frmAltPane* alt() { return window->editorWindow(); }
  const TileEditor& editor() { return alt()->editor(); }
  template <typename T = QWidget>
  T* altChild(const char* name) {
    return named<T>(alt(), name);
  }
  QAction* altAction(const char* name) { return altChild<QAction>(name); }
  template <typename T = QWidget>
  T* altMember(const char* name, int index) {
    return memberOf<T>(alt(), name, index);
  }

  // The mouse at (x, y) of a control.
  // On a picture, (x, y) is a pixel of the picture, reached at any zoom and
  // display scale; at 1x on a plain display that is the widget's own point.
  static QPoint inWindow(QWidget* control, int x, int y) {
    QPoint at(x, y);
    if (auto* view = qobject_cast<PictureSurface*>(control)) {
      at = view->widgetRectOf({x, y, 1, 1}).center();
    }
    return control->mapTo(control->window(), at);
  }
  static void press(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = {}) {
    QTest::mousePress(control->window()->windowHandle(), button, modifiers,
                      inWindow(control, x, y));
  }
  static void release(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseRelease(control->window()->windowHandle(), button, modifiers,
                        inWindow(control, x, y));
  }
  static void moveTo(QWidget* control, int x, int y) {
    QTest::mouseMove(control->window()->windowHandle(), inWindow(control, x, y));
  }
  // A double-click on a control that is no picture (a swatch).
  static void doubleClick(QWidget* control) {
    QTest::mouseDClick(control, Qt::LeftButton);
    QTest::mouseRelease(control, Qt::LeftButton);
  }
  static void click(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    press(control, x, y, button);
    release(control, x, y, button);
  }

  // A press on a metatile of the main window's table, scrolled first to
  // show its row (a pick on the map scrolls the table): six rows show at 1x.
  void pickMetatile(int metatile) {
    auto* bar = child<QScrollBar>("vscrMetatiles");
    bar->setValue(std::clamp(bar->value(), metatile / 16 - 5, metatile / 16));
    click(child("picMetaTable"), (metatile % 16) * 32 + 3, (metatile / 16) * 32 + 3);
  }
  // The editor window opened from the main window in `mode` at `metatile`.
  void openEditor(int mode, int metatile = 0) {
    window->openEditor(mode, metatile);
    QVERIFY(alt() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
  }
  // In the editor window: a press on a tile of the pattern table; on swatch
  // `slot`, which gives it to the left pen (or to the right one with another
  // button); a click on a push button.
  void selectTile(int tile) {
    click(altChild("picPatternTable"), (tile % 16) * 16 + 3, (tile / 16) * 16 + 3);
  }
  void choosePen(int slot, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(altMember("lblnespal_tEdit", slot), button);
  }
  void clickButton(const char* name) {
    QTest::mouseClick(altChild<QPushButton>(name), Qt::LeftButton);
  }

  // Every view of both windows is what a fresh full draw of romImage gives:
  // the main window's map, metatile table, selected metatile and swatches;
  // the editor window's bank and palette, pattern table (with its crosses
  // over unused tiles when they are shown), selected tile, metatile,
  // batter's view, swatches and pens.
  void expectEveryViewFresh();

 private slots:
  void init();
  void cleanup() {
    window.reset();
    dialogs.reset();
    dir.reset();
  }

 private:
  template <typename T>
  static T* named(QObject* root, const char* name) {
    T* found = root->findChild<T*>(name);
    if (found == nullptr) {
      qFatal("no control named %s", name);
    }
    return found;
  }
  template <typename T>
  static T* memberOf(QObject* root, const char* name, int index) {
    for (T* item : root->findChildren<T*>(name)) {
      if (item->property("index").toInt() == index) {
        return item;
      }
    }
    qFatal("no %s(%d)", name, index);
  }

  Start start_;
};

}  // namespace tarvo::test
