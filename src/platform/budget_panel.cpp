#include "platform/budget_panel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tarvo {

namespace {

constexpr const char* kScreenNames[] = {"field", "batview"};
constexpr int kBodyWidth = 230;

QString linesOf(TileScreen screen, const BudgetFigures& figures) {
  QString html;
  for (const BudgetLine line : budgetLines(screen)) {
    html += QString("<a href=\"%1:%2\">%3</a><br>")
                .arg(kScreenNames[static_cast<int>(screen)])
                .arg(static_cast<int>(line))
                .arg(QString::fromStdString(budgetLineText(line, figures)).toHtmlEscaped());
  }
  return html;
}

}  // namespace

BudgetPanel::BudgetPanel(QWidget* parent) : QDockWidget("Budget", parent) {
  setObjectName("dockBudget");
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  auto* body = new QWidget(this);
  // As wide as its longest figure; longer notes wrap.
  body->setFixedWidth(kBodyWidth);
  auto* layout = new QVBoxLayout(body);
  lblBudget_ = new QLabel(body);
  lblBudget_->setObjectName("lblBudget");
  lblBudget_->setTextFormat(Qt::RichText);
  lblBudget_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  lblBudget_->setWordWrap(true);
  lblBudget_->setToolTip("Click a figure to select the tiles or metatiles it counts");
  layout->addWidget(lblBudget_);
  lblLastAction_ = new QLabel(body);
  lblLastAction_->setObjectName("lblLastAction");
  lblLastAction_->setWordWrap(true);
  layout->addWidget(lblLastAction_);
  layout->addStretch();
  setWidget(body);
  connect(lblBudget_, &QLabel::linkActivated, this, [this](const QString& link) {
    const QStringList parts = link.split(':');
    if (parts.size() == 2) {
      emit lineChosen(parts[0] == kScreenNames[0] ? TileScreen::Field : TileScreen::BatView,
                      static_cast<BudgetLine>(parts[1].toInt()));
    }
  });
}

void BudgetPanel::recount(const ByteArray& image) {
  field_.recount(image);
  batView_.recount(image);
  showFigures();
}

void BudgetPanel::update(const ByteArray& image, const std::vector<ByteRange>& ranges) {
  field_.update(image, ranges);
  batView_.update(image, ranges);
  showFigures();
}

const BudgetFigures& BudgetPanel::figures(TileScreen screen) const {
  return screen == TileScreen::Field ? field_.figures() : batView_.figures();
}

void BudgetPanel::setLastAction(const QString& text) {
  lblLastAction_->setText(text);
}

QString BudgetPanel::text() const {
  return lblBudget_->text();
}

void BudgetPanel::showEvent(QShowEvent* event) {
  showFigures();
  QDockWidget::showEvent(event);
}

void BudgetPanel::showFigures() {
  if (!isVisible()) {
    return;  // the text waits until the panel shows
  }
  // Most edits (a pixel, a map cell) change no figure: nothing to write.
  const std::pair<BudgetFigures, BudgetFigures> figures{field_.figures(), batView_.figures()};
  if (shown_ == figures) {
    return;
  }
  shown_ = figures;
  QString html = "<b>Field</b><br>" + linesOf(TileScreen::Field, field_.figures());
  if (field_.figures().backgroundsDiffer) {
    html +=
        "<i>The sub-palettes' first colours differ: the console shows only the "
        "first.</i><br>";
  }
  html += "<br><b>Batter's view</b><br>" + linesOf(TileScreen::BatView, batView_.figures());
  lblBudget_->setText(html);
}

}  // namespace tarvo
