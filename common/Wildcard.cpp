// Wildcard patterns of both programs, compiled once and matched in one pass over the text.
#include "Wildcard.h"

namespace lvc {

const FoldTable& LatinFold() noexcept
{
    static constexpr FoldTable table = [] {
        FoldTable folded{};
        for (unsigned b = 0; b < 256; ++b)
            folded[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
        return folded;
    }();
    return table;
}

namespace {

bool Takes(const WildcardState& state, unsigned char byte, const FoldTable& fold)
{
    switch (state.Type) {
    case WildcardState::Kind::Literal: return fold[byte] == state.Literal;
    case WildcardState::Kind::AnyChar: return true;
    case WildcardState::Kind::Set: return state.Set.test(fold[byte]) != state.Negated;
    case WildcardState::Kind::OneOrNoneAtDot: return byte != '.';
    case WildcardState::Kind::End: return false;
    }
    return false;
}

}  // namespace

Wildcard::Wildcard(const std::vector<WildcardState>& states, const FoldTable& fold)
    : states_(states.size()), words_((states.size() + 63) / 64)
{
    accepts_.assign(256 * words_, 0);
    loops_.assign(words_, 0);
    optional_.assign(words_, 0);
    for (size_t i = 0; i < states_; ++i) {
        const Word bit = Word{1} << (i % 64);
        const WildcardState& state = states[i];
        if (state.AfterStar) loops_[i / 64] |= bit;
        if (state.Type == WildcardState::Kind::OneOrNoneAtDot) {
            optional_[i / 64] |= bit;
            anyOptional_ = true;
        }
        for (unsigned b = 0; b < 256; ++b)
            if (Takes(state, static_cast<unsigned char>(b), fold)) accepts_[b * words_ + i / 64] |= bit;
    }
}

// Lets every live optional state pass on to the next one without taking a character; a chain of
// them passes on in the same call, since each word is carried in order.
void Wildcard::Close(std::vector<Word>& live, bool atDotOrEnd) const
{
    if (!anyOptional_ || !atDotOrEnd) return;
    for (;;) {
        bool changed = false;
        Word carry = 0;
        for (size_t w = 0; w < words_; ++w) {
            const Word passing = live[w] & optional_[w];
            const Word added = (passing << 1) | carry;
            carry = passing >> 63;
            if ((live[w] | added) != live[w]) {
                live[w] |= added;
                changed = true;
            }
        }
        if (!changed) return;
    }
}

bool Wildcard::Matches(std::string_view text) const
{
    if (states_ == 0) return false;
    if (words_ == 1) return MatchesInOneWord(text);
    std::vector<Word> live(words_, 0), next(words_, 0);
    live[0] = 1;
    Close(live, text.empty() || text[0] == '.');
    for (size_t at = 0; at < text.size(); ++at) {
        const Word* accepts = &accepts_[static_cast<unsigned char>(text[at]) * words_];
        Word carry = 0;
        Word any = 0;
        for (size_t w = 0; w < words_; ++w) {
            const Word taken = live[w] & accepts[w];
            next[w] = (live[w] & loops_[w]) | (taken << 1) | carry;
            carry = taken >> 63;
            any |= next[w];
        }
        if (any == 0) return false;
        live.swap(next);
        Close(live, at + 1 == text.size() || text[at + 1] == '.');
    }
    const size_t end = states_ - 1;
    return (live[end / 64] >> (end % 64)) & 1;
}

// The usual pattern of fewer than 64 states: the live states in one register, nothing allocated.
bool Wildcard::MatchesInOneWord(std::string_view text) const
{
    const Word loops = loops_[0];
    const Word optional = anyOptional_ ? optional_[0] : 0;
    const auto close = [&](Word live, bool atDotOrEnd) {
        if (optional == 0 || !atDotOrEnd) return live;
        for (Word passed = (live & optional) << 1; (live | passed) != live; passed = (live & optional) << 1)
            live |= passed;
        return live;
    };
    Word live = close(1, text.empty() || text[0] == '.');
    for (size_t at = 0; at < text.size(); ++at) {
        live = (live & loops) | ((live & accepts_[static_cast<unsigned char>(text[at])]) << 1);
        if (live == 0) return false;
        live = close(live, at + 1 == text.size() || text[at + 1] == '.');
    }
    return (live >> (states_ - 1)) & 1;
}

}  // namespace lvc
