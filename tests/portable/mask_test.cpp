// Native tests of the wildcard masks: compilation, errors, matching, and a comparison with a
// plain recursive matcher on many generated masks and texts.
#include "discovery/Mask.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace lvx;

namespace {

bool Match(std::string_view mask, std::string_view text)
{
    const std::optional<TMask> compiled = TMask::Create(mask);
    EXPECT_TRUE(compiled.has_value()) << mask;
    return compiled && compiled->Matches(text);
}

std::string ErrorOf(std::string_view mask)
{
    std::string error;
    EXPECT_FALSE(TMask::Create(mask, &error).has_value()) << mask;
    return error;
}

std::string StarRuns(int count)
{
    std::string mask;
    for (int i = 0; i < count; ++i) mask += "*a";
    return mask;
}

// Straightforward exponential matcher for masks without sets, after the rule that a "?"
// right after a star adds nothing.
std::string DropQuestionsAfterStars(std::string_view mask)
{
    std::string result;
    bool star = false;
    for (char c : mask) {
        if (c == '*') star = true;
        else if (c == '?' && star) continue;
        else star = false;
        result += c;
    }
    return result;
}

bool Reference(std::string_view mask, std::string_view text)
{
    if (mask.empty()) return text.empty();
    if (mask[0] == '*') {
        for (size_t skip = 0; skip <= text.size(); ++skip)
            if (Reference(mask.substr(1), text.substr(skip))) return true;
        return false;
    }
    if (text.empty()) return false;
    if (mask[0] != '?' && LatinUpper(mask[0]) != LatinUpper(text[0])) return false;
    return Reference(mask.substr(1), text.substr(1));
}

}  // namespace

TEST(Mask, StarQuestionAndEmpty)
{
    EXPECT_TRUE(Match("*", ""));
    EXPECT_TRUE(Match("*", "anything at all"));
    EXPECT_TRUE(Match("", ""));
    EXPECT_FALSE(Match("", "a"));
    EXPECT_TRUE(Match("?", "a"));
    EXPECT_FALSE(Match("?", ""));
    EXPECT_FALSE(Match("?", "ab"));
    // A "?" after a star adds nothing; before a star it asks for one character.
    EXPECT_TRUE(Match("*?", ""));
    EXPECT_FALSE(Match("?*", ""));
    EXPECT_TRUE(Match("?*", "x"));
    EXPECT_TRUE(Match("a*?b", "ab"));
    EXPECT_TRUE(Match("a**b", "a-b"));
    // The whole text must match; a trailing star takes any rest.
    EXPECT_FALSE(Match("abc", "abcd"));
    EXPECT_TRUE(Match("abc*", "abcd"));
    EXPECT_TRUE(Match("<*>", "<Окно не ответило на запрос>"));
}

TEST(Mask, CaseIsIgnoredForLatinLettersOnly)
{
    EXPECT_TRUE(Match("NOTEPAD", "Notepad"));
    EXPECT_TRUE(Match("notepad", "NOTEPAD"));
    // Cyrillic letters keep their case (Windows-1251: "блокнот" against "Блокнот").
    EXPECT_FALSE(Match("\xE1\xEB\xEE\xEA\xED\xEE\xF2", "\xC1\xEB\xEE\xEA\xED\xEE\xF2"));
    EXPECT_TRUE(Match("\xC1*", "\xC1\xEB\xEE\xEA\xED\xEE\xF2"));
}

TEST(Mask, CharacterSets)
{
    EXPECT_TRUE(Match("[a-c]x", "Bx"));
    EXPECT_FALSE(Match("[a-c]x", "dx"));
    EXPECT_FALSE(Match("[!a-c]x", "bx"));
    EXPECT_TRUE(Match("[!a-c]x", "dx"));
    // A reversed range adds nothing: [c-a] holds only C.
    EXPECT_TRUE(Match("[c-a]", "c"));
    EXPECT_FALSE(Match("[c-a]", "b"));
    EXPECT_FALSE(Match("[c-a]", "a"));
    // The low end stays for a further "-"; the high end may be anything, "]" included.
    EXPECT_TRUE(Match("[a-c-e]", "d"));
    EXPECT_TRUE(Match("[a-]]", "\\"));
    EXPECT_TRUE(Match("[xyz]", "Y"));
    EXPECT_TRUE(Match("]", "]"));
    EXPECT_TRUE(Match("*[0-9]", "Version7"));
    EXPECT_FALSE(Match("*[0-9]", "Edit"));
    // A set never matches the end of the text.
    EXPECT_FALSE(Match("a[!b]", "a"));
}

TEST(Mask, InvalidMasksNameThePosition)
{
    EXPECT_EQ(ErrorOf("[abc"), "'[abc' is an invalid mask at (5)");
    EXPECT_EQ(ErrorOf("[]"), "'[]' is an invalid mask at (2)");
    EXPECT_EQ(ErrorOf("[!]"), "'[!]' is an invalid mask at (3)");
    EXPECT_EQ(ErrorOf("[-a]"), "'[-a]' is an invalid mask at (2)");
    EXPECT_EQ(ErrorOf("x[a-"), "'x[a-' is an invalid mask at (5)");
    EXPECT_TRUE(TMask::Create(StarRuns(30)).has_value());
    EXPECT_TRUE(TMask::Create(StarRuns(29) + "*").has_value());
    // The 31st run, a trailing one included, is one too many; the error names its first star.
    EXPECT_EQ(ErrorOf(StarRuns(31)), "'" + StarRuns(31) + "' is an invalid mask at (61)");
    EXPECT_FALSE(TMask::Create(StarRuns(30) + "*").has_value());
    // Stars in a row and a "?" after them count as one run.
    EXPECT_TRUE(TMask::Create(StarRuns(29) + "**?*").has_value());
}

TEST(Mask, AgreesWithAPlainMatcherOnGeneratedCases)
{
    std::mt19937 random(20261208);
    const std::string maskAlphabet = "ab*?A";
    const std::string textAlphabet = "abAB";
    for (int round = 0; round < 20000; ++round) {
        std::string mask, text;
        for (int i = static_cast<int>(random() % 9); i > 0; --i) mask += maskAlphabet[random() % maskAlphabet.size()];
        for (int i = static_cast<int>(random() % 10); i > 0; --i) text += textAlphabet[random() % textAlphabet.size()];
        ASSERT_EQ(Match(mask, text), Reference(DropQuestionsAfterStars(mask), text))
            << "mask \"" << mask << "\" text \"" << text << '"';
    }
}

TEST(Mask, PathologicalMasksStayFast)
{
    // Backtracking over every star would take forever here; the match must be near-linear.
    std::string mask;
    for (int i = 0; i < 30; ++i) mask += "*a";
    mask += "b";
    const std::string text(100000, 'a');
    EXPECT_FALSE(Match(mask, text));
    EXPECT_TRUE(Match(mask, text + "b"));
}
