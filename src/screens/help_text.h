// Help > Keyboard and Mouse: every key and every gesture of both windows, as
// a table of sections, for the help window to lay out in columns.
#pragma once

#include <vector>

namespace tarvo {

struct HelpRow {
  const char* keys;    // "Ctrl+C", "Left press or drag"
  const char* action;  // what they do
};

struct HelpSection {
  const char* window;  // "Main window" or "Graphics editor window"
  const char* title;   // "Field map"
  std::vector<HelpRow> rows;
  const char* note = "";  // a paragraph after the rows, or nothing
};

const std::vector<HelpSection>& keyboardAndMouseHelp();

}  // namespace tarvo
