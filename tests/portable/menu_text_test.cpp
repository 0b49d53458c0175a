// Native tests of the menu browser's texts and decisions: node texts, the identifier field, the
// type labels and which items are addressed by identifier.
#include "menubrowser/MenuText.h"

#include <gtest/gtest.h>

using namespace lvx;

namespace {

TEST(MenuText, NodeTextsAndTheIdentifierField)
{
    EXPECT_EQ(MenuNodeText("&Open\tCtrl+O", "<empty>"), "&Open\tCtrl+O");
    EXPECT_EQ(MenuNodeText("", "<empty>"), "<empty>");
    EXPECT_EQ(MenuNodeText(nullptr, "<empty>"), "<empty>");
    EXPECT_EQ(FormatMenuId(57601, "--"), "57601 (#E101)");
    EXPECT_EQ(FormatMenuId(0, "--"), "0 (#0)");
    EXPECT_EQ(FormatMenuId(0xFFFFFFFFu, "--"), "--");
    // Above 31 bits the decimal is signed, the hexadecimal is not.
    EXPECT_EQ(FormatMenuId(0x80000001u, "--"), "-2147483647 (#80000001)");
}

TEST(MenuText, TypeLabels)
{
    // A string item lights only "STRING"; bitmaps, separators and owner-drawn items do not.
    for (int label = 0; label < MenuTypeLabelCount; ++label)
        EXPECT_EQ(MenuTypeLabelLit(label, 0), label == 8) << label;
    EXPECT_TRUE(MenuTypeLabelLit(7, 0x800));
    EXPECT_FALSE(MenuTypeLabelLit(8, 0x800));
    EXPECT_FALSE(MenuTypeLabelLit(8, 0x4));
    EXPECT_FALSE(MenuTypeLabelLit(8, 0x100));
    EXPECT_TRUE(MenuTypeLabelLit(8, 0x200 | 0x20));
    EXPECT_TRUE(MenuTypeLabelLit(4, 0x200));
    EXPECT_TRUE(MenuTypeLabelLit(5, 0x4000));
    EXPECT_TRUE(MenuTypeLabelLit(6, 0x2000));
    EXPECT_FALSE(MenuTypeLabelLit(-1, 0xFFFFFFFFu));
    EXPECT_FALSE(MenuTypeLabelLit(9, 0xFFFFFFFFu));
}

TEST(MenuText, AddressingAndCommands)
{
    const std::vector<std::uint32_t> ids = {0, 111, 0, 400, 400, 0xFFFFFFFFu, 121};
    EXPECT_FALSE(AddressByCommand(ids, 0));  // 0: separators and many submenu items have it
    EXPECT_TRUE(AddressByCommand(ids, 1));
    EXPECT_FALSE(AddressByCommand(ids, 3));  // shared
    EXPECT_FALSE(AddressByCommand(ids, 4));
    EXPECT_FALSE(AddressByCommand(ids, 5));  // all bits set
    EXPECT_TRUE(AddressByCommand(ids, 6));
    EXPECT_FALSE(AddressByCommand(ids, 7));  // no such item

    EXPECT_TRUE(SendsCommand(0, 111, false));
    EXPECT_TRUE(SendsCommand(0x200, 0, false));
    EXPECT_FALSE(SendsCommand(0x800, 0, false));
    EXPECT_FALSE(SendsCommand(0, 0x1234, true));
    EXPECT_FALSE(SendsCommand(0, 0xFFFFFFFFu, false));
}

}  // namespace
