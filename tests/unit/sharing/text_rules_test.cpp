#include <gtest/gtest.h>

#include "sharing/killserv_text.h"

using namespace std::string_literals;
using KillServ::TStringList;

namespace {

TEST(CommaTextTest, BlanksCommasAndQuotesDivideItems) {
    EXPECT_EQ(KillServ::SplitCommaText("Tcpip,LanmanServer"), (TStringList{"Tcpip", "LanmanServer"}));
    EXPECT_EQ(KillServ::SplitCommaText("  Tcpip \t LanmanServer  "), (TStringList{"Tcpip", "LanmanServer"}));
    EXPECT_EQ(KillServ::SplitCommaText("a , b"), (TStringList{"a", "b"}));
    EXPECT_EQ(KillServ::SplitCommaText("Tcpip;LanmanServer"), TStringList{"Tcpip;LanmanServer"});
    EXPECT_EQ(KillServ::SplitCommaText("\"Lanman Server\",x"), (TStringList{"Lanman Server", "x"}));
    EXPECT_EQ(KillServ::SplitCommaText("\"say \"\"hi\"\"\""), TStringList{"say \"hi\""});
}

TEST(CommaTextTest, EmptyItemsUnclosedQuotesAndNulsFollowTheRules) {
    EXPECT_EQ(KillServ::SplitCommaText("a,,b"), (TStringList{"a", "", "b"}));
    EXPECT_EQ(KillServ::SplitCommaText(",a,"), (TStringList{"", "a"}));
    EXPECT_EQ(KillServ::SplitCommaText("\"open to the end"), TStringList{"open to the end"});
    EXPECT_EQ(KillServ::SplitCommaText("\"ab\"cd"), (TStringList{"ab", "cd"}));
    EXPECT_EQ(KillServ::SplitCommaText("a\0b,c"s), TStringList{"a"});
    EXPECT_TRUE(KillServ::SplitCommaText("   ").empty());
    EXPECT_TRUE(KillServ::SplitCommaText("").empty());
}

TEST(MultiStringTest, NonEmptyPiecesBetweenNulsAreItemsAndAnUnterminatedTailCounts) {
    EXPECT_EQ(KillServ::SplitMultiString("Tcpip\0LanmanServer\0\0"s), (TStringList{"Tcpip", "LanmanServer"}));
    EXPECT_EQ(KillServ::SplitMultiString("\0\0a\0\0b"s), (TStringList{"a", "b"}));
    EXPECT_TRUE(KillServ::SplitMultiString("\0"s).empty());
}

TEST(StatusTextTest, EveryKindOfLineEndEndsALineAndANulEndsTheText) {
    EXPECT_EQ(KillServ::ParseStatusText("a\r\nb\nc\rd"), (TStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(KillServ::ParseStatusText("a\r\n\r\n b \r\n"), (TStringList{"a", "", " b "}));
    EXPECT_EQ(KillServ::ParseStatusText("\n\r"), (TStringList{"", ""}));
    EXPECT_EQ(KillServ::ParseStatusText("a\r\nb\0c\r\n"s), (TStringList{"a", "b"}));
    EXPECT_TRUE(KillServ::ParseStatusText("").empty());
}

TEST(StatusTextTest, WrittenListsReadBackUnchanged) {
    const TStringList names{"Browser", "Fax Service", "\xe4\xf6\xfc", std::string(100000, 'n')};
    const std::string text = KillServ::FormatStatusText(names);
    EXPECT_EQ(text.substr(0, 9), "Browser\r\n");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(KillServ::ParseStatusText(text), names);
    EXPECT_EQ(KillServ::FormatStatusText({}), "");
}

TEST(CompareTextTest, OrdersByLowerCasedBytes) {
    EXPECT_EQ(KillServ::CompareText("LanmanServer", "lanmanserver"), 0);
    EXPECT_LT(KillServ::CompareText("Alpha", "beta"), 0);
    EXPECT_LT(KillServ::CompareText("Z_x", "za"), 0); // '_' sorts before letters
    EXPECT_GT(KillServ::CompareText("abc", "ab"), 0);
}

} // namespace
