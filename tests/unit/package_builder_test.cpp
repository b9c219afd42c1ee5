#include <gtest/gtest.h>

#include "data/mod_main.h"
#include "kpxwizard/wizard.h"
#include "package/cls_package.h"
#include "package/cls_task.h"
#include "package/dts/package.h"
#include "package/execution_state.h"
#include "support/recording_sink.h"

using namespace kpx;

namespace {

TEST(FormatErrorNumber, SmallCodesShowHexAndDecimal) {
  EXPECT_EQ(FormatErrorNumber(5), "x5,  5");
  EXPECT_EQ(FormatErrorNumber(65535), "xFFFF,  65535");
  EXPECT_EQ(FormatErrorNumber(-1), "xFFFFFFFF,  -1");
  EXPECT_EQ(FormatErrorNumber(-65535), "xFFFF0001,  -65535");
}

TEST(FormatErrorNumber, LargeCodesSplitTheLowWord) {
  EXPECT_EQ(FormatErrorNumber(-2147467259), "x80004005,  x80000000 + 16389");
  EXPECT_EQ(FormatErrorNumber(65536), "x10000,  x10000 + 0");
  EXPECT_EQ(FormatErrorNumber(-65536), "xFFFF0000,  xFFFF0000 + 0");
}

class PackageBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    wizard = cKPXWizard::create();
    modMain::resetState();
  }
  void TearDown() override { wizard->CloseWizard(); }
  dts::Package& package() { return *oPackage(); }
  std::shared_ptr<cKPXWizard> wizard;
  clsTask task;
};

TEST_F(PackageBuilder, NewWizardConfiguresTheSharedPackage) {
  ASSERT_NE(oPackage(), nullptr);
  EXPECT_EQ(package().Name, "KPX Wizard IO");
  EXPECT_EQ(package().Description, "KPX Wizard IO");
  EXPECT_TRUE(package().UseTransaction);
  EXPECT_EQ(package().TransactionIsolationLevel, 4096);
  EXPECT_EQ(package().MaxConcurrentSteps, 4);
  EXPECT_FALSE(package().FailOnError);
}

TEST_F(PackageBuilder, SmallConverters) {
  EXPECT_EQ(clsTask::DescrFirstRow(-1), "True");
  EXPECT_EQ(clsTask::DescrFirstRow(1), "False");
  EXPECT_EQ(clsTask::GetRowDelimiterComboIndex(kpxCRLF), "\r\n");
  EXPECT_EQ(clsTask::GetRowDelimiterComboIndex(kpxVerticalBar), "|");
  EXPECT_EQ(clsTask::GetRowDelimiterComboIndex(7), "-1");
  EXPECT_EQ(clsTask::GetRowDelimiterComboIndex(-1), "-1");
}

std::string properties(const dts::Connection& c) {
  std::string out;
  for (const auto& p : c.ConnectionProperties) out += p.Name + "=" + dts::propertyText(p.Value) + ";";
  return out;
}

TEST_F(PackageBuilder, ConnectionPropertiesFollowTheKind) {
  clsConnection access;
  access.setProvider(CONN_ACCESS);
  access.setDatabase("/d/a.db");
  access.setUser("Admin");
  access.setPassword("pw");
  access.setMode(kpxSource);
  clsConnection text;
  text.setProvider(CONN_TEXTFILE);
  text.setDatabase("/d/a.db");
  text.setMode(kpxDestination);
  text.setFormatFile(kpxFixedFile);
  text.setRowDelimiter(kpxLF);
  text.setColumnDelimiter(";");
  text.setColumnLengths("3,4");
  text.setColumnNames("A,B");
  text.setFirstRow(-1);
  text.setSkipRows(2);
  text.setNumberColumns(2);
  text.setTextQualifier("\"");
  clsConnection server;
  server.setProvider(CONN_SQLServer);
  server.setServer("S1");
  server.setDatabase("Sales");
  server.setUser("U1");
  server.setPassword("p");
  server.setMode(kpxDestination);
  clsConnection excel;
  excel.setProvider(CONN_EXCEL4);
  excel.setDatabase("/d/x.xls");
  clsConnection dbase;
  dbase.setProvider(CONN_dBASE);
  dbase.setDatabase("/d/x.dbf");

  for (auto* c : {&access, &text, &server, &excel, &dbase}) task.CreateDTSConnection(*c);
  auto& list = package().Connections;
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Item(1)->Name, "/d/a.db");
  EXPECT_EQ(list.Item(2)->Name, "/d/a.db");
  EXPECT_EQ(list.Item(1)->ID, 1);
  EXPECT_EQ(list.Item(2)->ID, 2);
  EXPECT_EQ(properties(*list.Item(1)),
            "Data Source=/d/a.db;Mode=1;Jet OLEDB:Database Password=pw;");
  EXPECT_EQ(list.Item(1)->UserID, "Admin");
  EXPECT_EQ(list.Item(1)->Password, "");
  EXPECT_EQ(properties(*list.Item(2)),
            "Skip Rows=2;Column Delimiter=;;Row Delimiter=\n;Column Lengths=3,4;"
            "First Row Column Name=True;File Format=2;Text Qualifier=\";Mode=3;"
            "Number of Column=2;Column Names=A,B;");
  EXPECT_EQ(list.Item(2)->ProviderName, "DTSFlatFile");
  EXPECT_EQ(list.Item(3)->DataSource, "S1");
  EXPECT_EQ(list.Item(3)->Catalog, "Sales");
  EXPECT_EQ(list.Item(3)->Password, "p");
  EXPECT_EQ(properties(*list.Item(3)), "");
  EXPECT_EQ(properties(*list.Item(4)), "Data Source=/d/x.xls;Extended Properties=Excel 4.0;HDR=YES;;");
  EXPECT_EQ(properties(*list.Item(5)), "");
  EXPECT_EQ(list.Item(5)->Name, "/d/x.dbf");
  EXPECT_FALSE(list.Item(5)->UseTrustedConnection);
  EXPECT_TRUE(task.DTSConnectionExists("  /d/x.xls "));
  task.RemoveConnections();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(task.DTSConnectionExists("/d/x.xls"));
}

TEST_F(PackageBuilder, PackageFailureTextListsFailedSteps) {
  auto step = package().NewStep();
  step->Name = "TrasformationStep_Execute";
  step->ExecutionStatus = dts::DTSStepExecStat_Completed;
  step->ExecutionResult = dts::DTSStepExecResult_Failure;
  step->ErrorInfo.ErrorCode = -2147467259;
  step->ErrorInfo.Description = "Row 3: bad date";
  package().Steps.Add(step);
  auto ok = package().NewStep();
  ok->Name = "Other";
  ok->ExecutionStatus = dts::DTSStepExecStat_Completed;
  package().Steps.Add(ok);
  ckpx_Error error;
  error.setNumber(-2147220440);
  error.setDescription("Package failed");
  EXPECT_EQ(buildPackageFailure(error, &package()),
            "Package fallito ! Errore: x80040428,  x80040000 + 1064\r\nPackage failed\r\n"
            "\r\nStep TrasformationStep_Execute fallito, errore: x80004005,  x80000000 + 16389"
            "\r\nRow 3: bad date\r\n");
  EXPECT_EQ(executionState().strPackageFailure.substr(0, 26), "Package fallito ! Errore: ");
  package().Steps.Clear();
}

}  // namespace
