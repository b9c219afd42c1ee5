#include <gtest/gtest.h>

#include "kpxwizard/automation_error.h"
#include "model/vb_strings.h"

using namespace kpx;

namespace {

TEST(VbStrings, PositionsCountCodePoints) {
  const std::string text = "città€𝄞x";  // 2-, 3- and 4-byte characters
  EXPECT_EQ(vb::Len(text), 8);
  EXPECT_EQ(vb::InStr(text, "x"), 8);
  EXPECT_EQ(vb::InStr(text, "€"), 6);
  EXPECT_EQ(vb::InStr(text, "t", 4), 4);
  EXPECT_EQ(vb::InStrRev(text, "t"), 4);
  EXPECT_EQ(vb::Mid(text, 5, 2), "à€");
  EXPECT_EQ(vb::Mid(text, 7), "𝄞x");
  EXPECT_EQ(vb::Mid(text, 9), "");
  EXPECT_EQ(vb::Left(text, 5), "città");
  EXPECT_EQ(vb::Right(text, 2), "𝄞x");
  EXPECT_EQ(vb::Left(text, 100), text);
}

TEST(VbStrings, UpperCaseKeepsLengthAndHandlesAccents) {
  EXPECT_EQ(vb::UCase("àéìòùçñ ÿ œ ł ž"), "ÀÉÌÒÙÇÑ Ÿ Œ Ł Ž");
  EXPECT_EQ(vb::UCase("straße"), "STRAßE");  // no one-character upper case
  EXPECT_EQ(vb::UCase("αβγ ς жё"), "ΑΒΓ Σ ЖЁ");
  EXPECT_EQ(vb::UCase("a\xFF"
                      "b"),
            "A\xFF"
            "B");  // a stray byte survives unchanged
  EXPECT_EQ(vb::Len("a\xFF"
                    "b"),
            3);
}

TEST(VbStrings, EmptyArgumentsFollowBasic) {
  EXPECT_EQ(vb::InStr("", ""), 0);
  EXPECT_EQ(vb::InStr("abc", ""), 1);
  EXPECT_EQ(vb::InStr("abc", "", 3), 3);
  EXPECT_EQ(vb::InStr("abc", "", 4), 0);
  EXPECT_TRUE(vb::Split("", ",").empty());
  EXPECT_EQ(vb::Split("a,b", ""), std::vector<std::string>{"a,b"});
  EXPECT_EQ(vb::Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(vb::Replace("aXbXc", "", "-"), "aXbXc");
  EXPECT_EQ(vb::Replace("aaa", "aa", "b"), "ba");
}

TEST(VbStrings, TrimRemovesOnlySpaces) {
  EXPECT_EQ(vb::Trim("  a b  "), "a b");
  EXPECT_EQ(vb::Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(vb::LTrim("  a  "), "a  ");
  EXPECT_EQ(vb::RTrim("  a  "), "  a");
  EXPECT_EQ(vb::Trim("    "), "");
}

}  // namespace
