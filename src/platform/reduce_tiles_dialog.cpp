#include "platform/reduce_tiles_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>

#include "platform/picture_surface.h"
#include "screens/tile_bookkeeping.h"
#include "screens/views.h"

namespace tarvo {

namespace {

// The screen's picture, the field at half its size so that two fit side by
// side.
QPixmap pictureOf(const ByteArray& image, TileScreen screen) {
  const Surface surface =
      renderView(image, screen == TileScreen::Field ? View::Field : View::BatView, 0);
  QImage picture = imageOf(surface).copy();
  if (screen == TileScreen::Field) {
    picture = picture.scaled(surface.width() / 2, surface.height() / 2, Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
  }
  return QPixmap::fromImage(picture);
}

QString figuresText(const BudgetFigures& before, const BudgetFigures& after,
                    const std::string& message) {
  return QString("Tiles used: %1 before, %2 after; %3 tiles free.\n%4")
      .arg(before.tilesUsed)
      .arg(after.tilesUsed)
      .arg(after.tilesUnused)
      .arg(QString::fromStdString(message));
}

}  // namespace

std::optional<int> runReduceTilesDialog(QWidget* parent, TileScreen screen, const ByteArray& image,
                                        int suggested) {
  QDialog dialog(parent);
  dialog.setObjectName("dlgReduceTiles");
  dialog.setWindowTitle("Reduce Tiles");
  auto* layout = new QGridLayout(&dialog);
  auto* prompt = new QLabel("At most this many tiles:", &dialog);
  auto* spnTiles = new QSpinBox(&dialog);
  spnTiles->setObjectName("spnTiles");
  spnTiles->setRange(1, 256);
  spnTiles->setValue(std::clamp(suggested, 1, 256));
  auto* lblBefore = new QLabel(&dialog);
  lblBefore->setObjectName("lblBefore");
  lblBefore->setPixmap(pictureOf(image, screen));
  auto* lblAfter = new QLabel(&dialog);
  lblAfter->setObjectName("lblAfter");
  auto* lblFigures = new QLabel(&dialog);
  lblFigures->setObjectName("lblFigures");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
  QPushButton* apply = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  apply->setDefault(true);
  layout->addWidget(prompt, 0, 0);
  layout->addWidget(spnTiles, 0, 1);
  layout->addWidget(new QLabel("Now:", &dialog), 1, 0);
  layout->addWidget(new QLabel("Reduced:", &dialog), 1, 1);
  layout->addWidget(lblBefore, 2, 0);
  layout->addWidget(lblAfter, 2, 1);
  layout->addWidget(lblFigures, 3, 0, 1, 2);
  layout->addWidget(buttons, 4, 0, 1, 2);
  const BudgetFigures before = countBudget(image, screen);
  const auto preview = [&](int most) {
    ByteArray reduced = image;
    const BookkeepingResult result = reduceTiles(reduced, screen, most);
    lblAfter->setPixmap(pictureOf(reduced, screen));
    lblFigures->setText(figuresText(before, countBudget(reduced, screen), result.message));
  };
  preview(spnTiles->value());
  QObject::connect(spnTiles, &QSpinBox::valueChanged, &dialog, preview);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  return spnTiles->value();
}

}  // namespace tarvo
