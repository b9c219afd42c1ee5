#include <gtest/gtest.h>

#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "support/recording_sink.h"

using namespace kpx;

namespace {

struct DelimiterCase {
  const char* value;
  const char* characters;
};

class DelimiterLookup : public ::testing::TestWithParam<DelimiterCase> {};

TEST_P(DelimiterLookup, ByNameOrCode) {
  EXPECT_EQ(modMain::DelimiterText(GetParam().value), GetParam().characters);
}

INSTANTIATE_TEST_SUITE_P(
    Delimiters, DelimiterLookup,
    // Names are matched exactly; codes run from 0 to 6.
    ::testing::Values(DelimiterCase{"{CR}{LF}", "\r\n"}, DelimiterCase{"0", "\r\n"},
                      DelimiterCase{"Punto e Virgola", ";"}, DelimiterCase{"3", "\t"},
                      DelimiterCase{"6", "\n"}, DelimiterCase{"{CR}", "\r"},
                      DelimiterCase{"5", "\r"}, DelimiterCase{"Punto e virgola", ""},
                      DelimiterCase{"Comma", ""}, DelimiterCase{"7", ""}, DelimiterCase{"-1", ""},
                      DelimiterCase{"", ""}, DelimiterCase{"3x", ""}));

TEST(Lookups, IsDigitsOnly) {
  EXPECT_TRUE(modMain::IsDigitsOnly(""));
  EXPECT_TRUE(modMain::IsDigitsOnly("0123456789"));
  EXPECT_FALSE(modMain::IsDigitsOnly("12 "));
  EXPECT_FALSE(modMain::IsDigitsOnly("-1"));
  EXPECT_FALSE(modMain::IsDigitsOnly("1.5"));
  EXPECT_FALSE(modMain::IsDigitsOnly("١٢"));  // Arabic-Indic digits sort above "9"
}

TEST(Lookups, TakeNameTableStripsFoldersAndExtension) {
  EXPECT_EQ(modMain::TakeNameTable("C:\\data\\Orders.2024.txt"), "Orders");
  EXPECT_EQ(modMain::TakeNameTable("/home/me/orders.csv"), "orders");
  EXPECT_EQ(modMain::TakeNameTable("mixed/dir\\città.txt"), "città");
  EXPECT_EQ(modMain::TakeNameTable("orders.txt"), "orders");
  EXPECT_EQ(modMain::TakeNameTable(".hidden"), "");
}

TEST(Lookups, TakeNameTableReportsANameWithoutExtension) {
  auto wizard = cKPXWizard::create();
  test::ScopedRecordingSink sink;
  EXPECT_EQ(modMain::TakeNameTable("/data.d/README"), "");
  ASSERT_EQ(sink->boxes.size(), 1u);
  EXPECT_NE(sink->boxes[0].text.find("Located in : TakeNameTable [modMain] "), std::string::npos);
  wizard->CloseWizard();
}

}  // namespace
