// Creating objects by ProgID and class identifier, the class factory, unloading, and
// registration of the identities in the registry file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST_P(CreatableClass, ClassFactoryCreatesTheClass) {
  const auto& c = GetParam();
  KPX_GUID clsid{};
  std::string text = c.clsid;
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} parsed by hand, independent of the component.
  clsid.Data1 = static_cast<uint32_t>(std::stoul(text.substr(1, 8), nullptr, 16));
  clsid.Data2 = static_cast<uint16_t>(std::stoul(text.substr(10, 4), nullptr, 16));
  clsid.Data3 = static_cast<uint16_t>(std::stoul(text.substr(15, 4), nullptr, 16));
  std::string tail = text.substr(20, 4) + text.substr(25, 12);
  for (int i = 0; i < 8; ++i)
    clsid.Data4[i] = static_cast<uint8_t>(std::stoul(tail.substr(i * 2, 2), nullptr, 16));
  const KPX_GUID iClassFactory{0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const KPX_GUID iOther{0x12345678, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  void* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(&clsid, &iClassFactory, &factory), 0);
  Handle owner(static_cast<KPX_OBJECT*>(factory));
  Outcome made = invokeId(owner.get(), 1, KPX_DISPATCH_METHOD);
  ASSERT_EQ(made.hr, 0);
  Handle object = Handle::from(made.result);
  int32_t id = 0;
  EXPECT_EQ(kpxGetIDsOfNames(object.get(), c.memberName, &id), 0);
  EXPECT_EQ(DllGetClassObject(&clsid, &iOther, &factory), kNoInterface);
  EXPECT_EQ(factory, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    FourClasses, CreatableClass,
    ::testing::Values(
        CreatableCase{"KPXWizardIO.cKPXWizard", "{CA929CBC-52CF-4EE1-9C8F-7675E76F6D68}", "LockSource"},
        CreatableCase{"KPXWizardIO.clsConnection", "{C8764D99-F2DD-4604-828B-7D2C40E527F7}", "ConType"},
        CreatableCase{"KPXWizardIO.clsTransformations", "{C2AF6858-58B4-405E-B0D7-45E6DE33DAE2}", "Clone"},
        CreatableCase{"KPXWizardIO.clsTransformation", "{01BB8BFA-0896-4444-A4CA-6E686C4D153E}",
                      "ConstantValue"}),
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
  const KPX_GUID columns{0xBEA8FD19, 0xF99E, 0x44E4, {0x9F, 0xB6, 0xC6, 0xAC, 0x9E, 0x19, 0xB1, 0xFE}};
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

  const KPX_GUID wizard{0xCA929CBC, 0x52CF, 0x4EE1, {0x9C, 0x8F, 0x76, 0x75, 0xE7, 0x6F, 0x6D, 0x68}};
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

// Points XDG_DATA_HOME (and HOME) at a fresh folder for one test.
class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = std::filesystem::temp_directory_path() /
             ("kpx_registry_" + std::to_string(::getpid()));
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root / "home");
    if (const char* v = std::getenv("XDG_DATA_HOME")) m_savedXdg = v;
    if (const char* v = std::getenv("HOME")) m_savedHome = v;
    ::setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
    ::setenv("HOME", (m_root / "home").c_str(), 1);
  }
  void TearDown() override {
    restore("XDG_DATA_HOME", m_savedXdg);
    restore("HOME", m_savedHome);
    std::filesystem::remove_all(m_root);
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  static std::string read(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path m_root;
  std::optional<std::string> m_savedXdg, m_savedHome;
};

TEST_F(RegistryFile, RegisterWritesEveryIdentityAndUnregisterRemovesOnlyThem) {
  auto file = m_root / "data" / "kpxwizard" / "registry.ini";
  ASSERT_EQ(DllRegisterServer(), 0);
  std::string text = read(file);
  const char* expected[] = {
      "[TypeLib\\{880B0C9D-B749-42FC-83C5-A051BC99FAA5}]", "Name=KPXWizardIO", "Version=1.0",
      "LCID=409",
      "[CLSID\\{CA929CBC-52CF-4EE1-9C8F-7675E76F6D68}]", "ProgID=KPXWizardIO.cKPXWizard",
      "DefaultInterface={BCADE514-062C-4D97-975F-42E3B69F9C68}",
      "EventInterface={ADA381A9-95B7-468A-B441-56F70CE30FE0}",
      "[ProgID\\KPXWizardIO.clsTransformation]", "CLSID={01BB8BFA-0896-4444-A4CA-6E686C4D153E}",
      "[CLSID\\{8EF2F1C9-055E-4E95-B6A0-2E7FDD9D8DA9}]", "Creatable=No",
      "[Interface\\{347876C6-7568-4F4A-AEA5-1BF40E6E4188}]", "Name=_clsColumns",
      "[Interface\\{ADA381A9-95B7-468A-B441-56F70CE30FE0}]", "Name=__cKPXWizard", "Kind=dispatch"};
  for (const char* line : expected) EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("[ProgID\\KPXWizardIO.clsColumn]"), std::string::npos);

  // Registering twice keeps one copy of each section.
  ASSERT_EQ(DllRegisterServer(), 0);
  std::string twice = read(file);
  EXPECT_EQ(twice, text);

  std::ofstream(file, std::ios::app) << "[HostSettings]\nTheme=dark\n";
  ASSERT_EQ(DllUnregisterServer(), 0);
  EXPECT_EQ(read(file), "[HostSettings]\nTheme=dark\n");
}

TEST_F(RegistryFile, RelativeDataHomeFallsBackToTheHomeFolder) {
  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  ASSERT_EQ(DllRegisterServer(), 0);
  EXPECT_TRUE(std::filesystem::exists(m_root / "home/.local/share/kpxwizard/registry.ini"));
  std::filesystem::remove_all(m_root / "home/.local");
  EXPECT_EQ(DllUnregisterServer(), 0) << "nothing registered is nothing to remove";
}

}  // namespace
}  // namespace kpx::test
