// Assigning connections to the wizard through the C interface: the validation's message box
// reaches the host's handler and its failure reaches the host as an exception.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kpxwizard/wizard.h"
#include "support/automation_client.h"

namespace kpx::test {
namespace {

constexpr int32_t kException = static_cast<int32_t>(0x80020009);

struct Boxes {
  std::vector<std::string> texts;
};

int32_t recordBox(void* context, const char* text, int32_t, const char*) {
  static_cast<Boxes*>(context)->texts.emplace_back(text);
  return 1;
}

class ConnectionAssignment : public ::testing::Test {
 protected:
  void SetUp() override {
    kpxSetMessageHandler(recordBox, &m_boxes);
    m_wizard = create("KPXWizardIO.cKPXWizard");
  }
  void TearDown() override {
    kpxSetMessageHandler(nullptr, nullptr);
    call(m_wizard.get(), "CloseWizard");
  }
  // A connection configured through the interface, as a host would.
  Handle connection(int32_t provider, const std::string& database, const std::string& table) {
    Handle c = create("KPXWizardIO.clsConnection");
    EXPECT_EQ(put(c.get(), "Provider", Var(provider)), 0);
    EXPECT_EQ(put(c.get(), "Database", Var(database)), 0);
    EXPECT_EQ(put(c.get(), "TableName", Var(table)), 0);
    EXPECT_EQ(put(c.get(), "TableType", Var(int32_t{2})), 0);
    return c;
  }

  Boxes m_boxes;
  Handle m_wizard;
};

TEST_F(ConnectionAssignment, DbaseSourceIsRefusedAfterTheFormatMessage) {
  Handle dbase = connection(6, "C:\\data\\clienti.dbf", "clienti");
  Outcome out =
      invoke(m_wizard.get(), "Source", KPX_DISPATCH_PROPERTYPUTREF, argList(Var(dbase.get())));
  EXPECT_EQ(out.hr, kException);
  EXPECT_EQ(out.scode, -2147221503);
  EXPECT_EQ(out.source, "KPX WIZARD IO");
  EXPECT_EQ(out.description, "Parametri Connessione Non Corretti");
  EXPECT_EQ(m_boxes.texts, std::vector<std::string>{"Attention: the format is not recognized !"});

  Outcome source = get(m_wizard.get(), "Source");
  ASSERT_EQ(source.hr, 0);
  EXPECT_EQ(source.result.v.vt, KPX_VT_DISPATCH);
  EXPECT_EQ(source.result.v.u.pdispVal, nullptr) << "a refused source leaves Source empty";
}

}  // namespace
}  // namespace kpx::test
