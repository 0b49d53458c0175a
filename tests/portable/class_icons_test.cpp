// Native tests of the class-icon file and look-up, the discovery tools' text lines and the scaling of their pictures.
#include "discovery/ClassIcons.h"
#include "discovery/DiscoveryText.h"
#include "core/PixelScale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

using namespace lvx;

namespace {

struct Tables {
    std::vector<ClassIconName> names;
    std::vector<TMyMask> masks;
    bool complete = false;

    explicit Tables(std::string_view content)
    {
        complete = ParseClassIcons(content, names, masks);
        SortClassIconNames(names);
    }
    [[nodiscard]] int32_t Lookup(std::string_view name, uint8_t mode) const
    {
        return LookupClassIcon(name, mode, names, masks);
    }
};

}  // namespace

TEST(ClassIcons, NumbersNamesAndMasks)
{
    const Tables tables("!BEFORE\r\n12\r\n!BUTTON\r\n?*BUTTON*\n13\r!edit\r\n\r\n$1F\r\n!Hex\r\n"
                        "not a number\r\n!Stays31\r\n  -2\r\n!Minus\r\n12 \r\n!TrailingBlank\r\n");
    EXPECT_TRUE(tables.complete);
    // A name before the first number gets 0, which is no picture.
    EXPECT_EQ(tables.Lookup("BEFORE", 2), 0);
    EXPECT_EQ(tables.Lookup("BUTTON", 1), 12);
    // Exact names ignore case, whichever side is upper-cased.
    EXPECT_EQ(tables.Lookup("EDIT", 1), 13);
    EXPECT_EQ(tables.Lookup("Edit", 1), 13);
    EXPECT_EQ(tables.Lookup("HEX", 1), 31);
    // A line that is not a number keeps the current index ("12 " has a blank after the digits).
    EXPECT_EQ(tables.Lookup("STAYS31", 1), 31);
    EXPECT_EQ(tables.Lookup("MINUS", 1), -2);
    EXPECT_EQ(tables.Lookup("TRAILINGBLANK", 1), -2);
    EXPECT_EQ(tables.Lookup("UNKNOWN", 2), 0);
}

TEST(ClassIcons, ModesAndMaskOrder)
{
    const Tables tables("5\r\n!ZERO\r\n0\r\n!ZEROED\r\n7\r\n?*BUTTON*\r\n8\r\n?T*BUTTON\r\n9\r\n?ZERO*\r\n");
    // Mode 0 never gives a picture; mode 1 ignores masks; any other non-zero mode acts like 1.
    EXPECT_EQ(tables.Lookup("ZERO", 0), 0);
    EXPECT_EQ(tables.Lookup("TBITBUTTON", 1), 0);
    EXPECT_EQ(tables.Lookup("TBITBUTTON", 3), 0);
    // The first mask in file order wins, not the most specific one.
    EXPECT_EQ(tables.Lookup("TBITBUTTON", 2), 7);
    // An exact entry with picture 0 counts as none, so masks are still tried in mode 2.
    EXPECT_EQ(tables.Lookup("ZEROED", 1), 0);
    EXPECT_EQ(tables.Lookup("ZEROED", 2), 9);
    EXPECT_EQ(tables.Lookup("ZERO", 2), 5);
}

TEST(ClassIcons, DuplicateNamesAndInvalidMask)
{
    // With a name listed twice the first in the file is used.
    const Tables duplicate("1\r\n!Same\r\n2\r\n!SAME\r\n!Other\r\n");
    EXPECT_EQ(duplicate.Lookup("SAME", 1), 1);
    // An invalid mask ends the reading: earlier lines stay, the mask and later lines are lost.
    const Tables broken("4\r\n!Kept\r\n?Kept*\r\n?[abc\r\n!Lost\r\n");
    EXPECT_FALSE(broken.complete);
    EXPECT_EQ(broken.masks.size(), 1u);
    EXPECT_EQ(broken.Lookup("KEPT", 1), 4);
    EXPECT_EQ(broken.Lookup("LOST", 1), 0);
}

TEST(ClassIcons, LoadingAFile)
{
    // Missing file: false and empty tables, every look-up 0.
    ClassIconNames.push_back({"X", 3});
    EXPECT_FALSE(LoadClassIcons("no such folder/Classes.dsc"));
    EXPECT_TRUE(ClassIconNames.empty());
    EXPECT_EQ(LookupClassIcon("X", 2), 0);
}

TEST(ClassIcons, TheShippedFileReadsCompletelyAndCoversTheCommonControls)
{
    ASSERT_TRUE(LoadClassIcons(LVX_CLASSES_DSC));
    EXPECT_GT(ClassIconNames.size(), 100u);
    EXPECT_GT(ClassIconMasks.size(), 100u);
    // The tree passes class names upper-cased; every common control has a picture of its own.
    std::set<int32_t> pictures;
    for (const char* name : {"#32770", "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX", "SCROLLBAR",
                             "SYSTREEVIEW32", "SYSLISTVIEW32", "SYSHEADER32", "SYSTABCONTROL32", "TOOLBARWINDOW32",
                             "MSCTLS_STATUSBAR32", "MSCTLS_PROGRESS32", "MSCTLS_TRACKBAR32", "MSCTLS_UPDOWN32"}) {
        const int32_t picture = LookupClassIcon(name, ClassIconsKnownOnly);
        EXPECT_GT(picture, 0) << name;
        EXPECT_LT(picture, 50) << name;
        EXPECT_TRUE(pictures.insert(picture).second) << name << " shares picture " << picture;
    }
    // Toolkit classes are reached through masks only when the option asks for it.
    EXPECT_EQ(LookupClassIcon("WINDOWSFORMS10.BUTTON.APP.0.1A", ClassIconsKnownOnly), 0);
    EXPECT_EQ(LookupClassIcon("WINDOWSFORMS10.BUTTON.APP.0.1A", ClassIconsAnalyse), LookupClassIcon("BUTTON", 1));
    // The fixed pictures stay with the tree: no entry takes the desktop's or the top-level window's
    // picture from a common control.
    EXPECT_NE(LookupClassIcon("EDIT", ClassIconsAnalyse), 43);
    ClassIconNames.clear();
    ClassIconMasks.clear();
}

TEST(DiscoveryText, FoundWindowLine)
{
    EXPECT_EQ(FormatFoundWindowLine(0x1F4, "abc", "Edit"), "000001F4  abc {Edit}");
    EXPECT_EQ(FormatFoundWindowLine(0xFFFFFFFF, "", ""), "FFFFFFFF   {}");
}

TEST(DiscoveryText, TreeNodeTextInEveryNotation)
{
    const std::string text = "\xC1\xEB\xEE\xEA\xED\xEE\xF2";
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::Hexadecimal, 0xA01F4, text, "Notepad"), "[000A01F4] " + text + " {Notepad}");
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::Hexadecimal, 0xA01F4, "", "Edit"), "[000A01F4] {Edit}");
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::Decimal, 0xA01F4, text, "Notepad"), "[655860] " + text + " {Notepad}");
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::Decimal, 0x80000000u, "", "X"), "[-2147483648] {X}");
    // Without handles a line with text starts with a blank.
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::None, 0xA01F4, text, "Notepad"), " " + text + " {Notepad}");
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::None, 0xA01F4, "", "Edit"), " {Edit}");
    // The text is kept as it is, control characters included.
    EXPECT_EQ(FormatTreeNodeText(HandleNotation::None, 1, "a\tb", "C"), " a\tb {C}");
}

TEST(DiscoveryText, TreeFileLines)
{
    EXPECT_EQ(FormatTreeFileLine(0, true, "[00010010] <Desktop> {#32769}"), "+[00010010] <Desktop> {#32769}\r\n");
    EXPECT_EQ(FormatTreeFileLine(2, false, "[000A0200] {Button}"), "  \x95[000A0200] {Button}\r\n");
    EXPECT_EQ(FormatTreeFileLine(1, false, std::string("a\r\nb\x1F\0c", 7)), " \x95" "a??b??c\r\n");
}

TEST(PixelScale, ResamplesByAreaKeepingOpaqueShapesAndSoftEdges)
{
    // Opaque white over transparent, left half only.
    const std::vector<std::uint32_t> half = {0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0};
    EXPECT_EQ(ScalePixels(half, 2, 2, 2, 2), half);
    // 2 -> 3 columns: the middle column takes half of each, premultiplied.
    const std::vector<std::uint32_t> wider = ScalePixels(half, 2, 2, 3, 2);
    ASSERT_EQ(wider.size(), 6u);
    EXPECT_EQ(wider[0], 0xFFFFFFFFu);
    EXPECT_EQ(wider[1], 0x80808080u);
    EXPECT_EQ(wider[2], 0u);
    // Down to one pixel: the average of all.
    EXPECT_EQ(ScalePixels(half, 2, 2, 1, 1), std::vector<std::uint32_t>{0x80808080u});
    EXPECT_TRUE(ScalePixels(half, 2, 2, 0, 3).empty());
    EXPECT_TRUE(ScalePixels(half, 3, 2, 4, 4).empty());  // too few pixels for the size given
}
