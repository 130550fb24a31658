// The words of a command line, as both programs read them, and the checks a
// command makes before it writes a file.
//
// Every word that starts with '-' is an option, until a word "--", after
// which every word is an operand (a file may be called "-x.nes"). An option
// that takes a value is given as "--name VALUE" or "--name=VALUE". "--help"
// (or "-h") and "--version" are understood everywhere.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvo {

struct CommandLineOption {
  std::string name;  // "--subpalette"
  bool takesValue = false;
};

struct CommandLineWords {
  std::vector<std::string> operands;
  // The options given, in order, with their values ("" for a flag).
  std::vector<std::pair<std::string, std::string>> options;
  bool help = false;
  bool version = false;

  bool has(const std::string& name) const;
  // The value of option `name`, if it was given.
  std::optional<std::string> value(const std::string& name) const;
};

// Splits `args` (from `args[first]` on) into operands and the options of
// `accepted`. Returns what is wrong with them, in one line, or nothing.
// --help and --version are noted even where something else is wrong, so that
// asking for help always gets it.
std::optional<std::string> splitCommandLine(const std::vector<std::string>& args, std::size_t first,
                                            const std::vector<CommandLineOption>& accepted,
                                            CommandLineWords& words);

// The two lines a usage error prints: "PROGRAM: MESSAGE" and where to read
// more.
std::string usageErrorText(const std::string& program, const std::string& message);

// Whether `a` and `b` name the same file: the same device and inode where
// both exist (links of either kind seen through), else the same path once
// links and "." and ".." are resolved.
bool sameFile(const std::string& a, const std::string& b);

// What the editor's own command line asks for.
struct EditorCommandLine {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::Run;
  std::string romPath;  // Run: the image to open, or empty
  std::string message;  // UsageError: what was wrong
};

// Reads the editor's arguments (after the program's name, Qt's own options
// already taken out).
EditorCommandLine parseEditorCommandLine(const std::vector<std::string>& args);

// "tarvo-field-editor 1.1.0" and the editor's --help text.
std::string editorVersionText();
std::string editorHelpText();

}  // namespace tarvo
