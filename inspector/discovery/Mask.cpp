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
    using Kind = lvc::WildcardState::Kind;
    std::vector<lvc::WildcardState> states;
    bool star = false;
    int starRuns = 0;
    size_t starAt = 0;  // where the current run of stars began, for the error position

    const auto fail = [&](size_t position) -> std::optional<TMask> {
        if (error) *error = InvalidMaskMessage(mask, position);
        return std::nullopt;
    };
    // Adds a state; false when it is one star run too many.
    const auto add = [&](lvc::WildcardState state) {
        state.AfterStar = star;
        if (star && ++starRuns > MaxStarRuns) return false;
        star = false;
        states.push_back(std::move(state));
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
            if (!star && !add(lvc::WildcardState{Kind::AnyChar})) return fail(starAt + 1);
            ++i;
        } else if (c == '[') {
            lvc::WildcardState set{Kind::Set};
            ++i;
            if (i < mask.size() && mask[i] == '!') {
                set.Negated = true;
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
                    for (unsigned v = *low; v <= high; ++v) set.Set.set(v);
                    i += 2;
                    continue;
                }
                low = Byte(LatinUpper(m));
                set.Set.set(*low);
                ++i;
            }
            if (!closed) return fail(mask.size() + 1);
            if (set.Set.none()) return fail(i + 1);
            ++i;  // the "]"
            if (!add(std::move(set))) return fail(starAt + 1);
        } else {
            lvc::WildcardState literal{Kind::Literal};
            literal.Literal = Byte(LatinUpper(c));
            if (!add(std::move(literal))) return fail(starAt + 1);
            ++i;
        }
    }
    if (!add(lvc::WildcardState{Kind::End})) return fail(starAt + 1);
    return TMask(lvc::Wildcard(states, lvc::LatinFold()));
}

bool TMask::Matches(std::string_view text) const
{
    return pattern_.Matches(text);
}

}  // namespace lvx
