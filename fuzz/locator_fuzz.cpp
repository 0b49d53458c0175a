// Fuzz target: the locator reader on arbitrary bytes (what it reads is written and read back the same),
// and the command line reader on the same bytes split into arguments.
#include "core/CommandLine.h"
#include "discovery/Locator.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The same bytes as a command line: arguments split at NUL bytes.
    std::vector<std::string> arguments;
    for (size_t start = 0; start <= size;) {
        const size_t end = std::min(input.find('\0', start), size);
        arguments.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    std::string lineError;
    if (!lvx::ParseCommandLine(arguments, lineError) && lineError.empty()) __builtin_trap();

    lvx::LocatorError error;
    const std::optional<lvx::Locator> locator = lvx::ParseLocator(input, &error);
    if (!locator) {
        if (error.Position == 0 || error.Position > input.size() + 1 || lvx::LocatorErrorText(input, error, lvx::BuiltInText).empty()) __builtin_trap();
        return 0;
    }
    const std::string text = lvx::FormatLocator(*locator);
    const std::optional<lvx::Locator> again = lvx::ParseLocator(text);
    if (!again || !(*again == *locator) || lvx::FormatLocator(*again) != text) __builtin_trap();
    // An exact text mask is a valid mask and reads back inside a locator.
    for (const lvx::LocatorStep& step : locator->Steps) {
        lvx::Locator exact{"a.exe", {{step.ClassName, std::nullopt, 0, lvx::ExactTextMask(step.ClassName)}}};
        if (!(lvx::ParseLocator(lvx::FormatLocator(exact)) == exact)) __builtin_trap();
    }
    return 0;
}
