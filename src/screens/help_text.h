// The text of Help > Keyboard and Mouse: every key and every gesture of both
// windows.
#pragma once

#include <string>

namespace tarvo {

std::string keyboardAndMouseHelp();

}  // namespace tarvo
