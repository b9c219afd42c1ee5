// Creating objects by ProgID and class identifier, the class factory and unloading.
#include <gtest/gtest.h>

#include "kpxwizard/wizard.h"
#include "support/automation_client.h"
#include "support/recording_sink.h"

namespace kpx::test {
namespace {

constexpr int32_t kClassNotAvailable = static_cast<int32_t>(0x80040111);
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);

struct CreatableCase {
  const char* progId;
  const char* clsid;
  const char* memberName;  // a member only this class has
};

class CreatableClass : public ::testing::TestWithParam<CreatableCase> {
 protected:
  void TearDown() override {
    if (auto w = oWizard()) w->CloseWizard();
  }
};

TEST_P(CreatableClass, CreatedByProgIdOrClassIdInAnyCase) {
  const auto& c = GetParam();
  for (std::string name : {std::string(c.progId), std::string(c.clsid)}) {
    for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    KPX_OBJECT* o = nullptr;
    ASSERT_EQ(kpxCreateObject(name.c_str(), &o), 0) << name;
    int32_t id = 0;
    EXPECT_EQ(kpxGetIDsOfNames(o, c.memberName, &id), 0) << name;
    EXPECT_EQ(kpxRelease(o), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    FourClasses, CreatableClass,
    ::testing::Values(CreatableCase{"KPXWizardIO.cKPXWizard",
                                    "{CA929CBC-52CF-4EE1-9C8F-7675E76F6D68}", "LockSource"},
                      CreatableCase{"KPXWizardIO.clsConnection",
                                    "{C8764D99-F2DD-4604-828B-7D2C40E527F7}", "ConType"},
                      CreatableCase{"KPXWizardIO.clsTransformations",
                                    "{C2AF6858-58B4-405E-B0D7-45E6DE33DAE2}", "Clone"},
                      CreatableCase{"KPXWizardIO.clsTransformation",
                                    "{01BB8BFA-0896-4444-A4CA-6E686C4D153E}", "ConstantValue"}),
    [](const auto& info) { return std::string(info.param.progId).substr(12); });

TEST(ClassFactoryRules, ColumnClassesAreNotCreatableAndUnknownNamesAreNotRegistered) {
  const char* notCreatable[] = {"KPXWizardIO.clsColumns", "KPXWizardIO.clsColumn",
                                "{BEA8FD19-F99E-44E4-9FB6-C6AC9E19B1FE}",
                                "{8ef2f1c9-055e-4e95-b6a0-2e7fdd9d8da9}"};
  for (const char* name : notCreatable) {
    KPX_OBJECT* o = reinterpret_cast<KPX_OBJECT*>(1);
    EXPECT_EQ(kpxCreateObject(name, &o), kClassNotAvailable) << name;
    EXPECT_EQ(o, nullptr);
  }
  const char* unknown[] = {"KPXWizardIO.clsPackage", "cKPXWizard", "",
                           "{00000000-0000-0000-0000-000000000000}", "{CA929CBC-52CF}"};
  for (const char* name : unknown) {
    KPX_OBJECT* o = nullptr;
    EXPECT_EQ(kpxCreateObject(name, &o), kClassNotRegistered) << name;
  }
  const KPX_GUID columns{
      0xBEA8FD19, 0xF99E, 0x44E4, {0x9F, 0xB6, 0xC6, 0xAC, 0x9E, 0x19, 0xB1, 0xFE}};
  const KPX_GUID iUnknown{0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  void* factory = nullptr;
  EXPECT_EQ(DllGetClassObject(&columns, &iUnknown, &factory), kClassNotAvailable);
}

TEST(ClassFactoryRules, UnloadOnlyWithoutLiveObjectsOrLocks) {
  ScopedRecordingSink sink;
  ASSERT_EQ(DllCanUnloadNow(), 0);
  {
    Handle connection = create("KPXWizardIO.clsConnection");
    Outcome columns = get(connection.get(), "Columns");
    connection = Handle();
    EXPECT_EQ(DllCanUnloadNow(), 1) << "the columns handle is still held";
  }
  EXPECT_EQ(DllCanUnloadNow(), 0);

  const KPX_GUID wizard{
      0xCA929CBC, 0x52CF, 0x4EE1, {0x9C, 0x8F, 0x76, 0x75, 0xE7, 0x6F, 0x6D, 0x68}};
  const KPX_GUID iUnknown{0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  void* raw = nullptr;
  ASSERT_EQ(DllGetClassObject(&wizard, &iUnknown, &raw), 0);
  auto* factory = static_cast<KPX_OBJECT*>(raw);
  EXPECT_EQ(invokeId(factory, 2, KPX_DISPATCH_METHOD, argList(Var(true))).hr, 0);
  kpxRelease(factory);
  EXPECT_EQ(DllCanUnloadNow(), 1) << "the server is locked";
  ASSERT_EQ(DllGetClassObject(&wizard, &iUnknown, &raw), 0);
  factory = static_cast<KPX_OBJECT*>(raw);
  EXPECT_EQ(invokeId(factory, 2, KPX_DISPATCH_METHOD, argList(Var(false))).hr, 0);
  kpxRelease(factory);
  EXPECT_EQ(DllCanUnloadNow(), 0);
  if (auto w = oWizard()) w->CloseWizard();
}

}  // namespace
}  // namespace kpx::test
