// Locators: formatting, reading, matching and the choice of the shortest one for a window.
#include "Locator.h"

#include "Mask.h"
#include "core/UNI_Strings.h"

#include <algorithm>
#include <cstdint>

namespace lvx {

namespace {

// The problems a locator can have, as keys of the language file's "CommandLine" section.
constexpr MessageDef LocatorSlash{"LocatorSlash", "после имени файла программы ожидаются «/» и класс окна"};
constexpr MessageDef LocatorTooLong{"LocatorTooLong", "слишком много шагов"};
constexpr MessageDef LocatorEnd{"LocatorEnd", "ожидается «/» или конец"};
constexpr MessageDef LocatorHex{"LocatorHex", "после \\x ожидаются две шестнадцатеричные цифры"};
constexpr MessageDef LocatorEscape{"LocatorEscape", "неизвестный знак после «\\»"};
constexpr MessageDef LocatorQuoteMissing{"LocatorQuoteMissing", "нет закрывающей кавычки"};
constexpr MessageDef LocatorQuote{"LocatorQuote", "ожидается кавычка"};
constexpr MessageDef LocatorName{"LocatorName", "ожидается имя (имя с другими знаками берётся в кавычки)"};
constexpr MessageDef LocatorBigNumber{"LocatorBigNumber", "слишком большое число"};
constexpr MessageDef LocatorNumber{"LocatorNumber", "ожидается число"};
constexpr MessageDef LocatorEquals{"LocatorEquals", "ожидается «=»"};
constexpr MessageDef LocatorIdTwice{"LocatorIdTwice", "id указан дважды"};
constexpr MessageDef LocatorTextTwice{"LocatorTextTwice", "text указан дважды"};
constexpr MessageDef LocatorPositionTwice{"LocatorPositionTwice", "позиция указана дважды"};
constexpr MessageDef LocatorQualifier{"LocatorQualifier", "ожидается «id=», «text=» или позиция от 1"};
constexpr MessageDef LocatorPosition{"LocatorPosition", "позиция считается от 1"};
constexpr MessageDef LocatorClose{"LocatorClose", "ожидается «,» или «]»"};
constexpr MessageDef NotLocator{"NotLocator", "«%s» — не локатор, ошибка в позиции"};
constexpr MessageDef AllTexts[] = {NotLocator, LocatorSlash, LocatorTooLong, LocatorEnd, LocatorHex, LocatorEscape, LocatorQuoteMissing, LocatorQuote, LocatorName, LocatorBigNumber, LocatorNumber, LocatorEquals, LocatorIdTwice, LocatorTextTwice, LocatorPositionTwice, LocatorQualifier, LocatorPosition, LocatorClose};

bool IsBareChar(unsigned char c) noexcept
{
    if (c <= ' ' || c >= 0x7F) return false;
    switch (c) {
    case '/': case '[': case ']': case ',': case '=': case '"': case '\\':
    case '*': case '?':  // so that a mask never reads as a locator
        return false;
    default:
        return true;
    }
}

void AppendQuoted(std::string& out, std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < ' ' || c == 0x7F) {
                out += "\\x";
                out += Hex[c >> 4];
                out += Hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void AppendName(std::string& out, std::string_view name)
{
    if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return IsBareChar(static_cast<unsigned char>(c)); }))
        out += name;
    else
        AppendQuoted(out, name);
}

bool SameClass(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LatinUpper(x) == LatinUpper(y); });
}

// A recursive-descent reader over the locator text; every failure records the 1-based position.
class Reader {
public:
    Reader(std::string_view text, LocatorError* error) : text_(text), error_(error) {}

    std::optional<Locator> Read()
    {
        Locator locator;
        SkipBlanks();
        if (!ReadName(locator.ImageName)) return std::nullopt;
        SkipBlanks();
        if (!Take('/')) return Fail(LocatorSlash);
        do {
            if (locator.Steps.size() == MaxLocatorSteps) return Fail(LocatorTooLong);
            LocatorStep step;
            SkipBlanks();
            if (!ReadName(step.ClassName) || !ReadQualifiers(step)) return std::nullopt;
            locator.Steps.push_back(std::move(step));
            SkipBlanks();
        } while (Take('/'));
        if (at_ != text_.size()) return Fail(LocatorEnd);
        return locator;
    }

private:
    std::nullopt_t Fail(const MessageDef& problem, std::string maskError = {})
    {
        if (error_ && !failed_) *error_ = LocatorError{at_ + 1, problem, std::move(maskError)};
        failed_ = true;
        return std::nullopt;
    }

    void SkipBlanks()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }

    bool Take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool TakeWord(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    static int HexDigit(char c)
    {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    }

    bool ReadQuoted(std::string& out)
    {
        if (!Take('"')) return Fail(LocatorQuote), false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) break;
            const char e = text_[at_++];
            switch (e) {
            case '"': case '\\': out += e; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                const int high = at_ < text_.size() ? HexDigit(text_[at_]) : -1;
                const int low = at_ + 1 < text_.size() ? HexDigit(text_[at_ + 1]) : -1;
                if (high < 0 || low < 0) return Fail(LocatorHex), false;
                out += static_cast<char>(high * 16 + low);
                at_ += 2;
                break;
            }
            default:
                at_ -= 2;
                return Fail(LocatorEscape), false;
            }
        }
        return Fail(LocatorQuoteMissing), false;
    }

    bool ReadName(std::string& out)
    {
        if (at_ < text_.size() && text_[at_] == '"') return ReadQuoted(out);
        const size_t start = at_;
        while (at_ < text_.size() && IsBareChar(static_cast<unsigned char>(text_[at_]))) ++at_;
        if (at_ == start) return Fail(LocatorName), false;
        out.assign(text_.substr(start, at_ - start));
        return true;
    }

    bool ReadInteger(int64_t& value)
    {
        const bool negative = Take('-');
        const size_t start = at_;
        uint64_t magnitude = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            const uint64_t digit = static_cast<uint64_t>(text_[at_] - '0');
            if (magnitude > (UINT64_C(9223372036854775808) - digit) / 10) return at_ = start, Fail(LocatorBigNumber), false;
            magnitude = magnitude * 10 + digit;
            ++at_;
        }
        if (at_ == start) return Fail(LocatorNumber), false;
        if (!negative && magnitude > UINT64_C(9223372036854775807)) return at_ = start, Fail(LocatorBigNumber), false;
        value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
        return true;
    }

    bool ReadQualifier(LocatorStep& step)
    {
        SkipBlanks();
        const size_t start = at_;
        if (TakeWord("id")) {
            SkipBlanks();
            if (!Take('=')) return Fail(LocatorEquals), false;
            SkipBlanks();
            if (step.ControlId) return at_ = start, Fail(LocatorIdTwice), false;
            int64_t id = 0;
            if (!ReadInteger(id)) return false;
            step.ControlId = id;
        } else if (TakeWord("text")) {
            SkipBlanks();
            if (!Take('=')) return Fail(LocatorEquals), false;
            SkipBlanks();
            if (step.TextMask) return at_ = start, Fail(LocatorTextTwice), false;
            std::string mask;
            const size_t maskAt = at_;
            if (!ReadQuoted(mask)) return false;
            std::string maskError;
            if (!TMask::Create(mask, &maskError)) return at_ = maskAt, Fail(LocatorQualifier, maskError), false;
            step.TextMask = std::move(mask);
        } else {
            if (step.Position != 0) return Fail(LocatorPositionTwice), false;
            int64_t position = 0;
            if (at_ < text_.size() && text_[at_] == '-') return Fail(LocatorQualifier), false;
            if (!ReadInteger(position)) return false;
            if (position < 1 || position > INT32_MAX) return at_ = start, Fail(LocatorPosition), false;
            step.Position = static_cast<int32_t>(position);
        }
        SkipBlanks();
        return true;
    }

    bool ReadQualifiers(LocatorStep& step)
    {
        SkipBlanks();
        if (!Take('[')) return true;
        do {
            if (!ReadQualifier(step)) return false;
        } while (Take(','));
        if (!Take(']')) return Fail(LocatorClose), false;
        return true;
    }

    std::string_view text_;
    LocatorError* error_;
    size_t at_ = 0;
    bool failed_ = false;
};

// The step that tells `target` apart from the other windows of `list` with its class, by the
// first of: nothing, a unique id (children only), a unique text, the position. Nothing when the
// target is not in the list or its text is needed and cannot be read.
std::optional<LocatorStep> ChooseStep(const std::vector<LocatorWindow>& list, uint64_t target, bool topLevel,
                                      LocatorWindows& windows)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const LocatorWindow& w) { return w.Handle == target; });
    if (found == list.end()) return std::nullopt;
    LocatorStep step;
    step.ClassName = found->ClassName;
    std::vector<const LocatorWindow*> sameClass;
    for (const LocatorWindow& w : list)
        if (SameClass(w.ClassName, found->ClassName)) sameClass.push_back(&w);
    if (sameClass.size() == 1) return step;
    const auto position = std::find(sameClass.begin(), sameClass.end(), &*found) - sameClass.begin() + 1;

    if (!topLevel && std::count_if(sameClass.begin(), sameClass.end(),
                                   [&](const LocatorWindow* w) { return w->ControlId == found->ControlId; }) == 1) {
        step.ControlId = found->ControlId;
        return step;
    }
    if (const std::optional<std::string> text = windows.Text(target)) {
        const std::string mask = ExactTextMask(*text);
        if (const std::optional<TMask> compiled = TMask::Create(mask)) {
            bool unique = true;
            for (const LocatorWindow* w : sameClass) {
                if (w == &*found) continue;
                const std::optional<std::string> other = windows.Text(w->Handle);
                if (!other || compiled->Matches(*other)) {
                    unique = false;
                    break;
                }
            }
            if (unique) {
                step.TextMask = mask;
                return step;
            }
        }
    }
    step.Position = static_cast<int32_t>(position);
    return step;
}

bool FindsExactly(const Locator& locator, uint64_t target, LocatorWindows& windows)
{
    const LocatorMatches matches = FindByLocator(locator, windows);
    return matches.NotAnswering == 0 && matches.Windows.size() == 1 && matches.Windows.front() == target;
}

}  // namespace

std::string FormatLocator(const Locator& locator)
{
    std::string out;
    AppendName(out, locator.ImageName);
    for (const LocatorStep& step : locator.Steps) {
        out += '/';
        AppendName(out, step.ClassName);
        if (step.Position == 0 && !step.ControlId && !step.TextMask) continue;
        out += '[';
        const char* separator = "";
        if (step.Position != 0) {
            out += std::to_string(step.Position);
            separator = ",";
        }
        if (step.ControlId) {
            out += separator;
            out += "id=" + std::to_string(*step.ControlId);
            separator = ",";
        }
        if (step.TextMask) {
            out += separator;
            out += "text=";
            AppendQuoted(out, *step.TextMask);
        }
        out += ']';
    }
    return out;
}

std::optional<Locator> ParseLocator(std::string_view text, LocatorError* error)
{
    return Reader(text, error).Read();
}

std::string BuiltInText(const MessageDef& text)
{
    return text.DefaultText;
}

std::span<const MessageDef> LocatorTexts()
{
    return AllTexts;
}

std::string LocatorErrorText(std::string_view text, const LocatorError& error, const TextLookup& lookup)
{
    return FormatMessageText(lookup(NotLocator), text) + " (" + std::to_string(error.Position) +
           "): " + (error.MaskError.empty() ? lookup(error.Problem) : error.MaskError);
}

std::string ExactTextMask(std::string_view text)
{
    std::string mask;
    mask.reserve(text.size());
    for (const char c : text) {
        if (c == '*' || c == '?' || c == '[') {
            mask += '[';
            mask += c;
            mask += ']';
        } else {
            mask += c;
        }
    }
    return mask;
}

LocatorMatches FindByLocator(const Locator& locator, LocatorWindows& windows)
{
    LocatorMatches result;
    std::vector<uint64_t> current{0};
    for (size_t level = 0; level < locator.Steps.size() && !current.empty(); ++level) {
        const LocatorStep& step = locator.Steps[level];
        std::optional<TMask> mask;
        if (step.TextMask && !(mask = TMask::Create(*step.TextMask))) return result;
        std::vector<uint64_t> next;
        for (const uint64_t parent : current) {
            const std::vector<LocatorWindow>& list = level == 0 ? windows.TopLevels(locator.ImageName) : windows.Children(parent);
            int32_t position = 0;
            for (const LocatorWindow& w : list) {
                if (!SameClass(w.ClassName, step.ClassName)) continue;
                ++position;
                if (step.Position != 0 && position != step.Position) continue;
                if (step.ControlId && w.ControlId != *step.ControlId) continue;
                if (mask) {
                    const std::optional<std::string> text = windows.Text(w.Handle);
                    if (!text) {
                        ++result.NotAnswering;
                        continue;
                    }
                    if (!mask->Matches(*text)) continue;
                }
                next.push_back(w.Handle);
            }
        }
        current = std::move(next);
    }
    result.Windows = std::move(current);
    return result;
}

std::optional<Locator> MakeLocator(const std::string& image, const std::vector<uint64_t>& path, LocatorWindows& windows)
{
    if (path.empty()) return std::nullopt;
    Locator locator;
    locator.ImageName = image;
    for (size_t level = 0; level < path.size(); ++level) {
        const std::vector<LocatorWindow>& list = level == 0 ? windows.TopLevels(image) : windows.Children(path[level - 1]);
        std::optional<LocatorStep> step = ChooseStep(list, path[level], level == 0, windows);
        if (!step) return std::nullopt;
        locator.Steps.push_back(std::move(*step));
    }
    const uint64_t target = path.back();
    if (!FindsExactly(locator, target, windows)) return std::nullopt;
    // A qualifier that the rest of the path makes unnecessary goes: the shortest locator that still
    // finds exactly this window.
    for (LocatorStep& step : locator.Steps) {
        if (step.Position == 0 && !step.ControlId && !step.TextMask) continue;
        LocatorStep kept = step;
        step = LocatorStep{kept.ClassName};
        if (!FindsExactly(locator, target, windows)) step = std::move(kept);
    }
    return locator;
}

}  // namespace lvx
