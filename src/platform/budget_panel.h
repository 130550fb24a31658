// The Budget dock: the figures of the field's and the batter's view's tile
// budgets, kept live from the image's changed byte ranges; each figure is a
// link to the tiles or metatiles it counts.
#pragma once

#include <QDockWidget>
#include <optional>
#include <utility>

#include "screens/tile_budget.h"

class QLabel;

namespace tarvo {

class BudgetPanel : public QDockWidget {
  Q_OBJECT

 public:
  explicit BudgetPanel(QWidget* parent);

  // Counts everything again (a new image).
  void recount(const ByteArray& image);
  // `ranges` of `image` changed: the figures follow, and the text where it
  // shows.
  void update(const ByteArray& image, const std::vector<ByteRange>& ranges);

  const BudgetFigures& figures(TileScreen screen) const;
  // What the last bookkeeping command did, under the figures.
  void setLastAction(const QString& text);
  // The text as it shows (HTML), for tests.
  QString text() const;

 signals:
  // A figure was clicked: the tiles or metatiles of `line` of `screen`.
  void lineChosen(TileScreen screen, BudgetLine line);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showFigures();

  BudgetTracker field_{TileScreen::Field};
  BudgetTracker batView_{TileScreen::BatView};
  QLabel* lblBudget_ = nullptr;
  QLabel* lblLastAction_ = nullptr;
  // The figures the text shows.
  std::optional<std::pair<BudgetFigures, BudgetFigures>> shown_;
};

}  // namespace tarvo
