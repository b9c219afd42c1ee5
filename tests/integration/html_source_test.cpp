#include <gtest/gtest.h>

#include "data/providers/html/cell_types.h"
#include "data/providers/html/html_source.h"
#include "support/rows_as_text.h"

namespace kpx::data {
namespace {

const std::string kCatalogue = std::string(KPX_TEST_DATA) + "/html/catalogue.html";
const std::string kTypes = std::string(KPX_TEST_DATA) + "/html/types.html";

std::unique_ptr<DataSource> openPage(const std::string& path) {
  return openHtmlSource(ConnectionProperties::parse("Data Source=" + path +
                                                    ";Extended Properties=HTML Import;User ID="));
}

std::vector<std::vector<std::string>> readAll(RowReader& reader) {
  return test::readRowsAsText(reader, true);
}

std::vector<std::string> namesOf(const std::vector<ColumnInfo>& columns) {
  std::vector<std::string> names;
  for (const auto& c : columns) names.push_back(c.name);
  return names;
}

TEST(HtmlSource, ProductsReadBackValueByValue) {
  auto source = openPage(kCatalogue);
  const auto columns = source->columns("PRODUCTS");
  EXPECT_EQ(namesOf(columns),
            (std::vector<std::string>{"Code", "Name", "Price", "Added", "In stock", "F6"}));
  const std::vector<int32_t> types{adVarWChar, adVarWChar, adCurrency,
                                   adDate,     adBoolean,  adVarWChar};
  for (size_t i = 0; i < columns.size(); ++i)
    EXPECT_EQ(columns[i].type, types[i]) << columns[i].name;
  EXPECT_EQ(columns[0].size, 255);
  auto reader = source->openTable("products");
  const std::vector<std::vector<std::string>> expected{
      {"A01", "Caf\u00e9 & cr\u00e8me", "c:12.5", "t:2024-02-29", "b:1", "x"},
      {"b02", "Tea green", "c:3", "t:2023-12-31 08:30:00", "b:0", "<null>"},
      {"C03", "Line one\nLine two", "c:-1.25", "t:2024-01-15 17:45:10", "b:1", "y"},
      {"Z99", "Total", "c:0", "<null>", "<null>", "footer"}};  // the footer comes last
  EXPECT_EQ(readAll(*reader), expected);
}

TEST(HtmlSource, ConvertsOnlyWhatEveryRowAgreesOn) {
  auto source = openPage(kTypes);
  const auto columns = source->columns("Table1");
  EXPECT_EQ(namesOf(columns), (std::vector<std::string>{"Plain", "Thousands", "Zip", "Mixed",
                                                        "Long", "Empty", "Euro", "Big"}));
  const std::vector<std::pair<int32_t, int32_t>> typeAndSize{{adDouble, 0},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adLongVarWChar, html::kLongTextSize},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255},
                                                             {adVarWChar, 255}};
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(columns[i].type, typeAndSize[i].first) << columns[i].name;
    EXPECT_EQ(columns[i].size, typeAndSize[i].second) << columns[i].name;
  }
  const auto rows = readAll(*source->openTable("table1"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0],
            (std::vector<std::string>{"d:1", "1,234.5", "01234", "5", std::string(300, 'L'),
                                      "<null>", "12,50 \u20ac", "1234567890123456"}));
  EXPECT_EQ(rows[2][0], "d:3");
  EXPECT_EQ(rows[2][3], "2024-01-01");
}

class HtmlEncoding : public ::testing::TestWithParam<const char*> {};

TEST_P(HtmlEncoding, PagesNotInUtf8ReadTheSame) {
  auto source = openPage(std::string(KPX_TEST_DATA) + "/html/" + GetParam());
  ASSERT_EQ(source->tables().size(), 1u);
  EXPECT_EQ(source->tables()[0].name, "Citt\u00e0");
  EXPECT_EQ(readAll(*source->openTable("CITT\u00c0")),
            (std::vector<std::vector<std::string>>{{"Caff\u00e8 \u20ac", "d:1.5"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlEncoding, ::testing::Values("windows1252.html", "utf16le.html"),
    [](const auto& info) {
      return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });

}  // namespace
}  // namespace kpx::data
