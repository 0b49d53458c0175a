// lumivex.exe with arguments: the one job they ask for, written as JSON or text, then the exit code.
#pragma once

#include "language/MessageTable.h"

#include <string>
#include <vector>

namespace lvx {

// Runs the job of a non-empty argument list (the program's name left out) without showing any
// window, and answers the process's exit code (CommandExit).
[[nodiscard]] int RunCommandLine(const std::vector<std::string>& arguments);

// A text of the command line (and of locator errors): the loaded language file's "CommandLine"
// section, else the built-in text (also where the file lacks the key).
[[nodiscard]] std::string LookupCommandText(const MessageDef& text);

// The arguments of this process's command line in the ANSI code page, without the program's name.
[[nodiscard]] std::vector<std::string> ProcessArguments();

}  // namespace lvx
