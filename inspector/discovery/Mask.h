// Wildcard masks on window texts and class names: "*", "?" and character sets in brackets.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "common/Wildcard.h"

namespace lvx {

// Upper-cases the Latin letters a-z only; every other byte, Cyrillic letters included, stays.
[[nodiscard]] constexpr char LatinUpper(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A compiled mask. The whole text must match; Latin letters match without regard to case.
//   *       any run of characters, the empty one included
//   ?       exactly one character
//   [abc]   one of the listed characters; "a-c" is a range; "[!...]" negates the set
// There is no escape character; "]" outside a set is an ordinary character.
class TMask {
public:
    // At most this many states may follow a run of stars.
    static constexpr int MaxStarRuns = 30;

    // Compiles `mask`; an invalid one answers nothing and, with `error`, the message
    // "'<mask>' is an invalid mask at (<1-based position>)".
    [[nodiscard]] static std::optional<TMask> Create(std::string_view mask, std::string* error = nullptr);

    [[nodiscard]] bool Matches(std::string_view text) const;

private:
    explicit TMask(lvc::Wildcard pattern) : pattern_(std::move(pattern)) {}

    lvc::Wildcard pattern_;
};

// A mask that carries a picture number: the class-icon masks.
class TMyMask : public TMask {
public:
    TMyMask(TMask mask, int32_t imageIndex) : TMask(std::move(mask)), ImageIndex(imageIndex) {}
    int32_t ImageIndex;
};

}  // namespace lvx
