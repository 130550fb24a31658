// What one edit costs in the real windows, on the offscreen platform: from
// the mouse event reaching the view's event handler to every affected
// picture of both windows drawn again (and its widgets told which rectangle
// to repaint), the history step and the menus included. Painting the
// widgets themselves is left to the event loop and not measured.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <memory>

#include <unistd.h>
#include "bench_support.h"
#include "editor/frmAltPane.h"
#include "platform/user_dialogs.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace {

using namespace tarvo;
namespace fs = std::filesystem;

// Dialogs that answer at once and show nothing.
class SilentDialogs : public UserDialogs {
 public:
  QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
  void message(QWidget*, const QString&, const QString&) override {}
  void showHelp(QWidget*, const QString&, const std::vector<HelpSection>&) override {}
  SaveAnswer askToSave(QWidget*, const QString&, const QString&) override {
    return SaveAnswer::Discard;
  }
  bool confirm(QWidget*, const QString&, const QString&) override { return true; }
  QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  int chooseNesColour(QWidget*, const QString&, int) override { return -1; }
  bool messageOnce(QWidget*, const QString&, const QString&) override { return false; }
  bool askToLoad(QWidget*, const QString&, const QString&) override { return true; }
  bool askToAddHeader(QWidget*, const QString&, const QString&) override { return true; }
  OutsideAnswer askOutsideChange(QWidget*, const QString&, const QString&) override {
    return OutsideAnswer::KeepMine;
  }
  int chooseItem(QWidget*, const QString&, const QString&, const QStringList&) override {
    return -1;
  }
  RecoveryAnswer askRecovery(QWidget*, const QString&, const QString&, bool) override {
    return RecoveryAnswer::Later;
  }
  bool editPreferences(QWidget*, Preferences&) override { return false; }
  std::optional<FittedPicture> fitPicture(QWidget*, ImportTarget, const QString&,
                                          const std::vector<Color>&, const ByteArray&) override {
    return std::nullopt;
  }
  std::optional<int> chooseTileCount(QWidget*, TileScreen, const ByteArray&, int) override {
    return std::nullopt;
  }
};

// The main window on the demo image, as a user has it after a load.
struct Windows {
  Windows() {
    path = fs::temp_directory_path() / ("tarvo-bench-" + std::to_string(::getpid()) + ".nes");
    writeWholeFile(path.string(), tarvo::bench::demo());
    // The user's own settings are neither read nor written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    qputenv("XDG_STATE_HOME", (settingsDir.path() + "/state").toUtf8());
    window = std::make_unique<frmMain>(dialogs);
    window->show();
    window->loadRomFile(QString::fromStdString(path.string()));
  }
  ~Windows() {
    window.reset();
    fs::remove(path);
  }
  QWidget* control(QObject* root, const char* name) { return root->findChild<QWidget*>(name); }

  QTemporaryDir settingsDir;
  SilentDialogs dialogs;
  std::unique_ptr<frmMain> window;
  fs::path path;
};

void send(QWidget* view, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
          QPoint at) {
  QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(view, &event);
}

void click(QWidget* view, QPoint at, Qt::MouseButton button) {
  send(view, QEvent::MouseButtonPress, button, button, at);
  send(view, QEvent::MouseButtonRelease, button, Qt::NoButton, at);
}

// Times `act(i)` in iteration i, after an untimed `prepare(i)`; reports the
// least time as best_us beside the budget the program keeps to.
template <typename Prepare, typename Act>
void timeEach(benchmark::State& state, double budgetMicroseconds, Prepare prepare, Act act) {
  using Clock = std::chrono::steady_clock;
  double best = 1e9;
  int i = 0;
  for (auto _ : state) {
    prepare(i);
    const auto start = Clock::now();
    act(i);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    state.SetIterationTime(seconds);
    ++i;
  }
  state.counters["best_us"] = best * 1e6;
  state.counters["budget_us"] = budgetMicroseconds;
}

// One pixel painted in the graphics editor (press and release), with the
// main window open: the tile's bytes, the editor window's views, and every
// place the main window shows the tile.
// With argument 1 the Budget dock shows: the time runs to its figures too.
void BM_WindowPaintOnePixel(benchmark::State& state) {
  Windows windows;
  windows.window->openEditor(0, 0);
  frmAltPane* editor = windows.window->editorWindow();
  if (state.range(0) != 0) {
    editor->findChild<QAction*>("menuViewBudget")->trigger();
  }
  QWidget* tile = windows.control(editor, "picSelectedTile");
  click(windows.control(editor, "picPatternTable"), QPoint(3, 3), Qt::LeftButton);  // tile 00
  // The left pen paints slot 0, the right pen slot 1: each click paints a
  // pixel with the one it does not hold yet.
  Qt::MouseButton button = Qt::LeftButton;
  timeEach(
      state, 150,
      [&](int i) {
        const int pixel = i % 64;
        button = editor->editor().editTiles()[static_cast<std::size_t>(pixel)] == 0
                     ? Qt::RightButton
                     : Qt::LeftButton;
      },
      [&](int i) {
        const int pixel = i % 64;
        click(tile, QPoint((pixel % 8) * 16 + 8, (pixel / 8) * 16 + 8), button);
      });
}
BENCHMARK(BM_WindowPaintOnePixel)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One metatile put into a map cell (press and release).
void BM_WindowMapPlacement(benchmark::State& state) {
  Windows windows;
  QWidget* map = windows.control(windows.window.get(), "picMapRenderDest");
  QWidget* picker = windows.control(windows.window.get(), "picMetaTable");
  timeEach(
      state, 20,
      [&](int i) {
        // A metatile the cell does not show yet.
        const int cell = i % 576;
        const int shown = romImage[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
        const int metatile = shown == 5 ? 6 : 5;
        click(picker, QPoint(metatile * 32 + 3, 3), Qt::LeftButton);
      },
      [&](int i) {
        const int cell = i % 576;
        click(map, QPoint((cell % 24) * 32 + 5, (cell / 24) * 32 + 5), Qt::LeftButton);
      });
}
BENCHMARK(BM_WindowMapPlacement)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One right press (and release) stepping a quadrant's sub-palette.
void BM_WindowRightPress(benchmark::State& state) {
  Windows windows;
  QWidget* map = windows.control(windows.window.get(), "picMapRenderDest");
  timeEach(
      state, 20, [](int) {},
      [&](int i) {
        const int quadrant = i % (576 * 4);
        click(map, QPoint((quadrant % 48) * 16 + 3, (quadrant / 48) * 16 + 3), Qt::RightButton);
      });
}
BENCHMARK(BM_WindowRightPress)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The fill tool over a field of one metatile: 576 cells, one step.
void BM_WindowFillField(benchmark::State& state) {
  Windows windows;
  frmMain& window = *windows.window;
  QWidget* map = windows.control(&window, "picMapRenderDest");
  QWidget* picker = windows.control(&window, "picMetaTable");
  auto item = [&](const char* name) { window.findChild<QAction*>(name)->trigger(); };
  click(picker, QPoint(5 * 32 + 3, 3), Qt::LeftButton);
  item("menuEditSelectAll");
  item("menuEditDelete");  // metatile 5 everywhere
  item("menuEditDeselect");
  item("toolFill");
  timeEach(
      state, 2000,
      [&](int) {
        // The other of metatiles 5 and 6.
        const int shown = romImage[static_cast<std::size_t>(rom::kFieldMap.offset)];
        click(picker, QPoint((shown == 5 ? 6 : 5) * 32 + 3, 3), Qt::LeftButton);
      },
      [&](int) { click(map, QPoint(5, 5), Qt::LeftButton); });
}
BENCHMARK(BM_WindowFillField)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A paste of the whole field following the pointer from cell to cell: the
// preview and its frame move; nothing is written.
void BM_WindowPasteFollowsPointer(benchmark::State& state) {
  Windows windows;
  frmMain& window = *windows.window;
  QWidget* map = windows.control(&window, "picMapRenderDest");
  for (const char* name : {"menuEditSelectAll", "menuEditCopy", "menuEditPaste"}) {
    window.findChild<QAction*>(name)->trigger();
  }
  timeEach(
      state, 200, [](int) {},
      [&](int i) {
        const int cell = i % 2 == 0 ? 5 : 6;
        send(map, QEvent::MouseMove, Qt::NoButton, Qt::NoButton,
             QPoint(cell * 32 + 5, cell * 32 + 5));
      });
}
BENCHMARK(BM_WindowPasteFollowsPointer)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Undo of a left drag across 100 cells, from the Edit menu's item.
void BM_WindowUndoMapDrag(benchmark::State& state) {
  Windows windows;
  QWidget* map = windows.control(windows.window.get(), "picMapRenderDest");
  click(windows.control(windows.window.get(), "picMetaTable"), QPoint(7 * 32 + 3, 35),
        Qt::LeftButton);  // metatile 23
  // Rows 0 to 4 there and back: 100 cells.
  send(map, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(5, 5));
  for (int cell = 1; cell < 100; ++cell) {
    const int row = cell / 24;
    const int column = row % 2 == 0 ? cell % 24 : 23 - cell % 24;
    send(map, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton,
         QPoint(column * 32 + 5, row * 32 + 5));
  }
  send(map, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(5, 5));
  QAction* undo = windows.window->findChild<QAction*>("menuEditUndo");
  QAction* redo = windows.window->findChild<QAction*>("menuEditRedo");
  const auto& history = windows.window->document().history();
  std::size_t cells = 0;
  for (const auto& change : history.steps().back().changes) {
    cells += change.after.size();
  }
  using Clock = std::chrono::steady_clock;
  double best = 1e9;
  for (auto _ : state) {
    const auto start = Clock::now();
    undo->trigger();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, seconds);
    state.SetIterationTime(seconds);
    redo->trigger();  // not timed: the next undo needs the drag back
  }
  state.counters["best_us"] = best * 1e6;
  state.counters["budget_us"] = 500;
  state.counters["cells"] = static_cast<double>(cells);
}
BENCHMARK(BM_WindowUndoMapDrag)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
