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
