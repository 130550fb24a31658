// The chooser of the 64 NES colours: a grid of swatches, four rows of 16,
// each drawn in its colour from the colour table with its number in
// hexadecimal.
#pragma once

#include <QDialog>

namespace tarvo {

class ColourChooser : public QDialog {
  Q_OBJECT

 public:
  // `current` (0 to 63, or anything else for none) is marked.
  explicit ColourChooser(int current, QWidget* parent = nullptr);

  // The colour number chosen, or -1.
  int chosen() const { return chosen_; }

 private:
  int chosen_ = -1;
};

}  // namespace tarvo
