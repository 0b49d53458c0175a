// Wildcard masks on window texts and class names: "*", "?" and character sets in brackets.
#include "Mask.h"

#include <utility>

namespace lvx {

namespace {

std::string InvalidMaskMessage(std::string_view mask, size_t position)
{
    return "'" + std::string(mask) + "' is an invalid mask at (" + std::to_string(position) + ")";
}

unsigned char Byte(char c) noexcept
{
    return static_cast<unsigned char>(c);
}

}  // namespace

std::optional<TMask> TMask::Create(std::string_view mask, std::string* error)
{
    TMask result;
    bool star = false;
    int starRuns = 0;
    size_t starAt = 0;  // where the current run of stars began, for the error position

    const auto fail = [&](size_t position) -> std::optional<TMask> {
        if (error) *error = InvalidMaskMessage(mask, position);
        return std::nullopt;
    };
    // Adds a state; false when it is one star run too many.
    const auto add = [&](State state) {
        state.afterStar = star;
        if (star && ++starRuns > MaxStarRuns) return false;
        star = false;
        result.states_.push_back(std::move(state));
        return true;
    };

    size_t i = 0;
    while (i < mask.size()) {
        const char c = mask[i];
        if (c == '*') {
            if (!star) starAt = i;
            star = true;
            ++i;
        } else if (c == '?') {
            // After a star a "?" adds nothing: the star already covers the character.
            if (!star && !add(State{Kind::AnyChar})) return fail(starAt + 1);
            ++i;
        } else if (c == '[') {
            State set{Kind::Set};
            ++i;
            if (i < mask.size() && mask[i] == '!') {
                set.negated = true;
                ++i;
            }
            bool closed = false;
            std::optional<unsigned char> low;  // the last listed character: a range's low end
            while (i < mask.size()) {
                const char m = mask[i];
                if (m == ']') {
                    closed = true;
                    break;
                }
                if (m == '-') {
                    if (!low) return fail(i + 1);
                    if (i + 1 >= mask.size()) break;  // no high end, so no closing bracket either
                    const unsigned char high = Byte(LatinUpper(mask[i + 1]));
                    for (unsigned v = *low; v <= high; ++v) set.set.set(v);
                    i += 2;
                    continue;
                }
                low = Byte(LatinUpper(m));
                set.set.set(*low);
                ++i;
            }
            if (!closed) return fail(mask.size() + 1);
            if (set.set.none()) return fail(i + 1);
            ++i;  // the "]"
            if (!add(std::move(set))) return fail(starAt + 1);
        } else {
            State literal{Kind::Literal};
            literal.literal = LatinUpper(c);
            if (!add(std::move(literal))) return fail(starAt + 1);
            ++i;
        }
    }
    if (!add(State{Kind::End})) return fail(starAt + 1);
    return result;
}

bool TMask::Accepts(const State& state, std::string_view text, size_t at)
{
    if (state.kind == Kind::End) return at == text.size();
    if (at >= text.size()) return false;
    const char c = LatinUpper(text[at]);
    switch (state.kind) {
    case Kind::Literal:
        return c == state.literal;
    case Kind::Set:
        return state.set.test(Byte(c)) != state.negated;
    case Kind::AnyChar:
    case Kind::End:
        break;
    }
    return true;
}

// Every state but the last takes exactly one character, so when a state fails it is enough
// to go back to the latest star and let it take one character more: an earlier star could
// only shift the same fixed-length pieces, which the latest star's retries already cover.
// That keeps matching linear in practice, and at worst mask × text, whatever the mask.
bool TMask::Matches(std::string_view text) const
{
    size_t state = 0;
    size_t at = 0;
    std::optional<size_t> retryState;  // the latest state after a star
    size_t retryAt = 0;                // where its next attempt starts

    while (state < states_.size()) {
        const State& current = states_[state];
        if (current.afterStar && retryState != state) {
            // Entering a star state: skip to the first character it accepts.
            while (at < text.size() && !Accepts(current, text, at)) ++at;
            retryState = state;
            retryAt = at + 1;
        }
        if (Accepts(current, text, at)) {
            if (current.kind == Kind::End) return true;
            ++state;
            ++at;
            continue;
        }
        if (!retryState || retryAt > text.size()) return false;
        // Let the latest star take one more character and try its state again from there.
        state = *retryState;
        at = retryAt;
        const State& starred = states_[state];
        while (at < text.size() && !Accepts(starred, text, at)) ++at;
        retryAt = at + 1;
    }
    return false;
}

}  // namespace lvx
