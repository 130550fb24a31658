#include "platform/picture_import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QUnhandledException>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/editor_settings.h"
#include "platform/picture_surface.h"

namespace tarvo {

namespace {

// A picture as large as the room allows, its shape kept: whole pixel blocks
// when enlarged, smoothed when shrunk.
class PicturePreview : public QWidget {
 public:
  PicturePreview(const Surface& surface, QSize preferred, QWidget* parent)
      : QWidget(parent), surface_(surface), preferred_(preferred) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(128, 120);
  }
  QSize sizeHint() const override { return preferred_; }
  // Greyed over while the picture is on its way out.
  void setStale(bool stale) {
    stale_ = stale;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const QImage image = imageOf(surface_);
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (image.isNull()) {
      return;
    }
    double scale = std::min(static_cast<double>(width()) / image.width(),
                            static_cast<double>(height()) / image.height());
    const bool enlarged = scale >= 1;
    if (enlarged) {
      scale = std::floor(scale * devicePixelRatioF()) / devicePixelRatioF();
    }
    const QSizeF size(image.width() * scale, image.height() * scale);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2),
                        size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !enlarged);
    painter.drawImage(target, image);
    if (stale_) {
      QColor veil = palette().window().color();
      veil.setAlpha(160);
      painter.fillRect(target, veil);
    }
  }

 private:
  const Surface& surface_;
  QSize preferred_;
  bool stale_ = false;
};

constexpr const char* kKeepPaletteKey = "pictureImport/keepPalette";
constexpr const char* kSharedBackgroundKey = "pictureImport/sharedBackground";
constexpr const char* kDitherKey = "pictureImport/dither";

}  // namespace

PictureImportDialog::PictureImportDialog(ImportTarget target, const QString& name,
                                         std::vector<Color> picture, ByteArray image,
                                         QWidget* parent)
    : QDialog(parent),
      target_(target),
      picture_(std::move(picture)),
      image_(std::move(image)),
      source_(importWidth(target), importHeight(target)),
      result_(importWidth(target), importHeight(target)) {
  const bool field = target == ImportTarget::Field;
  setObjectName("dlgPictureImport");
  setWindowTitle(field ? "Import Picture as Field" : "Import Picture as Batter's View");
  std::copy(picture_.begin(), picture_.end(), source_.pixels());
  result_.clear();

  const QSize preferred = field ? QSize(384, 384) : QSize(512, 480);
  auto* views = new QGridLayout;
  auto* sourceTitle = new QLabel(name);
  sourceTitle->setObjectName("lblPictureName");
  views->addWidget(sourceTitle, 0, 0);
  views->addWidget(new QLabel(field ? "Fitted to the field" : "Fitted to the batter's view"), 0, 1);
  auto* sourceView = new PicturePreview(source_, preferred, this);
  sourceView->setObjectName("picPictureSource");
  resultView_ = new PicturePreview(result_, preferred, this);
  resultView_->setObjectName("picPictureFitted");
  views->addWidget(sourceView, 1, 0);
  views->addWidget(resultView_, 1, 1);

  QHBoxLayout* options = makeOptions(field);

  // The bar stays in its place, so that nothing moves when a fit ends.
  progress_ = new QProgressBar;
  progress_->setObjectName("barProgress");
  progress_->setRange(0, 100);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons_->setObjectName("buttons");
  buttons_->button(QDialogButtonBox::Ok)->setText("&Apply");
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(views, 1);
  layout->addWidget(figures_);
  layout->addLayout(options);
  layout->addWidget(progress_);
  layout->addWidget(buttons_);

  connect(&watcher_, &QFutureWatcherBase::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcherBase::finished, this, &PictureImportDialog::showFit);
  const auto optionChanged = [this] {
    settings::setFlag(kKeepPaletteKey, keepPalette_->isChecked());
    if (target_ == ImportTarget::Field) {
      settings::setFlag(kSharedBackgroundKey, sharedBackground_->isChecked());
    }
    settings::setNumber(kDitherKey, dither_->currentIndex());
    startFit();
  };
  // A kept palette has the first colours it has.
  const auto showShared = [this, field] {
    sharedBackground_->setEnabled(field && !keepPalette_->isChecked());
  };
  showShared();
  connect(keepPalette_, &QCheckBox::toggled, this, showShared);
  connect(keepPalette_, &QCheckBox::toggled, this, optionChanged);
  connect(sharedBackground_, &QCheckBox::toggled, this, optionChanged);
  connect(dither_, &QComboBox::currentIndexChanged, this, optionChanged);
  startFit();
}

QHBoxLayout* PictureImportDialog::makeOptions(bool field) {
  figures_ = new QLabel;
  figures_->setObjectName("lblFigures");
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  keepPalette_ = new QCheckBox("&Keep the current palette");
  keepPalette_->setObjectName("chkKeepPalette");
  keepPalette_->setChecked(settings::flag(kKeepPaletteKey, false));
  sharedBackground_ = new QCheckBox("&Shared background colour");
  sharedBackground_->setObjectName("chkSharedBackground");
  sharedBackground_->setToolTip(
      "The console shows colour 0 of every sub-palette in one colour: give the four "
      "sub-palettes the same first colour, so that the game shows what you see here");
  sharedBackground_->setChecked(field && settings::flag(kSharedBackgroundKey, true));
  dither_ = new QComboBox;
  dither_->setObjectName("cboDither");
  dither_->addItems({"None", "Ordered"});
  dither_->setCurrentIndex(std::clamp(settings::number(kDitherKey, 0), 0, 1));
  auto* ditherLabel = new QLabel("&Dither:");
  ditherLabel->setBuddy(dither_);
  auto* options = new QHBoxLayout;
  options->addWidget(keepPalette_);
  options->addWidget(sharedBackground_);
  options->addStretch();
  options->addWidget(ditherLabel);
  options->addWidget(dither_);
  return options;
}

PictureImportDialog::~PictureImportDialog() {
  watcher_.disconnect(this);
  // Fits replaced by a newer one stop at their next progress report; all
  // of them are waited for.
  fits_.setCancelOnWait(true);
  fits_.waitForFinished();
}

ImportOptions PictureImportDialog::options() const {
  ImportOptions options;
  options.keepPalette = keepPalette_->isChecked();
  options.sharedBackground = sharedBackground_->isEnabled() && sharedBackground_->isChecked();
  options.dither = dither_->currentIndex() == 1 ? Dither::Ordered : Dither::None;
  return options;
}

bool PictureImportDialog::fitting() const {
  return watcher_.isRunning();
}

void PictureImportDialog::startFit() {
  // A fit under way for the old options stops at its next progress report;
  // its result goes nowhere.
  watcher_.cancel();
  fitted_.reset();
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
  progress_->setValue(0);
  progress_->setFormat("Fitting: %p%");
  static_cast<PicturePreview*>(resultView_)->setStale(true);
  figures_->setText("Fitting...");
  watcher_.setFuture(QtConcurrent::run([target = target_, picture = picture_, image = image_,
                                        options = options()](QPromise<FittedPicture>& promise) {
    promise.setProgressRange(0, 100);
    std::optional<FittedPicture> fitted =
        fitPicture(image, target, picture, options, [&promise](int percent) {
          promise.setProgressValue(percent);
          return !promise.isCanceled();
        });
    if (fitted) {
      promise.addResult(std::move(*fitted));
    }
  }));
  // Fits that have ended, and the pictures they hold, need no waiting for.
  const QList<QFuture<FittedPicture>> earlier = fits_.futures();
  if (std::all_of(earlier.begin(), earlier.end(),
                  [](const QFuture<FittedPicture>& fit) { return fit.isFinished(); })) {
    fits_.clearFutures();
  }
  fits_.addFuture(watcher_.future());
}

void PictureImportDialog::showFit() {
  if (watcher_.isCanceled()) {
    return;
  }
  try {
    watcher_.waitForFinished();  // gives back what the fit threw, if anything
  } catch (const std::exception& error) {
    QString reason = error.what();
    if (const auto* unhandled = dynamic_cast<const QUnhandledException*>(&error)) {
      try {
        std::rethrow_exception(unhandled->exception());
      } catch (const std::exception& inner) {
        reason = inner.what();
      } catch (...) {
      }
    }
    figures_->setText(QString("The picture could not be fitted (%1).").arg(reason));
    progress_->setFormat("Failed");
    return;
  }
  if (watcher_.future().resultCount() == 0) {
    return;
  }
  fitted_ = watcher_.result();
  std::copy(fitted_->picture.pixels(),
            fitted_->picture.pixels() + fitted_->picture.width() * fitted_->picture.height(),
            result_.pixels());
  static_cast<PicturePreview*>(resultView_)->setStale(false);
  QString figures = QString::fromStdString(describeFigures(fitted_->figures, target_));
  figures[0] = figures[0].toUpper();
  figures_->setText(figures);
  progress_->setValue(100);
  progress_->setFormat("Done");
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(true);
  emit fitShown();
}

}  // namespace tarvo
