#include "package/execution_state.h"

#include <cstdio>

#include "kpxwizard/messages.h"
#include "package/dts/package.h"

namespace kpx {

ExecutionState& executionState() {
  static ExecutionState state;
  return state;
}

namespace {
std::string hex(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", value);
  return buffer;
}
}  // namespace

std::string FormatErrorNumber(int32_t code) {
  uint32_t bits = static_cast<uint32_t>(code);
  if (code > -65536 && code < 65536) return "x" + hex(bits) + ",  " + std::to_string(code);
  return "x" + hex(bits) + ",  x" + hex(bits & 0xFFFF0000u) + " + " +
         std::to_string(bits & 0xFFFFu);
}

std::string CollectStepErrors(const dts::Package& package) {
  std::string text;
  for (const auto& step : package.Steps) {
    if (step->ExecutionStatus != dts::DTSStepExecStat_Completed ||
        step->ExecutionResult != dts::DTSStepExecResult_Failure)
      continue;
    const auto& info = step->GetExecutionErrorInfo();
    text += "\r\nStep " + step->Name + " fallito, errore: " + FormatErrorNumber(info.ErrorCode) +
            "\r\n" + info.Description + "\r\n";
  }
  return text;
}

std::string buildPackageFailure(const ckpx_Error& error, const dts::Package* package) {
  std::string text = "Package fallito ! Errore: " + FormatErrorNumber(error.Number()) + "\r\n" +
                     error.Description() + "\r\n";
  if (package) text += CollectStepErrors(*package);
  executionState().strPackageFailure = text;
  return text;
}

}  // namespace kpx
