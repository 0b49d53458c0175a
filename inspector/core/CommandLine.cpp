// The command line of lumivex.exe: reading the arguments into one job.
#include "CommandLine.h"

#include "core/UNI_Strings.h"
#include "discovery/Locator.h"
#include "discovery/Mask.h"

namespace lvx {

namespace {

// The command line's texts, as keys of the language file's "CommandLine" section.
constexpr MessageDef OneJob{"OneJob", "можно указать только одно из --dump, --tree, --find, --help и --version"};
constexpr MessageDef OutNeedsFile{"OutNeedsFile", "после --out нужно имя файла"};
constexpr MessageDef ClassNeedsMask{"ClassNeedsMask", "после --class нужна маска"};
constexpr MessageDef UnknownArgument{"UnknownArgument", "неизвестный аргумент «%s»"};
constexpr MessageDef NoJob{"NoJob", "не указано, что делать: --dump, --tree или --find"};
constexpr MessageDef ClassWithFind{"ClassWithFind", "--class указывается только вместе с --find"};
constexpr MessageDef TargetMissing{"TargetMissing", "не указано окно: дескриптор, локатор, --at X,Y или --foreground"};
constexpr MessageDef AtNeedsPoint{"AtNeedsPoint", "после --at нужна точка экрана в виде X,Y"};
constexpr MessageDef NotATarget{"NotATarget", "«%s» — не дескриптор окна и не локатор"};
constexpr MessageDef FindNeedsPattern{"FindNeedsPattern", "после --find нужен локатор или маска"};
constexpr MessageDef UsageLines[] = {
    {"Usage1", "Запуск:"},
    {"Usage2", "lumivex --dump ОКНО [--text] [--out ФАЙЛ]     всё, что известно об одном окне"},
    {"Usage3", "lumivex --tree [ОКНО] [--text] [--out ФАЙЛ]   окна под ОКНОМ или весь рабочий стол"},
    {"Usage4", "lumivex --find ЛОКАТОР|МАСКА [--class МАСКА] [--text] [--out ФАЙЛ]"},
    {"Usage5", "окна, которые находит локатор или чьи текст (и класс) подходят под маски"},
    {"Usage6", "lumivex --help | --version"},
    {"Usage7", "ОКНО: дескриптор в шестнадцатеричном виде (00010A2C), локатор (notepad.exe/Notepad/Edit),"},
    {"Usage8", "--at X,Y (окно под точкой экрана) или --foreground (активное окно)."},
    {"Usage9", "Вывод в JSON, с --text — текстом. Коды выхода: 0 готово, 1 ничего не найдено,"},
    {"Usage10", "2 неверные аргументы, 3 окно не удалось прочитать."},
};
constexpr MessageDef AllTexts[] = {
    CommandNothingFound, CommandNoWindow, CommandNotAnswering, CommandCantWrite, OneJob, OutNeedsFile, ClassNeedsMask,
    UnknownArgument,     NoJob,           ClassWithFind,       TargetMissing,    AtNeedsPoint, NotATarget, FindNeedsPattern,
    UsageLines[0],       UsageLines[1],   UsageLines[2],       UsageLines[3],    UsageLines[4], UsageLines[5],
    UsageLines[6],       UsageLines[7],   UsageLines[8],       UsageLines[9]};

bool IsHexDigit(char c) noexcept
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A handle as the program shows it: hexadecimal digits, with "0x" or "$" in front if one likes.
std::optional<uint64_t> ParseHandle(std::string_view text)
{
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    else if (text.starts_with("$")) text.remove_prefix(1);
    if (text.empty() || text.size() > 16) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (!IsHexDigit(c)) return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(c <= '9' ? c - '0' : (LatinUpper(c) - 'A' + 10));
    }
    return value;
}

std::optional<std::pair<int32_t, int32_t>> ParsePoint(std::string_view text)
{
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const std::optional<int32_t> x = StrToInt(text.substr(0, comma));
    const std::optional<int32_t> y = StrToInt(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return std::pair{*x, *y};
}

class Arguments {
public:
    Arguments(const std::vector<std::string>& list, std::string& error, const TextLookup& lookup)
        : list_(list), error_(error), lookup_(lookup)
    {
    }

    std::optional<CommandLine> Read()
    {
        CommandLine line;
        bool jobSeen = false;
        while (at_ < list_.size()) {
            const std::string& argument = list_[at_++];
            if (argument == "--dump" || argument == "--tree" || argument == "--find" || argument == "--help" ||
                argument == "-h" || argument == "/?" || argument == "--version") {
                if (jobSeen) return Fail(OneJob);
                jobSeen = true;
                if (!ReadJob(argument, line)) return std::nullopt;
            } else if (argument == "--text") {
                line.AsText = true;
            } else if (argument == "--out") {
                if (at_ >= list_.size() || list_[at_].empty()) return Fail(OutNeedsFile);
                line.OutFile = list_[at_++];
            } else if (argument == "--class") {
                if (at_ >= list_.size()) return Fail(ClassNeedsMask);
                line.ClassMask = list_[at_++];
                if (!CheckMask(line.ClassMask)) return std::nullopt;
            } else {
                return Fail(UnknownArgument, argument);
            }
        }
        if (!jobSeen) return Fail(NoJob);
        if (line.ClassMask != "*" && line.Job != CommandJob::Find) return Fail(ClassWithFind);
        return line;
    }

private:
    std::nullopt_t Fail(const MessageDef& text, std::string_view argument = {})
    {
        return FailWith(FormatMessageText(lookup_(text), argument));
    }
    std::nullopt_t FailWith(std::string message)
    {
        error_ = std::move(message);
        return std::nullopt;
    }

    bool CheckMask(const std::string& mask)
    {
        std::string maskError;
        if (TMask::Create(mask, &maskError)) return true;
        FailWith(maskError);
        return false;
    }

    bool ReadTarget(CommandTarget& target)
    {
        if (at_ >= list_.size()) return Fail(TargetMissing), false;
        const std::string& argument = list_[at_++];
        if (argument == "--foreground") {
            target.Type = CommandTarget::Kind::Foreground;
            return true;
        }
        if (argument == "--at") {
            const std::optional<std::pair<int32_t, int32_t>> point =
                at_ < list_.size() ? ParsePoint(list_[at_]) : std::nullopt;
            if (!point) return Fail(AtNeedsPoint), false;
            ++at_;
            target.Type = CommandTarget::Kind::Point;
            target.X = point->first;
            target.Y = point->second;
            return true;
        }
        if (const std::optional<uint64_t> handle = ParseHandle(argument)) {
            target.Type = CommandTarget::Kind::Handle;
            target.Handle = *handle;
            return true;
        }
        LocatorError locatorError;
        if (!ParseLocator(argument, &locatorError)) {
            const bool looksLikeLocator = argument.find('/') != std::string::npos;
            if (looksLikeLocator) return FailWith(LocatorErrorText(argument, locatorError, lookup_)), false;
            return Fail(NotATarget, argument), false;
        }
        target.Type = CommandTarget::Kind::Locator;
        target.Locator = argument;
        return true;
    }

    bool ReadJob(const std::string& job, CommandLine& line)
    {
        if (job == "--dump") {
            line.Job = CommandJob::Dump;
            return ReadTarget(line.Target);
        }
        if (job == "--tree") {
            line.Job = CommandJob::Tree;
            // The target is optional: without one, the whole desktop.
            if (at_ < list_.size() && (!list_[at_].starts_with("--") || list_[at_] == "--at" || list_[at_] == "--foreground"))
                return ReadTarget(line.Target);
            return true;
        }
        if (job == "--find") {
            line.Job = CommandJob::Find;
            if (at_ >= list_.size()) return Fail(FindNeedsPattern), false;
            const std::string& pattern = list_[at_++];
            LocatorError locatorError;
            if (ParseLocator(pattern, &locatorError)) {
                line.FindByLocator = true;
                line.FindLocator = pattern;
                return true;
            }
            std::string maskError;
            if (!TMask::Create(pattern, &maskError))
                return FailWith(pattern.find('/') != std::string::npos ? LocatorErrorText(pattern, locatorError, lookup_) : maskError), false;
            line.TextMask = pattern;
            return true;
        }
        line.Job = job == "--version" ? CommandJob::Version : CommandJob::Help;
        return true;
    }

    const std::vector<std::string>& list_;
    std::string& error_;
    const TextLookup& lookup_;
    size_t at_ = 0;
};

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error,
                                            const TextLookup& lookup)
{
    return Arguments(arguments, error, lookup).Read();
}

std::string CommandLineUsage(const TextLookup& lookup)
{
    std::string usage;
    // The indents are the layout's, not the language's: the texts carry none.
    static constexpr int Indents[] = {0, 2, 2, 2, 6, 2, 0, 0, 0, 0};
    static_assert(std::size(Indents) == std::size(UsageLines));
    for (size_t i = 0; i < std::size(UsageLines); ++i) usage += std::string(Indents[i], ' ') + lookup(UsageLines[i]) + "\n";
    return usage;
}

std::span<const MessageDef> CommandLineTexts()
{
    return AllTexts;
}

}  // namespace lvx
