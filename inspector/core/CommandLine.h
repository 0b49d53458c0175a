// The command line of lumivex.exe: with arguments it does one job (dump, tree, find) and ends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/Locator.h"

namespace lvx {

enum class CommandJob : uint8_t { Dump, Tree, Find, Help, Version };

// Which window a job starts from.
struct CommandTarget {
    enum class Kind : uint8_t { Desktop, Handle, Locator, Point, Foreground };
    Kind Type = Kind::Desktop;
    uint64_t Handle = 0;
    std::string Locator;  // the locator's text, already checked
    int32_t X = 0;
    int32_t Y = 0;
};

struct CommandLine {
    CommandJob Job = CommandJob::Help;
    CommandTarget Target;
    // --find: a locator, or masks on the text and the class of every window.
    bool FindByLocator = false;
    std::string FindLocator;
    std::string TextMask = "*";
    std::string ClassMask = "*";
    bool AsText = false;   // --text: the details copy's format instead of JSON
    std::string OutFile;   // --out FILE; empty: standard output
};

// Process exit codes of the command line.
enum CommandExit : int { ExitDone = 0, ExitNothingFound = 1, ExitBadArguments = 2, ExitUnreadable = 3 };

// Reads the arguments (without the program's name). Nothing, with a sentence saying what is wrong
// in `error`, when they are not a valid command line.
[[nodiscard]] std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error,
                                                        const TextLookup& lookup = BuiltInText);

// The usage text that --help prints and a bad command line follows its error with.
[[nodiscard]] std::string CommandLineUsage(const TextLookup& lookup = BuiltInText);

// What a job says besides its output, keys of the same section.
inline constexpr MessageDef CommandNothingFound{"NothingFound", "Ничего не найдено"};
inline constexpr MessageDef CommandNoWindow{"NoWindow", "Окна %s нет"};
inline constexpr MessageDef CommandNotAnswering{"NotAnswering", "Не ответили окон: %s"};
inline constexpr MessageDef CommandCantWrite{"CantWrite", "Не удалось записать файл %s"};

// Every text of the command line, for the language file's "CommandLine" section (the locator's
// texts are there too: LocatorTexts).
[[nodiscard]] std::span<const MessageDef> CommandLineTexts();

}  // namespace lvx
