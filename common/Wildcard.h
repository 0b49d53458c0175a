// Wildcard patterns of both programs, compiled once and matched in one pass over the text.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lvc {

// How bytes compare: each byte stands for fold[byte] on both sides.
using FoldTable = std::array<unsigned char, 256>;

// Latin a-z as A-Z; every other byte, Cyrillic letters included, as itself.
[[nodiscard]] const FoldTable& LatinFold() noexcept;

// One step of a pattern. `AfterStar`: a "*" stands before it, which may take any run of characters.
struct WildcardState {
    enum class Kind : uint8_t {
        Literal,        // the byte `Literal` (already folded)
        AnyChar,        // exactly one character
        Set,            // one character whose folded byte is in `Set` (or not in it, when `Negated`)
        OneOrNoneAtDot, // one character other than "."; nothing where the name is at a "." or its end
        End,            // the end of the text: always the last state
    };
    Kind Type = Kind::Literal;
    bool AfterStar = false;
    bool Negated = false;
    unsigned char Literal = 0;
    std::bitset<256> Set;
};

// A compiled pattern: the states, run as a set of live states over the text, so matching costs at
// most text length × states / 64 word steps whatever the pattern; no backtracking.
class Wildcard {
public:
    Wildcard() : Wildcard({WildcardState{WildcardState::Kind::End}}, LatinFold()) {}
    // `states` must end with the End state; the literals in it are already folded.
    Wildcard(const std::vector<WildcardState>& states, const FoldTable& fold);

    [[nodiscard]] bool Matches(std::string_view text) const;

private:
    using Word = uint64_t;
    void Close(std::vector<Word>& live, bool atDotOrEnd) const;
    [[nodiscard]] bool MatchesInOneWord(std::string_view text) const;

    size_t states_ = 0;
    size_t words_ = 0;
    std::vector<Word> accepts_;   // 256 rows of words_: the states that take that byte
    std::vector<Word> loops_;     // states with a star in front: they keep themselves live
    std::vector<Word> optional_;  // OneOrNoneAtDot states
    bool anyOptional_ = false;
};

}  // namespace lvc
