// Help > Keyboard and Mouse as a window of its own: the keys and what they
// do in two aligned columns, each window's sections under its name;
// resizable and scrolled, never taller than the screen's free area.
#pragma once

#include <QString>
#include <vector>

#include "screens/help_text.h"

class QDialog;
class QWidget;

namespace tarvo {

// Shows the window beside `parent` without blocking it; the window goes when
// it is closed.
QDialog* showHelpWindow(QWidget* parent, const QString& title,
                        const std::vector<HelpSection>& sections);

}  // namespace tarvo
