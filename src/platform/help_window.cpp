#include "platform/help_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvo {

namespace {

// A row across both columns: a window's name or a section's title, or a
// section's note.
void addSpanningRow(QTableWidget* table, const QString& text, bool heading, int pointSize) {
  const int row = table->rowCount();
  table->insertRow(row);
  auto* item = new QTableWidgetItem(text);
  QFont font = table->font();
  font.setBold(heading);
  if (pointSize > 0) {
    font.setPointSize(pointSize);
  }
  item->setFont(font);
  table->setItem(row, 0, item);
  table->setSpan(row, 0, 1, 2);
}

QTableWidget* helpTable(const std::vector<HelpSection>& sections, QWidget* parent) {
  auto* table = new QTableWidget(0, 2, parent);
  table->setObjectName("tblKeys");
  table->setHorizontalHeaderLabels({"Keys and mouse", "What they do"});
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setShowGrid(false);
  table->setWordWrap(true);
  const int larger = table->font().pointSize() + 2;
  QString window;
  for (const HelpSection& section : sections) {
    if (window != section.window) {
      window = section.window;
      addSpanningRow(table, window, true, larger);
    }
    addSpanningRow(table, section.title, true, 0);
    for (const HelpRow& row : section.rows) {
      const int at = table->rowCount();
      table->insertRow(at);
      table->setItem(at, 0, new QTableWidgetItem(row.keys));
      table->setItem(at, 1, new QTableWidgetItem(row.action));
    }
    if (*section.note != '\0') {
      addSpanningRow(table, section.note, false, 0);
    }
  }
  table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  return table;
}

}  // namespace

QDialog* showHelpWindow(QWidget* parent, const QString& title,
                        const std::vector<HelpSection>& sections) {
  auto* window = new QDialog(parent);
  window->setObjectName("dlgKeyboardAndMouse");
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  window->setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(helpTable(sections, window));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
  layout->addWidget(buttons);
  // As tall as the screen's free area allows, less room for the frame.
  const QRect room = (parent != nullptr ? parent->screen() : window->screen())->availableGeometry();
  constexpr int kFrame = 48;
  window->resize(std::min(760, room.width() - kFrame), std::min(900, room.height() - kFrame));
  window->setMaximumHeight(room.height() - kFrame);
  window->show();
  window->raise();
  return window;
}

}  // namespace tarvo
