// Native tests of locators: the syntax both ways, and the choice and the matching over a desktop
// held in memory, which counts how often each window is read.
#include "core/CommandLine.h"
#include "language/LanguageKeys.h"
#include "discovery/Locator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

using namespace lvx;

namespace {

struct FakeWindow {
    uint64_t parent = 0;
    std::string image;  // top-level windows only
    std::string className;
    int64_t id = 0;
    std::string text;
    bool hung = false;
};

bool SameImage(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return std::toupper(x) == std::toupper(y); });
}

// Windows in creation order, which is the system's order here.
class FakeDesktop : public LocatorWindows {
public:
    uint64_t Add(uint64_t parent, std::string className, int64_t id = 0, std::string text = {}, std::string image = {})
    {
        windows_[++last_] = FakeWindow{parent, std::move(image), std::move(className), id, std::move(text)};
        return last_;
    }
    void Remove(uint64_t handle) { windows_.erase(handle); }
    FakeWindow& operator[](uint64_t handle) { return windows_.at(handle); }

    const std::vector<LocatorWindow>& TopLevels(const std::string& image) override
    {
        return List(0, image);
    }
    const std::vector<LocatorWindow>& Children(uint64_t parent) override { return List(parent, {}); }
    std::optional<std::string> Text(uint64_t window) override
    {
        ++textReads;
        const FakeWindow& w = windows_.at(window);
        if (w.hung) return std::nullopt;
        return w.text;
    }

    int listReads = 0;
    int textReads = 0;

private:
    const std::vector<LocatorWindow>& List(uint64_t parent, const std::string& image)
    {
        ++listReads;
        std::vector<LocatorWindow>& list = lists_.emplace_back();
        for (const auto& [handle, w] : windows_)
            if (w.parent == parent && (parent != 0 || SameImage(w.image, image))) list.push_back({handle, w.className, w.id});
        return list;
    }

    std::map<uint64_t, FakeWindow> windows_;
    std::vector<std::vector<LocatorWindow>> lists_;  // kept alive for the references handed out
    uint64_t last_ = 0;
};

std::string LocatorText(FakeDesktop& desktop, const std::string& image, const std::vector<uint64_t>& path)
{
    const std::optional<Locator> locator = MakeLocator(image, path, desktop);
    return locator ? FormatLocator(*locator) : "(none)";
}

std::vector<uint64_t> Find(FakeDesktop& desktop, const std::string& text)
{
    const std::optional<Locator> locator = ParseLocator(text);
    EXPECT_TRUE(locator) << text;
    return locator ? FindByLocator(*locator, desktop).Windows : std::vector<uint64_t>{};
}

TEST(Locator, TheSyntaxQuotesWhatItUsesAndReadsBackWhatItWrote)
{
    Locator locator{"my app.exe",
                    {{"#32770", std::nullopt, 0, "Параметры [*]"},
                     {"Button", -1, 2, std::nullopt},
                     {"a/b[c],d=e\"f\\g", 65535, 0, "line\r\n\ttab \x01\x7f"},
                     {"", std::nullopt, 0, std::nullopt}}};
    const std::string text = FormatLocator(locator);
    EXPECT_EQ(text, "\"my app.exe\"/#32770[text=\"Параметры [*]\"]/Button[2,id=-1]"
                    "/\"a/b[c],d=e\\\"f\\\\g\"[id=65535,text=\"line\\r\\n\\ttab \\x01\\x7F\"]/\"\"");
    EXPECT_EQ(ParseLocator(text), locator);

    // Blanks around the punctuation and qualifiers in any order read the same.
    EXPECT_FALSE(ParseLocator("app.exe/Edit[id=0x10]"));
    EXPECT_EQ(FormatLocator(*ParseLocator(" app.exe / Main [ text = \"A*\" , 3 ] / Edit [ id = 16 ] ")),
              "app.exe/Main[3,text=\"A*\"]/Edit[id=16]");

    for (const auto& [bad, at] : std::vector<std::pair<std::string, std::string>>{
             {"", "(1)"},
             {"notepad.exe", "(12)"},                  // no step
             {"notepad.exe/", "(13)"},                 // no class
             {"a.exe/Edit[0]", "(12)"},                // positions count from 1
             {"a.exe/Edit[2,3]", "(14)"},              // twice
             {"a.exe/Edit[id=1,id=2]", "(17)"},
             {"a.exe/Edit[text=\"[\"]", "(17)"},       // the text is an invalid mask
             {"a.exe/Edit[text=\"abc]", "(22)"},       // no closing quote
             {"a.exe/Edit[text=\"\\q\"]", "(18)"},     // unknown escape
             {"a.exe/Edit[id=99999999999999999999]", "(15)"},
             {"a.exe/Ed it", "(10)"},
             {"Привет/Edit", "(1)"},                   // Cyrillic only in quotes
         }) {
        LocatorError error;
        EXPECT_FALSE(ParseLocator(bad, &error)) << bad;
        const std::string message = LocatorErrorText(bad, error, BuiltInText);
        EXPECT_NE(message.find(at), std::string::npos) << bad << " -> " << message;
    }
}

TEST(Locator, TheShortestLocatorFindsTheWindowAgainAndSaysWhenItIsAmbiguousOrGone)
{
    FakeDesktop desktop;
    const uint64_t other = desktop.Add(0, "Main", 0, "Other program", "other.exe");
    const uint64_t main = desktop.Add(0, "Main", 0, "Target — one", "target.exe");
    const uint64_t second = desktop.Add(0, "Main", 0, "Target — two", "target.exe");
    const uint64_t tool = desktop.Add(0, "Tool", 0, "", "target.exe");
    const uint64_t panel = desktop.Add(main, "Panel");
    const uint64_t okButton = desktop.Add(panel, "Button", 1, "OK");
    const uint64_t cancel = desktop.Add(panel, "Button", 2, "Cancel");
    const uint64_t label1 = desktop.Add(panel, "Static", -1, "Name:");
    const uint64_t label2 = desktop.Add(panel, "Static", -1, "Path:");
    const uint64_t same1 = desktop.Add(panel, "Edit", 7, "x");
    const uint64_t same2 = desktop.Add(panel, "Edit", 7, "x");
    const uint64_t secondPanel = desktop.Add(second, "Panel");
    (void)other;

    // Class alone where it is unique, the caption only among top-level windows of one class, then
    // a unique id, a unique text, the position; a qualifier the rest of the path makes needless goes.
    EXPECT_EQ(LocatorText(desktop, "target.exe", {tool}), "target.exe/Tool");
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main}), "target.exe/Main[text=\"Target — one\"]");
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main, panel, okButton}), "target.exe/Main/Panel/Button[id=1]");
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main, panel, label2}), "target.exe/Main/Panel/Static[text=\"Path:\"]");
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main, panel, same2}), "target.exe/Main/Panel/Edit[2]");

    // Each made locator finds exactly its window.
    for (const uint64_t window : {okButton, cancel, label1, label2, same1, same2}) {
        const std::string text = LocatorText(desktop, "target.exe", {main, panel, window});
        EXPECT_EQ(Find(desktop, text), std::vector<uint64_t>{window}) << text;
    }
    // A new run of the program: new handles, the same locator finds the same control.
    const std::string cancelLocator = LocatorText(desktop, "target.exe", {main, panel, cancel});
    desktop.Remove(cancel);
    EXPECT_TRUE(Find(desktop, cancelLocator).empty());
    const uint64_t newCancel = desktop.Add(panel, "Button", 2, "Cancel");
    EXPECT_EQ(Find(desktop, cancelLocator), std::vector<uint64_t>{newCancel});

    // Ambiguous: every match, in order; a mask; class names without regard to case.
    EXPECT_EQ(Find(desktop, "target.exe/Main"), (std::vector<uint64_t>{main, second}));
    EXPECT_EQ(Find(desktop, "TARGET.EXE/main[text=\"target*\"]/panel"), (std::vector<uint64_t>{panel, secondPanel}));
    EXPECT_EQ(Find(desktop, "target.exe/Main/Panel/Edit[id=7]"), (std::vector<uint64_t>{same1, same2}));
    EXPECT_TRUE(Find(desktop, "nothing.exe/Main").empty());

    // A window that does not answer is skipped and counted, and gets no locator that needs its text.
    desktop[label1].hung = true;
    const LocatorMatches matches = FindByLocator(*ParseLocator("target.exe/Main/Panel/Static[text=\"*\"]"), desktop);
    EXPECT_EQ(matches.Windows, std::vector<uint64_t>{label2});
    EXPECT_EQ(matches.NotAnswering, 1);
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main, panel, label2}), "target.exe/Main/Panel/Static[2]");
    // Gone, or not under the parent given.
    EXPECT_EQ(LocatorText(desktop, "target.exe", {main, panel, cancel}), "(none)");
    EXPECT_EQ(LocatorText(desktop, "target.exe", {second, okButton}), "(none)");
}

TEST(Locator, FindingReadsOnlyThePathAndItsSiblings)
{
    // Five levels down among many windows: one list for each level, texts only where a step has one.
    FakeDesktop desktop;
    uint64_t parent = desktop.Add(0, "Main", 0, "", "app.exe");
    for (int i = 0; i < 50; ++i) desktop.Add(0, "Main", 0, "other", "else.exe");
    std::vector<uint64_t> path{parent};
    for (int level = 0; level < 5; ++level) {
        uint64_t next = 0;
        for (int i = 0; i < 40; ++i) {
            const uint64_t child = desktop.Add(parent, "Child", i, "text " + std::to_string(i));
            if (i == 17) next = child;
        }
        path.push_back(parent = next);
    }
    const std::optional<Locator> locator = ParseLocator("app.exe/Main/Child[id=17]/Child[id=17]/Child[id=17]/Child[id=17]/Child[text=\"text 17\"]");
    ASSERT_TRUE(locator);
    desktop.listReads = desktop.textReads = 0;
    EXPECT_EQ(FindByLocator(*locator, desktop).Windows, std::vector<uint64_t>{path.back()});
    EXPECT_EQ(desktop.listReads, 6);
    EXPECT_EQ(desktop.textReads, 40);
}

}  // namespace

namespace {

std::optional<CommandLine> Parse(std::vector<std::string> arguments, std::string* errorOut = nullptr)
{
    std::string error;
    std::optional<CommandLine> line = ParseCommandLine(arguments, error);
    EXPECT_EQ(line.has_value(), error.empty()) << error;
    if (errorOut) *errorOut = error;
    return line;
}

TEST(CommandLine, EachJobTakesItsTargetAndEveryMistakeIsNamed)
{
    auto line = Parse({"--dump", "0001A2B4", "--text", "--out", "C:\\out.txt"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Job, CommandJob::Dump);
    EXPECT_EQ(line->Target.Type, CommandTarget::Kind::Handle);
    EXPECT_EQ(line->Target.Handle, 0x1A2B4u);
    EXPECT_TRUE(line->AsText);
    EXPECT_EQ(line->OutFile, "C:\\out.txt");

    line = Parse({"--dump", "0xFFFFFFFF00001234"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Target.Handle, 0xFFFFFFFF00001234u);
    line = Parse({"--tree"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Target.Type, CommandTarget::Kind::Desktop);
    line = Parse({"--tree", "--at", "-5,20", "--text"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Target.Type, CommandTarget::Kind::Point);
    EXPECT_EQ(line->Target.X, -5);
    EXPECT_EQ(line->Target.Y, 20);
    line = Parse({"--tree", "app.exe/Main", "--out", "t.json"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Target.Type, CommandTarget::Kind::Locator);
    line = Parse({"--dump", "--foreground"});
    ASSERT_TRUE(line);
    EXPECT_EQ(line->Target.Type, CommandTarget::Kind::Foreground);
    // --find: a locator where the text is one, else masks.
    line = Parse({"--find", "app.exe/Main/Edit[2]"});
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->FindByLocator);
    line = Parse({"--find", "1/2*", "--class", "Static"});
    ASSERT_TRUE(line);
    EXPECT_FALSE(line->FindByLocator);
    EXPECT_EQ(line->TextMask, "1/2*");
    EXPECT_EQ(line->ClassMask, "Static");

    for (const auto& [arguments, says] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "--dump, --tree или --find"},
             {{"--dump"}, "не указано окно"},
             {{"--dump", "Notepad"}, "«Notepad»"},
             {{"--dump", "a.exe/Edit["}, "не локатор"},
             {{"--tree", "--at", "12"}, "X,Y"},
             {{"--find", "[a"}, "invalid mask"},
             {{"--find", "a.exe/[a"}, "не локатор"},
             {{"--dump", "1", "--tree"}, "только одно"},
             {{"--dump", "1", "--out"}, "--out"},
             {{"--dump", "1", "--class", "x"}, "--class"},
             {{"--dump", "1", "--frobnicate"}, "«--frobnicate»"},
         }) {
        std::string error;
        EXPECT_FALSE(Parse(arguments, &error));
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    EXPECT_NE(CommandLineUsage().find("--foreground"), std::string::npos);
}

}  // namespace

TEST(CommandLine, EveryTextHasItsKeyInTheLanguageSection)
{
    const auto keys = LanguageKeysOf("CommandLine");
    std::vector<MessageDef> texts(CommandLineTexts().begin(), CommandLineTexts().end());
    texts.insert(texts.end(), LocatorTexts().begin(), LocatorTexts().end());
    EXPECT_EQ(texts.size(), keys.size());
    for (const MessageDef& text : texts)
        EXPECT_NE(std::find_if(keys.begin(), keys.end(), [&](const char* key) { return std::string_view(key) == text.Key; }),
                  keys.end()) << text.Key;
}
