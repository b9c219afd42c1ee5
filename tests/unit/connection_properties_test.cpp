#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/providers/connection_properties.h"

using kpx::data::ConnectionProperties;

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

struct ParseCase {
  const char* name;
  std::string text;
  std::string expected;  // every property, in order, as "<name>value"
};

class ConnectionString : public testing::TestWithParam<ParseCase> {};

TEST_P(ConnectionString, ParsesEveryProperty) {
  const ConnectionProperties properties = ConnectionProperties::parse(GetParam().text);
  std::string items;
  for (const auto& [name, value] : properties.items()) items += "<" + name + ">" + value;
  EXPECT_EQ(items, GetParam().expected);
}

const std::string kJet = "Provider=Microsoft.jet.OLEDB.4.0;";

INSTANTIATE_TEST_SUITE_P(
    Forms, ConnectionString,
    testing::Values(
        ParseCase{"AccessWithPassword",
                  "Persist Security Info=True;Data Source=C:\\db\\a.mdb;User ID=admin;"
                  "Jet OLEDB:Database Password=s3cret" +
                      kJet,
                  "<Persist Security Info>True<Data Source>C:\\db\\a.mdb<User ID>admin"
                  "<Jet OLEDB:Database Password>s3cret<Provider>Microsoft.jet.OLEDB.4.0"},
        ParseCase{"AccessEmptyUserGluedProvider",
                  "Persist Security Info=True;Data Source=/data/a.mdb;User ID=" + kJet,
                  "<Persist Security Info>True<Data Source>/data/a.mdb<User ID>"
                  "<Provider>Microsoft.jet.OLEDB.4.0"},
        ParseCase{"SqlServerWithPassword",
                  "Persist Security Info=False;Initial Catalog=Sales;Data Source=S1;User "
                  "ID=U1;Password=pwProvider=SQLOLEDB.1;",
                  "<Persist Security Info>False<Initial Catalog>Sales<Data Source>S1<User ID>U1"
                  "<Password>pw<Provider>SQLOLEDB.1"},
        ParseCase{
            "DelimitedTextCrLfTabAndTrailingBlank",
            "Data Source=/in.txt;Mode=3;Row Delimiter='\r\n';File Format=1;Column Delimiter='\t';"
            "File Type=1; Skip Rows=0;First Row Column Name=False ",
            "<Data Source>/in.txt<Mode>3<Row Delimiter>\r\n<File Format>1<Column Delimiter>\t"
            "<File Type>1<Skip Rows>0<First Row Column Name>False"},
        ParseCase{"DelimiterIsAQuote", "Row Delimiter='|';Column Delimiter=''';File Type=1",
                  "<Row Delimiter>|<Column Delimiter>'<File Type>1"},
        ParseCase{
            "FixedWidth",
            "Data Source=/f.txt;Mode=1;Row Delimiter='\n';File Format=2;Column Lengths='3,5,10';"
            "File Type=1; Skip Rows=2;First Row Column Name=False;Number of Column=-1 ; "
            "Column Names='A,B;C,D'Provider=DTSFlatFile.1;",
            "<Data Source>/f.txt<Mode>1<Row Delimiter>\n<File Format>2<Column Lengths>3,5,10"
            "<File Type>1<Skip Rows>2<First Row Column Name>False<Number of Column>-1"
            "<Column Names>A,B;C,D<Provider>DTSFlatFile.1"},
        ParseCase{"DoubleQuotedValue", "Extended Properties=\"Excel 8.0;HDR=YES\";Data Source=a",
                  "<Extended Properties>Excel 8.0;HDR=YES<Data Source>a"},
        ParseCase{"ProviderInsideAMiddleValueKept", "Password=aProvider=b;Data Source=c",
                  "<Password>aProvider=b<Data Source>c"},
        ParseCase{"LaterDuplicateWins", "Mode=1;mode=3", "<Mode>3"},
        ParseCase{"SegmentsWithoutEquals", ";;garbage;Mode=1;tail", "<Mode>1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectionString, LooksUpNamesWithoutCaseOrBlanks) {
  auto props = ConnectionProperties::parse("Data Source=/a.mdb;Mode=1");
  EXPECT_EQ(props.get(" data source "), "/a.mdb");
  EXPECT_EQ(props.value("MODE"), "1");
  EXPECT_EQ(props.value("Password", "none"), "none");
  EXPECT_FALSE(props.has("Password"));
  props.set("mode", "3");
  EXPECT_EQ(props.items(), (Items{{"Data Source", "/a.mdb"}, {"Mode", "3"}}));
}

}  // namespace
