// Import Picture: the picture beside its fit, with the figures of the fit and
// its options. The fit runs on a worker thread over copies of the picture
// and the image, again whenever an option changes; the window stays
// responsive and a bar shows how far it has come.
#pragma once

#include <QDialog>
#include <QFutureSynchronizer>
#include <QFutureWatcher>
#include <optional>
#include <vector>

#include "screens/picture_import.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;

namespace tarvo {

class PictureImportDialog : public QDialog {
  Q_OBJECT

 public:
  // `image` is the image to fit into (its palette serves "keep the current
  // palette"); `name` names the picture's file.
  PictureImportDialog(ImportTarget target, const QString& name, std::vector<Color> picture,
                      ByteArray image, QWidget* parent = nullptr);
  // Stops a fit under way and waits for it.
  ~PictureImportDialog() override;

  ImportOptions options() const;
  // The fit the dialog shows, once one has come and none is under way.
  const std::optional<FittedPicture>& fitted() const { return fitted_; }
  bool fitting() const;

 signals:
  // A fit has come and is shown.
  void fitShown();

 private:
  // The figures' label and the options' row: keep the palette, a shared
  // background colour, dither.
  QHBoxLayout* makeOptions(bool field);
  void startFit();
  void showFit();

  ImportTarget target_;
  std::vector<Color> picture_;
  ByteArray image_;
  Surface source_;
  Surface result_;
  std::optional<FittedPicture> fitted_;
  QFutureWatcher<FittedPicture> watcher_;
  QFutureSynchronizer<FittedPicture> fits_;  // every fit started
  QWidget* resultView_;
  QLabel* figures_;
  QCheckBox* keepPalette_;
  QCheckBox* sharedBackground_;
  QComboBox* dither_;
  QProgressBar* progress_;
  QDialogButtonBox* buttons_;
};

}  // namespace tarvo
