// What the runs of the process have reported: the error events counted since the last
// completed Execute, the last error description, the last package failure text; and the
// helpers that build that failure text.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include "kpxwizard/export.h"

namespace kpx {
namespace dts {
class Package;
}
class ckpx_Error;

// Rows of a database table the user asked to delete: the next transfer into that table deletes
// them inside its own transaction, so that a run that fails or is cancelled leaves them in place.
struct PendingDelete {
  std::string database;
  std::string table;
  std::string sql;
};

struct ExecutionState {
  std::optional<PendingDelete> pendingDelete;
  // Rows the last transfer read, wrote and kept, and rows that failed, as its pump counted them.
  int64_t rowsRead = 0;
  int64_t rowsWritten = 0;
  int64_t rowsFailed = 0;
  int16_t nPackageErrors = 0;
  std::string strLastPackageError;
  std::string strPackageFailure;
};
KPX_WINDOWS_API ExecutionState& executionState();

// "x" + hexadecimal + ",  " + decimal for codes within ±65535; otherwise
// "x" + hexadecimal + ",  x" + hexadecimal with the low 16 bits cleared + " + " + low 16 bits.
std::string FormatErrorNumber(int32_t code);
// For each completed step whose result is failure: CR LF, "Step <name> fallito, errore: ",
// the formatted code, CR LF, the description, CR LF.
std::string CollectStepErrors(const dts::Package& package);
// "Package fallito ! Errore: <number>\r\n<description>\r\n" + the failed steps; stored in
// strPackageFailure.
std::string buildPackageFailure(const ckpx_Error& error, const dts::Package* package);

}  // namespace kpx
