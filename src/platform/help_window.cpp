#include "platform/help_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvo {

namespace {

// The sections as one HTML table: the keys in a column of their own, what
// they do beside them; a window's name and a section's title across both.
QString helpHtml(const std::vector<HelpSection>& sections) {
  QString html = "<table cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">";
  QString window;
  for (const HelpSection& section : sections) {
    if (window != section.window) {
      window = section.window;
      html += QString("<tr><td colspan=\"2\"><h3>%1</h3></td></tr>").arg(window.toHtmlEscaped());
    }
    html += QString("<tr><td colspan=\"2\"><b>%1</b></td></tr>")
                .arg(QString(section.title).toHtmlEscaped());
    for (const HelpRow& row : section.rows) {
      html += QString("<tr><td width=\"30%\">%1</td><td>%2</td></tr>")
                  .arg(QString(row.keys).toHtmlEscaped(), QString(row.action).toHtmlEscaped());
    }
    if (*section.note != '\0') {
      html += QString("<tr><td colspan=\"2\"><i>%1</i></td></tr>")
                  .arg(QString(section.note).toHtmlEscaped());
    }
  }
  return html + "</table>";
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
  auto* text = new QTextBrowser(window);
  text->setObjectName("txtKeys");
  text->setHtml(helpHtml(sections));
  text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(text);
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
