// Native tests of the "messages.lst" reader and of the message table's keys and defaults.
#include "core/MessageList.h"
#include "language/MessageTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace lvx;

TEST(MessageList, TakesNameValueLinesInFileOrder)
{
    const auto names = ParseMessageList("WM_NULL=0\r\nwm_Paint=$000F\nBM_CLICK=0x00F5\rWM_USER=1024\r\n");
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0].Name, "WM_NULL");
    EXPECT_EQ(names[0].Value, 0u);
    EXPECT_EQ(names[1].Name, "WM_PAINT");
    EXPECT_EQ(names[1].Value, 15u);
    EXPECT_EQ(names[2].Value, 0xF5u);
    EXPECT_EQ(names[3].Value, 1024u);
}

TEST(MessageList, SkipsMalformedLines)
{
    const auto names = ParseMessageList(
        "=5\n"            // no name: "=" at the first position
        "NOEQUALS\n"
        "BAD=abc\n"
        "EMPTY=\n"
        "TWO=1=2\n"       // the value is everything after the first "="
        "\n"
        "; comment\n"
        "NEG=-1\n"
        "TRAIL=7 \n"     // a blank after the digits does not convert
        " SPACED = 7\n"); // but blanks before them do, and the name keeps its own
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].Name, "NEG");
    EXPECT_EQ(names[0].Value, 0xFFFFFFFFu);
    EXPECT_EQ(names[1].Name, " SPACED ");
    EXPECT_EQ(names[1].Value, 7u);
}

TEST(MessageList, KeepsBlanksOfTheNameAndDuplicates)
{
    const auto names = ParseMessageList(" a b=1\nA B=2\nX=3\nX=4");
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0].Name, " A B");
    EXPECT_EQ(names[2].Name, "X");
    EXPECT_EQ(names[3].Value, 4u);
}

TEST(MessageTable, HasTheThirtySixKeysOnceEachWithTheirDefaults)
{
    ASSERT_EQ(MessageCount, 36u);
    std::set<std::string> keys;
    for (const MessageDef& def : MessageDefs) {
        EXPECT_TRUE(keys.insert(def.Key).second) << def.Key;
        EXPECT_NE(std::string(def.DefaultText), "");
    }
    EXPECT_STREQ(MessageDefs[0].Key, "NotSuppIn95");
    EXPECT_STREQ(MessageDefs[35].Key, "_FindNext");
    EXPECT_EQ(MessageText(Msg::NoWindowFound), "--------");
    EXPECT_EQ(MessageText(Msg::CantSaveFile).front(), ' ');  // the leading blank is part of the text
}

TEST(MessageTable, ReplacedTextsComeBackOnReset)
{
    SetMessageText(Msg::ERROR_, "Error");
    EXPECT_EQ(MessageText(Msg::ERROR_), "Error");
    ResetMessageTable();
    EXPECT_EQ(MessageText(Msg::ERROR_), MessageDefs[static_cast<size_t>(Msg::ERROR_)].DefaultText);
}
