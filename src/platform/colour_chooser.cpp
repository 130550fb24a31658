#include "platform/colour_chooser.h"

#include <QGridLayout>
#include <QPushButton>

#include "gfx/colors.h"

namespace tarvo {

ColourChooser::ColourChooser(int current, QWidget* parent) : QDialog(parent) {
  setObjectName("colourChooser");
  auto* grid = new QGridLayout(this);
  grid->setSpacing(2);
  for (int n = 0; n < 64; ++n) {
    const Color c = colorTable[static_cast<std::size_t>(n)];
    // Dark colours get white numbers, light ones black.
    const int brightness = (redOf(c) * 299 + greenOf(c) * 587 + blueOf(c) * 114) / 1000;
    auto* swatch = new QPushButton(QString("%1").arg(n, 2, 16, QChar('0')).toUpper(), this);
    swatch->setObjectName("nesColour");
    swatch->setProperty("index", n);
    swatch->setFixedSize(30, 24);
    swatch->setToolTip(QString("Colour %1: red %2, green %3, blue %4")
                           .arg(n, 2, 16, QChar('0'))
                           .arg(redOf(c))
                           .arg(greenOf(c))
                           .arg(blueOf(c)));
    swatch->setStyleSheet(QString("QPushButton { background: rgb(%1, %2, %3); color: %4; "
                                  "border: %5; }")
                              .arg(redOf(c))
                              .arg(greenOf(c))
                              .arg(blueOf(c))
                              .arg(brightness < 128 ? "white" : "black")
                              .arg(n == current ? "3px solid magenta" : "1px solid gray"));
    connect(swatch, &QPushButton::clicked, this, [this, n] {
      chosen_ = n;
      accept();
    });
    // Rows 0x to 3x, sixteen colours across: the NES's own order.
    grid->addWidget(swatch, n / 16, n % 16);
  }
}

}  // namespace tarvo
