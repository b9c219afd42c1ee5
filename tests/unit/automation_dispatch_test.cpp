// Every member of the six classes is reachable by its dispatch identifier and by its name,
// and a value put through the interface reads back through it with the right type.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <variant>

#include "kpxwizard/messages.h"
#include "kpxwizard/wizard.h"
#include "support/automation_client.h"
#include "support/recording_sink.h"

namespace kpx::test {
namespace {

using Literal = std::variant<int16_t, int32_t, bool, std::string>;

Var toVar(const Literal& value) {
  return std::visit([](const auto& v) { return Var(v); }, value);
}

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

// The objects of one test: a wizard, a connection, a transformation and collections, with
// a column obtained from a connection (the column classes are not creatable).
class AutomationObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    m_objects["wizard"] = create("KPXWizardIO.cKPXWizard");
    m_objects["connection"] = create("KPXWizardIO.clsConnection");
    m_objects["transformations"] = create("KPXWizardIO.clsTransformations");
    m_objects["transformation"] = create("KPXWizardIO.clsTransformation");
    auto columns = get(object("connection"), "Columns");
    ASSERT_EQ(columns.hr, 0);
    m_objects["columns"] = Handle::from(columns.result);
    auto column = call(object("columns"), "Add", argList(Var("C1")));
    ASSERT_EQ(column.hr, 0);
    m_objects["column"] = Handle::from(column.result);
  }
  void TearDown() override {
    m_objects.clear();
    if (auto w = oWizard()) w->CloseWizard();
  }
  KPX_OBJECT* object(const std::string& owner) { return m_objects.at(owner).get(); }

  ScopedRecordingSink m_sink;
  std::map<std::string, Handle> m_objects;
};

struct PropertyCase {
  const char* owner;
  const char* name;
  int32_t dispid;
  Literal put;
  Literal expected;  // its type gives the type the get must answer with
};

std::ostream& operator<<(std::ostream& os, const PropertyCase& c) {
  return os << c.owner << "." << c.name;
}

class PropertyRoundTrip : public AutomationObjects,
                          public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(PropertyRoundTrip, NameGivesIdAndPutReadsBackTyped) {
  const PropertyCase& c = GetParam();
  KPX_OBJECT* o = object(c.owner);
  EXPECT_EQ(dispidOf(o, c.name), c.dispid);
  EXPECT_EQ(dispidOf(o, upper(c.name).c_str()), c.dispid);

  ASSERT_EQ(invokeId(o, c.dispid, KPX_DISPATCH_PROPERTYPUT, argList(toVar(c.put))).hr, 0);
  Outcome got = invokeId(o, c.dispid, KPX_DISPATCH_PROPERTYGET);
  ASSERT_EQ(got.hr, 0);
  Var expected = toVar(c.expected);
  ASSERT_EQ(got.result.v.vt, expected.v.vt);
  switch (expected.v.vt) {
    case KPX_VT_BSTR: EXPECT_EQ(got.result.text(), expected.text()); break;
    case KPX_VT_I4: EXPECT_EQ(got.result.v.u.lVal, expected.v.u.lVal); break;
    default: EXPECT_EQ(got.result.v.u.iVal, expected.v.u.iVal); break;
  }
}

const PropertyCase kProperties[] = {
    {"wizard", "AppName", 0x40030000, std::string("Host"), std::string("Host")},
    {"wizard", "Language", 0x68030008, int32_t{1}, int32_t{1}},
    {"wizard", "LogFilePath", 0x68030007, std::string("/var/log/kpx"), std::string("/var/log/kpx/")},
    {"wizard", "ReplaceDestinationRows", 0x68030006, true, true},
    {"wizard", "CountCorrectImport", 0x68030005, int16_t{7}, int16_t{7}},
    {"wizard", "AutoCloseWizard", 0x68030004, true, true},
    {"wizard", "AskCloseConfirmation", 0x68030003, true, true},
    {"connection", "Mode", 0x68030018, int32_t{2}, int32_t{2}},
    {"connection", "CreatedDestinationTable", 0x68030017, true, true},
    {"connection", "SkipRows", 0x68030016, int16_t{3}, int16_t{3}},
    {"connection", "Name", 0x68030015, std::string("Orders"), std::string("Orders")},
    {"connection", "TableType", 0x68030013, int32_t{1}, int32_t{1}},
    {"connection", "TableName", 0x68030012, std::string("Clienti"), std::string("Clienti")},
    {"connection", "ColumnNames", 0x68030011, std::string("A,B"), std::string("A,B")},
    {"connection", "Server", 0x68030010, std::string("S1"), std::string("S1")},
    {"connection", "Database", 0x6803000F, std::string("Sales"), std::string("Sales")},
    {"connection", "ColumnDelimiter", 0x6803000E, std::string("tab"), std::string("\t")},
    {"connection", "RowDelimiter", 0x6803000D, int32_t{4}, int32_t{4}},
    {"connection", "ColumnLengths", 0x6803000C, std::string("3,5"), std::string("3,5")},
    {"connection", "FirstRow", 0x6803000B, int16_t{-1}, int16_t{-1}},
    {"connection", "FormatFile", 0x6803000A, int32_t{2}, int32_t{2}},
    {"connection", "TextQualifier", 0x68030009, std::string("'"), std::string("'")},
    {"connection", "NumberColumns", 0x68030008, int32_t{12}, int32_t{12}},
    {"connection", "User", 0x68030007, std::string("U1"), std::string("U1")},
    {"connection", "Password", 0x68030006, std::string("pw"), std::string("pw")},
    {"connection", "ConnectionString", 0x68030003, std::string("Data Source=x"), std::string("Data Source=x")},
    {"connection", "ConType", 0x68030000, int32_t{9}, int32_t{9}},
    {"column", "Nullable", 0x68030004, true, true},
    {"column", "Name", 0x68030003, std::string("Code"), std::string("Code")},
    {"column", "Size", 0x68030002, int32_t{255}, int32_t{255}},
    {"column", "DataType", 0x68030001, int32_t{202}, int32_t{202}},
    {"columns", "Name", 0x68030001, std::string("Cols"), std::string("Cols")},
    {"transformation", "ConstantValue", 0x68030005, std::string("42"), std::string("42")},
    {"transformation", "TransformationType", 0x68030004, int32_t{1}, int32_t{1}},
    {"transformation", "TransformationScript", 0x68030003, std::string("Main"), std::string("Main")},
    {"transformation", "Name", 0x68030002, std::string("T1"), std::string("T1")},
    {"transformations", "Name", 0x68030001, std::string("Map"), std::string("Map")},
};

INSTANTIATE_TEST_SUITE_P(AllPutGetPairs, PropertyRoundTrip, ::testing::ValuesIn(kProperties),
                         [](const auto& info) {
                           return std::string(info.param.owner) + "_" + info.param.name;
                         });

// Members read through get alone, or called: the identifier, and the kind of value answered.
struct ReadCase {
  const char* owner;
  const char* name;
  int32_t dispid;
  uint16_t flags;
  uint16_t resultType;
  std::vector<const char*> stringArgs;
};

std::ostream& operator<<(std::ostream& os, const ReadCase& c) {
  return os << c.owner << "." << c.name;
}

class MemberReach : public AutomationObjects, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(MemberReach, NameGivesIdAndCallAnswersWithItsType) {
  const ReadCase& c = GetParam();
  KPX_OBJECT* o = object(c.owner);
  EXPECT_EQ(dispidOf(o, c.name), c.dispid);
  std::vector<Var> arguments;
  for (const char* s : c.stringArgs) arguments.emplace_back(s);
  Outcome out = invokeId(o, c.dispid, c.flags, std::move(arguments));
  ASSERT_EQ(out.hr, 0) << out.description;
  EXPECT_EQ(out.result.v.vt, c.resultType);
}

constexpr uint16_t G = KPX_DISPATCH_PROPERTYGET;
constexpr uint16_t M = KPX_DISPATCH_METHOD;

const ReadCase kReads[] = {
    {"wizard", "Source", 0x6803000B, G, KPX_VT_DISPATCH, {}},
    {"wizard", "Destination", 0x6803000A, G, KPX_VT_DISPATCH, {}},
    {"wizard", "Transformations", 0x68030009, G, KPX_VT_DISPATCH, {}},
    {"wizard", "ExecutedMapping", 0x68030000, G, KPX_VT_BOOL, {}},
    {"wizard", "ActivateWizard", 0x6003000E, M, KPX_VT_BOOL, {}},
    {"wizard", "Execute", 0x60030010, M, KPX_VT_BOOL, {}},
    {"wizard", "Mapping", 0x60030011, M, KPX_VT_BOOL, {}},
    {"wizard", "LoadFromINIFile", 0x60030015, M, KPX_VT_BOOL, {"/nonexistent/kpx.ini"}},
    {"wizard", "SaveIntoINIFile", 0x60030016, M, KPX_VT_BOOL, {"/nonexistent/dir/kpx.ini"}},
    {"connection", "Columns", 0x68030014, G, KPX_VT_DISPATCH, {}},
    {"connection", "id", 0x68030005, G, KPX_VT_I2, {}},
    {"connection", "ModeText", 0x68030004, G, KPX_VT_I2, {}},
    {"connection", "ProviderString", 0x68030002, G, KPX_VT_BSTR, {}},
    {"connection", "CreateConnectionString", 0x6003001A, M, KPX_VT_BSTR, {}},
    {"connection", "ResetConnection", 0x6003001B, M, KPX_VT_EMPTY, {}},
    {"column", "Column", 0x68030000, G, KPX_VT_DISPATCH, {}},
    {"columns", "Count", 0x68030000, G, KPX_VT_I4, {}},
    {"columns", "Add", 0x60030005, M, KPX_VT_DISPATCH, {"C2"}},
    {"columns", "ExistItem", 0x60030006, M, KPX_VT_BOOL, {"C1"}},
    {"columns", "Item", 0, M, KPX_VT_DISPATCH, {"C1"}},
    {"columns", "Remove", 0x60030007, M, KPX_VT_EMPTY, {"C1"}},
    {"columns", "NewEnum", -4, G, KPX_VT_UNKNOWN, {}},
    {"transformation", "SourceFields", 0x68030001, G, KPX_VT_DISPATCH, {}},
    {"transformation", "DestinationFields", 0x68030000, G, KPX_VT_DISPATCH, {}},
    {"transformations", "Count", 0x68030000, G, KPX_VT_I4, {}},
    {"transformations", "Add", 0x60030004, M, KPX_VT_DISPATCH, {"T1"}},
    {"transformations", "ExistItem", 0x60030006, M, KPX_VT_BOOL, {"T1"}},
    {"transformations", "Reset", 0x60030007, M, KPX_VT_EMPTY, {}},
    {"transformations", "Clone", 0x60030008, M, KPX_VT_DISPATCH, {}},
    {"transformations", "NewEnum", -4, M, KPX_VT_UNKNOWN, {}},
};

INSTANTIATE_TEST_SUITE_P(GetOnlyAndMethods, MemberReach, ::testing::ValuesIn(kReads),
                         [](const auto& info) {
                           return std::string(info.param.owner) + "_" + info.param.name;
                         });

TEST_F(AutomationObjects, RemainingMembersAnswerToTheirIds) {
  struct Id {
    const char* owner;
    const char* name;
    int32_t dispid;
  };
  const Id ids[] = {{"wizard", "BuildColumns", 0x6003000F}, {"wizard", "CloseWizard", 0x60030017},
                    {"connection", "LetPropertyClass", 0x60030019},
                    {"connection", "Provider", 0x68030001}, {"columns", "AddColumn", 0x60030004},
                    {"transformations", "Item", 0}, {"transformations", "Remove", 0x60030005}};
  for (const Id& id : ids) EXPECT_EQ(dispidOf(object(id.owner), id.name), id.dispid) << id.name;
}

TEST_F(AutomationObjects, ProviderIsWriteOnlyAndSetsKindAndProvider) {
  KPX_OBJECT* c = object("connection");
  EXPECT_EQ(put(c, "Provider", Var(int32_t{2})), 0);
  EXPECT_EQ(get(c, "Provider").hr, static_cast<int32_t>(0x80020003));
  EXPECT_EQ(get(c, "ConType").result.v.u.lVal, 2);
  EXPECT_EQ(get(c, "ProviderString").result.text(), "SQLOLEDB");
}

TEST_F(AutomationObjects, BuildColumnsTakesTwoConnections) {
  KPX_OBJECT* w = object("wizard");
  Outcome source = get(w, "Source");
  Outcome destination = get(w, "Destination");
  Outcome out = call(w, "BuildColumns",
                     argList(Var(source.result.v.u.pdispVal), Var(destination.result.v.u.pdispVal)));
  ASSERT_EQ(out.hr, 0);
  EXPECT_EQ(out.result.v.vt, KPX_VT_I2);
  EXPECT_EQ(call(w, "BuildColumns", argList(Var("x"), Var("y"))).hr,
            static_cast<int32_t>(0x80020005));
}

TEST_F(AutomationObjects, CloseWizardDropsTheCurrentWizard) {
  ASSERT_NE(oWizard(), nullptr);
  EXPECT_EQ(call(object("wizard"), "CloseWizard").hr, 0);
  EXPECT_EQ(oWizard(), nullptr);
}

TEST_F(AutomationObjects, PutByReferenceReplacesTheObjectItself) {
  Handle replacement = create("KPXWizardIO.clsTransformations");
  ASSERT_EQ(putRef(object("wizard"), "Transformations", replacement.get()), 0);
  Outcome got = get(object("wizard"), "Transformations");
  EXPECT_EQ(got.result.v.u.pdispVal, replacement.get());

  Outcome columns = get(object("connection"), "Columns");
  ASSERT_EQ(putRef(object("transformation"), "SourceFields", columns.result.v.u.pdispVal), 0);
  EXPECT_EQ(get(object("transformation"), "SourceFields").result.v.u.pdispVal,
            columns.result.v.u.pdispVal);
}

TEST_F(AutomationObjects, ColumnAddedThroughTheCollectionIsTheConnectionsColumn) {
  Outcome viaItem = call(object("columns"), "Item", argList(Var("c1")));
  EXPECT_EQ(viaItem.result.v.u.pdispVal, object("column"));
  Outcome self = get(object("column"), "Column");
  EXPECT_EQ(self.result.v.u.pdispVal, object("column"));
}

}  // namespace
}  // namespace kpx::test
