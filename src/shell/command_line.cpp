#include "shell/command_line.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tarvo {

namespace {

namespace fs = std::filesystem;

constexpr const char* kEditorProgram = "tarvo-field-editor";

}  // namespace

bool CommandLineWords::has(const std::string& name) const {
  return value(name).has_value();
}

std::optional<std::string> CommandLineWords::value(const std::string& name) const {
  for (const auto& [option, given] : options) {
    if (option == name) {
      return given;
    }
  }
  return std::nullopt;
}

std::optional<std::string> splitCommandLine(const std::vector<std::string>& args, std::size_t first,
                                            const std::vector<CommandLineOption>& accepted,
                                            CommandLineWords& words) {
  std::optional<std::string> problem;
  auto note = [&problem](std::string text) {
    if (!problem) {
      problem = std::move(text);  // the first problem is the one reported
    }
  };
  bool optionsEnded = false;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (optionsEnded || word.empty() || word[0] != '-') {
      words.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      words.help = true;
      continue;
    }
    if (word == "--version") {
      words.version = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const auto option = std::find_if(accepted.begin(), accepted.end(),
                                     [&](const CommandLineOption& o) { return o.name == name; });
    if (option == accepted.end() || name.size() < 3 || name[1] != '-') {
      note("unknown option '" + word + "'");
      continue;
    }
    std::string value;
    if (option->takesValue) {
      if (equals != std::string::npos) {
        value = word.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        note(name + " needs a value");
        continue;
      }
    } else if (equals != std::string::npos) {
      note(name + " takes no value");
      continue;
    }
    if (words.has(name)) {
      note(name + " is given twice");
      continue;
    }
    words.options.emplace_back(name, value);
  }
  return problem;
}

std::string usageErrorText(const std::string& program, const std::string& message) {
  return program + ": " + message + "\nTry '" + program + " --help'.\n";
}

bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) {
    return false;
  }
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) {
    // Hard links and symbolic links alike: the same device and inode.
    return fs::equivalent(a, b, error);
  }
  const fs::path left = fs::weakly_canonical(a, error);
  if (error) {
    return false;
  }
  const fs::path right = fs::weakly_canonical(b, error);
  return !error && left == right;
}

EditorCommandLine parseEditorCommandLine(const std::vector<std::string>& args) {
  EditorCommandLine result;
  CommandLineWords words;
  const std::optional<std::string> problem = splitCommandLine(args, 0, {}, words);
  if (words.help) {
    result.action = EditorCommandLine::Action::Help;
  } else if (words.version) {
    result.action = EditorCommandLine::Action::Version;
  } else if (problem) {
    result.action = EditorCommandLine::Action::UsageError;
    result.message = *problem;
  } else if (words.operands.size() > 1) {
    result.action = EditorCommandLine::Action::UsageError;
    result.message =
        "the editor opens one ROM image at a time, not " + std::to_string(words.operands.size());
  } else if (words.operands.size() == 1) {
    result.romPath = words.operands.front();
  }
  return result;
}

std::string editorVersionText() {
  return std::string(kEditorProgram) + " " + TARVO_VERSION + "\n";
}

std::string editorHelpText() {
  return std::string("Usage: ") + kEditorProgram +
         " [OPTION]... [ROM.nes]\n"
         "\n"
         "Opens Tarvo Field Editor, on ROM.nes if it is given: the playing field,\n"
         "its tiles and metatiles, and the Batter's View screen of the ROM image of\n"
         "an NES baseball game, edited in memory and saved back in place.\n"
         "\n"
         "Options:\n"
         "  --help, -h   show this text and exit\n"
         "  --version    show the version and exit\n"
         "  --           end of the options: a name after it is a file, even one\n"
         "               that starts with '-'\n"
         "\n"
         "Qt's own options (-platform NAME, -style NAME, ...) are understood too.\n"
         "The command-line tool tarvo-cli exports, imports and patches without a\n"
         "window.\n";
}

}  // namespace tarvo
