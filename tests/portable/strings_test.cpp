// Native tests of the string helpers: the standard integer conversion, splitting and formatting,
// the details window's style names and copied text, and where tool windows open.
#include "core/UNI_Strings.h"
#include "details/DetailsText.h"
#include "details/StyleNames.h"
#include "tools/ToolPlacement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace lvx;

TEST(StrToInt, AcceptsDecimalWithBlanksAndSign)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("  42"), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-15"), -15);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, AcceptsEveryHexPrefixInEitherCase)
{
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("X1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("0XaB"), 0xAB);
    EXPECT_EQ(StrToInt(" -$10"), -16);
    // All 32 bits may be used; the value wraps into the signed range.
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("0x80000000"), INT32_MIN);
}

TEST(StrToInt, RejectsWhatIsNotANumber)
{
    for (const char* text : {"", " ", "-", "+", "$", "x", "0x", "12a", "12 ", "1 2", "+-1", "\t5", "- 5", "$G",
                             "0x1G", "1.5", "2147483648", "-2147483649", "$100000000", "99999999999999999999"})
        EXPECT_FALSE(StrToInt(text).has_value()) << '"' << text << '"';
    // A NUL inside the text is not the end of it.
    EXPECT_FALSE(StrToInt(std::string_view("12\0" "3", 4)).has_value());
}

TEST(SplitLines, TakesEveryLineEndAndKeepsEmptyLines)
{
    const auto lines = SplitLines("a\r\nb\nc\rd\r\n\r\ne");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "e");
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("one\r\n").size(), 1u);
    EXPECT_EQ(SplitLines("\r\r\n").size(), 2u);  // CR, then CR LF: two empty lines
    EXPECT_EQ(SplitLines("no end").front(), "no end");
}

TEST(ReplaceControlChars, ReplacesOnlyCodesBelow32)
{
    const std::string text("a\tb\nc\x1f" "d\x7f\xc0 \0e", 12);
    EXPECT_EQ(ReplaceControlChars(text, "?"), std::string("a?b?c?d\x7f\xc0 ?e"));
    EXPECT_EQ(ReplaceControlChars("\r\n", "<>"), "<><>");
    EXPECT_EQ(ReplaceControlChars("x\n", ""), "x");
    EXPECT_EQ(ReplaceControlChars("", "?"), "");
}

TEST(UpperCaseAscii, LeavesOtherBytesAlone)
{
    EXPECT_EQ(UpperCaseAscii("wm_Paint_1"), "WM_PAINT_1");
    EXPECT_EQ(UpperCaseAscii("\xe0\xff"), "\xe0\xff");  // Cyrillic letters in CP1251 keep their case
}

TEST(Formatting, HandlesIdsAndGeometry)
{
    EXPECT_EQ(FormatHandle(0), "00000000");
    EXPECT_EQ(FormatHandle(0x1a2b), "00001A2B");
    EXPECT_EQ(FormatHandle(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(FormatHex(0x7FF612340000ull, 8), "7FF612340000");
    EXPECT_EQ(FormatHex(0xFFFFFFFFFFFFFFFFull, 8), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(FormatHex(0x400000, 8), "00400000");
    EXPECT_EQ(FormatHex(0, 1), "0");
    EXPECT_EQ(FormatPoint(-8, 1200), "(-8,1200)");
    EXPECT_EQ(FormatSize(420, 0), "420x0");
    EXPECT_EQ(FormatPoint(INT32_MIN, INT32_MAX), "(-2147483648,2147483647)");
}

TEST(ParseNumberNotation, EveryHexPrefixAndPlainDecimal)
{
    for (const char* text : {"0x10", "$10", "&h10", "&H10", "#10", "16", " 16 ", "0X10", "x10", "+16"})
        EXPECT_EQ(ParseNumberNotation(text), 16u) << text;
    EXPECT_EQ(ParseNumberNotation("#0"), 0u);
    EXPECT_EQ(ParseNumberNotation("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumberNotation("$ffffffff"), 0xFFFFFFFFu);
}

TEST(ParseNumberNotation, RejectsPrefixesWithoutDigitsAndStrayLetters)
{
    for (const char* text : {"#", "$", "0x", "&h", "$G", "#1G", "&h-1", "$-1", "", "  ", "WM_PAINT", "1O", "12 3"})
        EXPECT_FALSE(ParseNumberNotation(text).has_value()) << '"' << text << '"';
}

TEST(ParseNumberNotation, KeepsTheLowThirtyTwoBitsOfLongHexNumbers)
{
    EXPECT_EQ(ParseNumberNotation("$1FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumberNotation("0x123456789ABCDEF0"), 0x9ABCDEF0u);
    EXPECT_EQ(ParseNumberNotation("#10000000000000001"), 1u);  // past 64 bits the value wraps
    // The pointer-wide form keeps all 64 bits and takes 64-bit decimal numbers.
    EXPECT_EQ(ParseWideNumberNotation("0x123456789ABCDEF0"), 0x123456789ABCDEF0u);
    EXPECT_EQ(ParseWideNumberNotation("-1"), ~uint64_t{0});
    EXPECT_EQ(ParseWideNumberNotation("4294967296"), 0x100000000u);
    EXPECT_FALSE(ParseNumberNotation("4294967296").has_value());
    EXPECT_FALSE(ParseWideNumberNotation("&H").has_value());
}

TEST(FormatMessageText, FillsTheFirstPlaceholderOnly)
{
    EXPECT_EQ(FormatMessageText(" Cannot save %s.", "C:\\a%s.txt"), " Cannot save C:\\a%s.txt.");
    EXPECT_EQ(FormatMessageText("%s and %s", "x"), "x and %s");
    // Anything else that looks like a format stays as it is.
    EXPECT_EQ(FormatMessageText("100%% %d %n", "x"), "100%% %d %n");
}

TEST(StrToInt64, WidensTheSameSyntax)
{
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), 0xFFFFFFFFll);
    EXPECT_EQ(StrToInt64("0x7ff612340000"), 0x7FF612340000ll);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64(" 9223372036854775807"), INT64_MAX);
    for (const char* text : {"", "$", "9223372036854775808", "$10000000000000000", "18446744073709551616", "1O"})
        EXPECT_FALSE(StrToInt64(text).has_value()) << text;
}

TEST(ShortVersion, DropsTenCharactersAfterTheThird)
{
    EXPECT_EQ(ShortVersion("1.2.0.0"), "1.2");
    EXPECT_EQ(ShortVersion("1.2.3.4 (build)"), "1.2d)");
    EXPECT_EQ(ShortVersion("1234567890123"), "123");
    EXPECT_EQ(ShortVersion("12345678901234"), "1234");
    EXPECT_EQ(ShortVersion("1"), "1");
    EXPECT_EQ(ShortVersion(""), "");
}

namespace {

std::set<std::string> SetNames(const DecodedStyles& decoded, StyleTarget target)
{
    std::set<std::string> names;
    for (const StyleRow& row : decoded.Rows)
        if (row.Target == target && row.Set) names.insert(row.Name);
    return names;
}

}  // namespace

TEST(DecodeStyles, NamesFieldsAsOneValueAndKeepsTheRest)
{
    // A top-level window: WS_CAPTION is one value (not border plus dialog frame), the box bits take
    // their top-level names; 0x8000 of the extended style has no name.
    DecodedStyles top = DecodeStyles("LvxSomething", 0x16CF0000, 0x00008100, 0);
    EXPECT_EQ(SetNames(top, StyleTarget::Style),
              (std::set<std::string>{"WS_VISIBLE", "WS_CLIPSIBLINGS", "WS_CLIPCHILDREN", "WS_CAPTION", "WS_SYSMENU",
                                     "WS_THICKFRAME", "WS_MINIMIZEBOX", "WS_MAXIMIZEBOX"}));
    EXPECT_EQ(SetNames(top, StyleTarget::ExStyle), std::set<std::string>{"WS_EX_WINDOWEDGE"});
    EXPECT_EQ(top.StyleRemainder, 0u);
    EXPECT_EQ(top.ExStyleRemainder, 0x8000u);
    EXPECT_TRUE(std::none_of(top.Rows.begin(), top.Rows.end(), [](const StyleRow& row) {
        return std::string(row.Name) == "WS_TABSTOP" || std::string(row.Name).starts_with("BS_");
    }));

    // A child check box, class matched without case: the button type is one name, the child bits
    // take their child names, and the list-view extended style is not read for a button.
    DecodedStyles box = DecodeStyles("button", 0x50010003 | 0x0300, 0, 0xFFFFFFFF);
    EXPECT_EQ(SetNames(box, StyleTarget::Style),
              (std::set<std::string>{"WS_CHILD", "WS_VISIBLE", "WS_TABSTOP", "BS_AUTOCHECKBOX", "BS_CENTER"}));
    EXPECT_EQ(box.StyleRemainder, 0u);
    EXPECT_EQ(box.ListViewExRemainder, 0u);
    EXPECT_TRUE(SetNames(box, StyleTarget::ListViewExStyle).empty());

    // A report list view with an unnamed extended list-view bit; a toolbar has the bar styles too.
    DecodedStyles list = DecodeStyles("SysListView32", 0x50000001, 0, 0x00000021 | 0x04000000);
    EXPECT_TRUE(SetNames(list, StyleTarget::Style).count("LVS_REPORT"));
    EXPECT_EQ(SetNames(list, StyleTarget::ListViewExStyle),
              (std::set<std::string>{"LVS_EX_GRIDLINES", "LVS_EX_FULLROWSELECT"}));
    EXPECT_EQ(list.ListViewExRemainder, 0x04000000u);
    EXPECT_TRUE(SetNames(DecodeStyles("ToolbarWindow32", 0x50000903, 0, 0), StyleTarget::Style)
                    .contains("CCS_BOTTOM"));
    // A class without names of its own leaves its low word as the remainder.
    EXPECT_EQ(DecodeStyles("LvxOwnClass", 0x50000123, 0, 0).StyleRemainder, 0x123u);
}

TEST(DecodeStyles, ATickSetsOrClearsTheWholeField)
{
    const DecodedStyles edit = DecodeStyles("Edit", 0x50010002, 0, 0);  // ES_RIGHT
    const auto row = [&](const char* name) {
        return *std::find_if(edit.Rows.begin(), edit.Rows.end(),
                             [&](const StyleRow& r) { return std::string(r.Name) == name; });
    };
    EXPECT_EQ(ApplyStyleTick(0x50010002, row("ES_CENTER"), true), 0x50010001u);
    EXPECT_EQ(ApplyStyleTick(0x50010002, row("ES_RIGHT"), false), 0x50010000u);
    EXPECT_EQ(ApplyStyleTick(0x50010002, row("ES_READONLY"), true), 0x50010802u);
    EXPECT_EQ(ApplyStyleTick(0x50010802, row("WS_TABSTOP"), false), 0x50000802u);
}

// Every value of every field of the tables, for every class: at most one name of the field shows (a
// value no name covers stays in the remainder, never vanishes), and ticking a name writes a value
// that shows exactly that name.
TEST(StyleNames, EveryValueOfEveryFieldShowsOneNameAndATickWritesIt)
{
    const char* classes[] = {"LvxOwnClass", "Button", "Edit", "RichEdit20W", "Static", "ListBox", "ComboBox",
                             "ScrollBar", "#32770", "SysListView32", "SysTreeView32", "SysTabControl32",
                             "ToolbarWindow32", "msctls_statusbar32", "ReBarWindow32", "msctls_progress32",
                             "msctls_trackbar32", "msctls_updown32", "SysHeader32", "SysAnimate32",
                             "SysDateTimePick32", "SysMonthCal32"};
    const auto decode = [](const char* className, StyleTarget target, uint32_t value) {
        return DecodeStyles(className, target == StyleTarget::Style ? value : 0,
                            target == StyleTarget::ExStyle ? value : 0,
                            target == StyleTarget::ListViewExStyle ? value : 0);
    };
    const auto shown = [](const DecodedStyles& decoded, StyleTarget target, uint32_t bits) {
        std::vector<std::string> names;
        for (const StyleRow& row : decoded.Rows)
            if (row.Set && row.Field && row.Target == target && (row.Mask & bits) != 0) names.push_back(row.Name);
        return names;
    };
    size_t fieldsChecked = 0;
    for (const char* className : classes) {
        const std::vector<StyleRow> rows = DecodeStyles(className, 0, 0, 0).Rows;
        std::vector<std::pair<StyleTarget, uint32_t>> fields;  // the bits of each, names with overlapping bits joined
        for (const StyleRow& row : rows) {
            if (!row.Field) continue;
            const auto joined = std::find_if(fields.begin(), fields.end(), [&](const auto& field) {
                return field.first == row.Target && (field.second & row.Mask) != 0;
            });
            if (joined != fields.end()) joined->second |= row.Mask;
            else fields.emplace_back(row.Target, row.Mask);
        }
        for (const auto& [target, bits] : fields) {
            ++fieldsChecked;
            uint32_t value = 0;
            do {  // every combination of the field's bits
                const DecodedStyles decoded = decode(className, target, value);
                const std::vector<std::string> names = shown(decoded, target, bits);
                const uint32_t remainder = (target == StyleTarget::Style     ? decoded.StyleRemainder
                                            : target == StyleTarget::ExStyle ? decoded.ExStyleRemainder
                                                                             : decoded.ListViewExRemainder) &
                                           bits;
                EXPECT_LE(names.size(), 1u) << className << " " << std::hex << value;
                EXPECT_EQ(remainder, names.empty() ? value : 0u) << className << " " << std::hex << value;
                for (const StyleRow& row : rows) {
                    if (!row.Field || row.Target != target || (row.Mask & bits) == 0) continue;
                    const uint32_t ticked = ApplyStyleTick(value, row, true);
                    EXPECT_EQ(shown(decode(className, target, ticked), target, bits), std::vector<std::string>{row.Name})
                        << className << " " << std::hex << value << " ticked " << row.Name;
                }
                value = (value - bits) & bits;
            } while (value != 0);
        }
    }
    EXPECT_GE(fieldsChecked, 20u);

    // The date and time picker's format, as the control reads its three bits: always exactly one.
    const std::pair<uint32_t, const char*> formats[] = {
        {0x0, "DTS_SHORTDATEFORMAT"}, {0x1, "DTS_SHORTDATEFORMAT"},        {0x8, "DTS_SHORTDATEFORMAT"},
        {0x4, "DTS_LONGDATEFORMAT"},  {0x5, "DTS_LONGDATEFORMAT"},         {0x9, "DTS_TIMEFORMAT"},
        {0xC, "DTS_SHORTDATECENTURYFORMAT"}, {0xD, "DTS_SHORTDATECENTURYFORMAT"}};
    for (const auto& [value, name] : formats)
        EXPECT_EQ(shown(DecodeStyles("SysDateTimePick32", value | 0x50000000, 0, 0), StyleTarget::Style, 0xD),
                  std::vector<std::string>{name})
            << std::hex << value;
}

TEST(StyleNames, NamesAreUniqueWithinAGroupAndFitTheirField)
{
    std::set<std::pair<int, std::string>> seen;
    for (const StyleName& name : StyleNames()) {
        EXPECT_TRUE(seen.insert({static_cast<int>(name.Group), name.Name}).second) << name.Name;
        EXPECT_EQ(name.Value & ~name.Mask, 0u) << name.Name;
    }
    EXPECT_EQ(DescribeFlags(StyleGroup::Class, 0x0000000B | 0x100000), "CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | 0x100000");
    EXPECT_EQ(DescribeFlags(StyleGroup::Class, 0), "0");
    EXPECT_STREQ(NameOfValue(StyleGroup::SysColor, 15), "COLOR_BTNFACE");
    EXPECT_STREQ(NameOfValue(StyleGroup::Cursor, 32515), "IDC_CROSS");
    EXPECT_EQ(NameOfValue(StyleGroup::SysColor, 25), nullptr);
    EXPECT_EQ(IntegrityLevelOf(0x0000), 0);
    EXPECT_EQ(IntegrityLevelOf(0x2100), 2);  // medium plus is medium
    EXPECT_EQ(IntegrityLevelOf(0x3000), 3);
    EXPECT_EQ(IntegrityLevelOf(0x4000), 4);
}

TEST(DetailsText, ReadsBackWhatItWrites)
{
    const std::vector<DetailSection> sections{
        {"Окно", {{"Текст", "a: b\r\nc"}, {"Класс", ""}}},
        {"[Стили]", {{"WS_VISIBLE", "1"}}},
        {"Пусто", {}},
    };
    const std::string text = FormatDetailsText(sections);
    EXPECT_TRUE(text.ends_with("\r\n"));
    const auto parsed = ParseDetailsText(text);
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->size(), 3u);
    EXPECT_EQ((*parsed)[0].Lines[0].Value, "a: b  c");  // one line per label, whatever the value holds
    EXPECT_EQ((*parsed)[0].Lines[1].Label, "Класс");
    EXPECT_EQ((*parsed)[0].Lines[1].Value, "");
    EXPECT_EQ((*parsed)[1].Title, "[Стили]");
    EXPECT_TRUE((*parsed)[2].Lines.empty());
    EXPECT_FALSE(ParseDetailsText("Label: before any title\r\n").has_value());
    EXPECT_FALSE(ParseDetailsText("[T]\r\nno separator\r\n").has_value());
}

TEST(ToolPlacement, BesideTheMainWindowElseBelowElseCentred)
{
    const PlaceRect work{0, 0, 1280, 1000};
    // Room on the left: there, top aligned, kept inside the work area.
    EXPECT_EQ(ChooseToolPlace({900, 0, 1280, 400}, 440, 460, work).X, 460);
    EXPECT_EQ(ChooseToolPlace({900, 0, 1280, 400}, 440, 460, work).Y, 0);
    EXPECT_EQ(ChooseToolPlace({900, 700, 1280, 1000}, 440, 460, work).Y, 540);
    // No room on the left: below, right aligned with the main window.
    const PlacePoint below = ChooseToolPlace({100, 0, 500, 400}, 440, 460, work);
    EXPECT_EQ(below.X, 60);
    EXPECT_EQ(below.Y, 400);
    // Neither: centred on the work area; wider or taller than it, from its left or top edge.
    const PlacePoint centred = ChooseToolPlace({100, 300, 500, 800}, 440, 460, work);
    EXPECT_EQ(centred.X, 420);
    EXPECT_EQ(centred.Y, 270);
    const PlaceRect offset{-1280, 40, 0, 1040};  // a monitor left of the primary one
    EXPECT_EQ(ChooseToolPlace({-1000, 300, -600, 800}, 1400, 460, offset).X, -1280);
    EXPECT_EQ(ChooseToolPlace({-1000, 300, -600, 800}, 440, 1100, offset).Y, 40);

    // A place the user chose is pulled inside the work area; a window that can be sized is cut to it.
    const PlaceRect pulled = KeepInsideWorkArea({-150, 700, 250, 1200}, work, false);
    EXPECT_EQ(pulled.Left, 0);
    EXPECT_EQ(pulled.Top, 500);
    EXPECT_EQ(pulled.Right, 400);
    EXPECT_EQ(pulled.Bottom, 1000);
    const PlaceRect cut = KeepInsideWorkArea({-10, -10, 1500, 1200}, work, true);
    EXPECT_EQ(cut.Left, 0);
    EXPECT_EQ(cut.Top, 0);
    EXPECT_EQ(cut.Right, 1280);
    EXPECT_EQ(cut.Bottom, 1000);
    EXPECT_EQ(KeepInsideWorkArea({-10, -10, 1500, 1200}, work, false).Left, 0);

    // A window larger than the room: no larger than the work area, narrowed to the room on the
    // left or made lower to the room below (whichever keeps more), never below its least size.
    const PlaceSize least{300, 200};
    EXPECT_EQ(FitToolSize({900, 0, 1280, 1000}, {1440, 780}, least, work).Width, 900);
    EXPECT_EQ(FitToolSize({900, 0, 1280, 1000}, {1440, 780}, least, work).Height, 780);
    EXPECT_EQ(FitToolSize({900, 0, 1280, 400}, {1440, 780}, least, work).Height, 600);
    EXPECT_EQ(FitToolSize({100, 0, 500, 400}, {960, 780}, least, work).Height, 600);
    EXPECT_EQ(FitToolSize({100, 0, 500, 400}, {1440, 1200}, least, work).Width, 1280);
    const PlaceSize cramped = FitToolSize({100, 300, 500, 900}, {960, 520}, least, work);
    EXPECT_EQ(cramped.Width, 960);
    EXPECT_EQ(cramped.Height, 520);
}
