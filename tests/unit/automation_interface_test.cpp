// The automation interface: objects created by ProgID or class identifier; calls through the
// dispatch interface: how failures reach the host, how argument types are coerced,
// put-by-reference, events and message boxes. The keyed collections behind the object model:
// keys, positions, removal and the clone of the transformations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kpxwizard/messages.h"
#include "kpxwizard/transformations.h"
#include "kpxwizard/wizard.h"
#include "support/automation_client.h"
#include "support/recording_sink.h"

namespace kpx::test {
namespace {

constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);
constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
constexpr int32_t kException = static_cast<int32_t>(0x80020009);
constexpr int32_t kOverflow = static_cast<int32_t>(0x8002000A);
constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);

class AutomationCalls : public ::testing::Test {
 protected:
  void TearDown() override {
    if (auto w = oWizard()) w->CloseWizard();
  }
  // A collection holding members named after `keys`, in that order.
  Handle transformationsWith(const std::vector<std::string>& keys) {
    Handle list = create("KPXWizardIO.clsTransformations");
    for (const auto& k : keys) EXPECT_EQ(call(list.get(), "Add", argList(Var(k))).hr, 0);
    return list;
  }

  ScopedRecordingSink m_sink;
};

TEST_F(AutomationCalls, MissingItemIsAnExceptionWithNumberSourceAndDescription) {
  Handle list = transformationsWith({"A"});
  Outcome out = call(list.get(), "Item", argList(Var("  X ")));
  EXPECT_EQ(out.hr, kException);
  EXPECT_EQ(out.scode, -2147221503);
  EXPECT_EQ(out.source, "clsTransformations");
  EXPECT_EQ(out.description, "Item <X> not found !");
  EXPECT_EQ(out.result.v.vt, KPX_VT_EMPTY);

  Outcome byPosition = call(list.get(), "Item", argList(Var(int32_t{2})));
  EXPECT_EQ(byPosition.scode, -2147221503);
  EXPECT_EQ(byPosition.description, "Item <2> not found !");

  Handle connection = create("KPXWizardIO.clsConnection");
  Outcome columnsOut = get(connection.get(), "Columns");
  Handle columns = Handle::from(columnsOut.result);
  Outcome column = call(columns.get(), "Item", argList(Var()));
  EXPECT_EQ(column.source, "clsColumns");
  EXPECT_EQ(column.description, "Item <> not found !");
}

TEST_F(AutomationCalls, WrongCountKindIdOrNameIsRefused) {
  Handle c = create("KPXWizardIO.clsConnection");
  EXPECT_EQ(invoke(c.get(), "Server", KPX_DISPATCH_PROPERTYPUT).hr, kBadParamCount);
  EXPECT_EQ(call(c.get(), "CreateConnectionString", argList(Var("x"))).hr, kBadParamCount);
  // A read-only property has no put, a method no put, a value property no put-by-reference.
  EXPECT_EQ(put(c.get(), "id", Var(int16_t{1})), kMemberNotFound);
  EXPECT_EQ(put(c.get(), "ResetConnection", Var(int16_t{1})), kMemberNotFound);
  EXPECT_EQ(invoke(c.get(), "Server", KPX_DISPATCH_PROPERTYPUTREF, argList(Var("S"))).hr,
            kMemberNotFound);
  EXPECT_EQ(invokeId(c.get(), 0x12345, KPX_DISPATCH_PROPERTYGET).hr, kMemberNotFound);
  int32_t id = 0;
  EXPECT_EQ(kpxGetIDsOfNames(c.get(), "NoSuchMember", &id), kUnknownName);
  // Combined flags, as script hosts send them, reach a get and a method alike.
  constexpr uint16_t kBoth = KPX_DISPATCH_METHOD | KPX_DISPATCH_PROPERTYGET;
  EXPECT_EQ(invoke(c.get(), "Server", kBoth).hr, 0);
  EXPECT_EQ(invoke(c.get(), "CreateConnectionString", kBoth).hr, 0);
}

TEST_F(AutomationCalls, PutByReferenceReplacesTheObjectItself) {
  Handle wizard = create("KPXWizardIO.cKPXWizard");
  Handle replacement = create("KPXWizardIO.clsTransformations");
  ASSERT_EQ(putRef(wizard.get(), "Transformations", replacement.get()), 0);
  EXPECT_EQ(get(wizard.get(), "Transformations").result.v.u.pdispVal, replacement.get());
}

TEST_F(AutomationCalls, ArgumentsAreCoercedAsAHostWouldExpect) {
  Handle c = create("KPXWizardIO.clsConnection");
  EXPECT_EQ(put(c.get(), "SkipRows", Var(int32_t{12})), 0);  // 32-bit into 16-bit
  EXPECT_EQ(get(c.get(), "SkipRows").result.v.u.iVal, 12);
  EXPECT_EQ(put(c.get(), "SkipRows", Var(" 7 ")), 0);  // numeric text
  EXPECT_EQ(get(c.get(), "SkipRows").result.v.u.iVal, 7);
  EXPECT_EQ(put(c.get(), "SkipRows", Var(int32_t{40000})), kOverflow);
  EXPECT_EQ(put(c.get(), "SkipRows", Var("seven")), kTypeMismatch);
  EXPECT_EQ(put(c.get(), "CreatedDestinationTable", Var(int32_t{1})), 0);  // non-zero is true
  EXPECT_EQ(get(c.get(), "CreatedDestinationTable").result.v.u.boolVal, -1);
  EXPECT_EQ(put(c.get(), "Server", Var(int16_t{42})), 0);  // a number as text
  EXPECT_EQ(get(c.get(), "Server").result.text(), "42");
  Handle other = create("KPXWizardIO.clsConnection");
  EXPECT_EQ(put(c.get(), "Server", Var(other.get())), kTypeMismatch);

  // By reference, as a host passes its variables; Provider, which sets the kind, is write-only.
  int32_t kind = 4;
  Var byRef;
  byRef.v.vt = KPX_VT_I4 | KPX_VT_BYREF;
  byRef.v.u.plVal = &kind;
  EXPECT_EQ(put(c.get(), "Provider", std::move(byRef)), 0);
  EXPECT_EQ(get(c.get(), "Provider").hr, kMemberNotFound);
  EXPECT_EQ(get(c.get(), "ConType").result.v.u.lVal, 4);
  EXPECT_EQ(get(c.get(), "ProviderString").result.text(), "DTSFlatFile");
}

struct EventLog {
  std::vector<int32_t> dispids;
  std::vector<std::vector<std::string>> texts;
  std::vector<int32_t> numbers;
  bool cancel = false;
};

void recordEvent(void* context, int32_t dispid, uint32_t nargs, KPX_VARIANT* args) {
  auto* log = static_cast<EventLog*>(context);
  log->dispids.push_back(dispid);
  std::vector<std::string> texts;
  for (uint32_t k = 0; k < nargs; ++k) {
    if (args[k].vt == KPX_VT_BSTR) {
      char* s = kpxBstrToUTF8(args[k].u.bstrVal);
      texts.emplace_back(s);
      kpxFree(s);
    } else if (args[k].vt == KPX_VT_I4) {
      log->numbers.push_back(args[k].u.lVal);
    } else if (args[k].vt == (KPX_VT_BOOL | KPX_VT_BYREF) && log->cancel) {
      *args[k].u.pboolVal = -1;
    }
  }
  log->texts.push_back(texts);
}

TEST_F(AutomationCalls, EventsReachTheCallbackAndTheHostCanCancel) {
  Handle wizard = create("KPXWizardIO.cKPXWizard");
  auto model = oWizard();
  EventLog log;
  uint32_t cookie = 0;
  ASSERT_EQ(kpxAdvise(wizard.get(), recordEvent, &log, &cookie), 0);

  model->raiseOnStart("Step1");
  model->raiseOnProgress("Step1", "rows", 50, 1000, 0);
  bool cancel = false;
  model->raiseOnQueryCancel("Step1", cancel);
  EXPECT_FALSE(cancel);
  log.cancel = true;
  model->raiseOnQueryCancel("Step1", cancel);
  EXPECT_TRUE(cancel);
  model->raiseOnFinish("Step1");

  EXPECT_EQ(log.dispids, (std::vector<int32_t>{1, 2, 4, 4, 3}));
  EXPECT_EQ(log.texts[1], (std::vector<std::string>{"Step1", "rows"}));
  EXPECT_EQ(log.numbers, (std::vector<int32_t>{50, 1000, 0}));

  EXPECT_EQ(kpxUnadvise(wizard.get(), cookie), 0);
  model->raiseOnStart("Step2");
  EXPECT_EQ(log.dispids.size(), 5u);

  Handle connection = create("KPXWizardIO.clsConnection");
  EXPECT_NE(kpxAdvise(connection.get(), recordEvent, &log, &cookie), 0);
}

struct BoxLog {
  std::vector<std::string> texts;
  std::vector<int32_t> styles;
  std::vector<std::string> titles;
  int32_t answer = 6;
};

int32_t answerBox(void* context, const char* text, int32_t style, const char* title) {
  auto* log = static_cast<BoxLog*>(context);
  log->texts.emplace_back(text);
  log->styles.push_back(style);
  log->titles.emplace_back(title);
  return log->answer;
}

TEST_F(AutomationCalls, MessageHandlerAnswersEveryBoxUntilRemoved) {
  Handle wizard = create("KPXWizardIO.cKPXWizard");
  ASSERT_EQ(put(wizard.get(), "AppName", Var("Importa è")), 0);
  BoxLog log;
  kpxSetMessageHandler(answerBox, &log);
  EXPECT_EQ(ShowMessage("Continuare?", vbQuestionYesNo), vbYes);
  // A trapped failure inside a method shows the standard error report through the handler.
  EXPECT_EQ(call(wizard.get(), "ActivateWizard").result.v.u.boolVal, 0);
  kpxSetMessageHandler(nullptr, nullptr);
  EXPECT_EQ(ShowMessage("after", vbExclamation), vbOK);

  ASSERT_EQ(log.texts.size(), 2u);
  EXPECT_EQ(log.texts[0], "Continuare?");
  EXPECT_EQ(log.styles, (std::vector<int32_t>{36, 16}));
  EXPECT_EQ(log.titles[0], "Importa è");
  EXPECT_NE(log.texts[1].find("Located in : ActivateWizard [cKPXWizard] "), std::string::npos);
}

// The four classes are created by ProgID or class identifier in any case, each answering for a
// member only it has; other names are unknown.
TEST(ClassFactoryRules, OnlyTheFourClassesAreCreatedByNameOrIdInAnyCase) {
  const char* const creatable[][3] = {
      {"KPXWizardIO.cKPXWizard", "{CA929CBC-52CF-4EE1-9C8F-7675E76F6D68}", "LockSource"},
      {"KPXWizardIO.clsConnection", "{C8764D99-F2DD-4604-828B-7D2C40E527F7}", "ConType"},
      {"KPXWizardIO.clsTransformations", "{C2AF6858-58B4-405E-B0D7-45E6DE33DAE2}", "Clone"},
      {"KPXWizardIO.clsTransformation", "{01BB8BFA-0896-4444-A4CA-6E686C4D153E}", "ConstantValue"}};
  for (const auto& [progId, clsid, member] : creatable) {
    for (std::string name : {std::string(progId), std::string(clsid)}) {
      for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      KPX_OBJECT* o = nullptr;
      ASSERT_EQ(kpxCreateObject(name.c_str(), &o), 0) << name;
      int32_t id = 0;
      EXPECT_EQ(kpxGetIDsOfNames(o, member, &id), 0) << name;
      EXPECT_EQ(kpxRelease(o), 0u);
    }
  }
  if (auto w = oWizard()) w->CloseWizard();
  const char* unknown[] = {"KPXWizardIO.clsPackage", "cKPXWizard", "",
                           "{00000000-0000-0000-0000-000000000000}", "{CA929CBC-52CF}"};
  for (const char* name : unknown) {
    KPX_OBJECT* o = nullptr;
    EXPECT_EQ(kpxCreateObject(name, &o), kClassNotRegistered) << name;
  }
}

// Both collections follow one pattern; run the same checks on each.
template <typename Collection>
class KeyedCollectionTest : public ::testing::Test {};
using Collections = ::testing::Types<clsColumns, clsTransformations>;
TYPED_TEST_SUITE(KeyedCollectionTest, Collections);

TYPED_TEST(KeyedCollectionTest, KeysIgnoreCaseAndMustBeUnique) {
  TypeParam c;
  auto code = c.Add("Code");
  EXPECT_EQ(c.Item("CODE"), code);
  EXPECT_THROW(c.Add("code"), AutomationError);
  auto accented = c.Add("Città");
  EXPECT_EQ(c.Item("CITTÀ"), accented);
}

TYPED_TEST(KeyedCollectionTest, PositionsRunFromOneInInsertionOrder) {
  TypeParam c;
  auto a = c.Add("a");
  auto b = c.Add("b");
  EXPECT_EQ(c.Item(1), a);
  EXPECT_EQ(c.Item(2), b);
  // The error a host sees is checked through the dispatch interface (AutomationCalls).
  EXPECT_THROW(c.Item(3), AutomationError);
  EXPECT_THROW(c.Item(0), AutomationError);
}

TYPED_TEST(KeyedCollectionTest, RemoveByPositionOrKey) {
  TypeParam c;
  c.Add("a");
  c.Add("b");
  c.Add("c");
  c.Remove("B");
  c.Remove(1);
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(1)->Name(), "c");
  EXPECT_THROW(c.Remove("missing"), AutomationError);
  EXPECT_THROW(c.Remove(5), AutomationError);
  EXPECT_EQ(c.Count(), 1);
}

// The clone is made of the current wizard's transformations.
TEST_F(AutomationCalls, CloneCopiesDeeplyAndIndependently) {
  auto wizard = cKPXWizard::create();
  auto& source = *wizard->Transformations();
  auto t = source.Add("Total");
  t->setTransformationType(kpxConstantColumn);
  t->setConstantValue("42");
  auto d = t->DestinationFields()->Add("Total");
  d->setSize(10);
  t->SourceFields()->Add("Amount")->setSize(8);

  auto copy = source.Clone();
  auto c = copy->Item("total");
  EXPECT_NE(c, t);
  EXPECT_EQ(c->TransformationType(), kpxConstantColumn);
  EXPECT_EQ(c->ConstantValue(), "42");
  auto cd = c->DestinationFields()->Item("Total");
  EXPECT_EQ(cd->Size(), 10);
  EXPECT_EQ(c->SourceFields()->Item(1)->Size(), 8);

  cd->setSize(99);
  EXPECT_EQ(d->Size(), 10);
}

}  // namespace
}  // namespace kpx::test
