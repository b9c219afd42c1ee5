// Errors of the package engine. Every failure the engine raises carries a number, a source
// and a description, the way the package library's callers read them.
#pragma once
#include <cstdint>
#include <string>

#include "kpxwizard/automation_error.h"

namespace kpx::dts {

// Error numbers the engine raises or records on a step.
inline constexpr int32_t kErrPackageFailed = -2147220440;  // 0x80040428: a step of the run failed
inline constexpr int32_t kErrStepFailed =
    -2147467259;  // 0x80004005: what a step records for a failure
inline constexpr int32_t kErrCancelled = -2147220437;  // 0x8004042B: a sink cancelled the run
inline constexpr int32_t kErrTooManyRowErrors =
    -2147220454;                                       // 0x8004041A: the row error limit was passed
inline constexpr int32_t kErrRowFailed = -2147217887;  // 0x80040E21: one row could not be copied
inline constexpr int32_t kErrNotFound = -2147221503;   // 0x80040001: a list has no such item
inline constexpr int32_t kErrInvalidClass = -2147221005;  // 0x800401F3: an unknown class name

// Sources named in the errors.
inline constexpr const char* kSourcePackage = "DTS Package";
inline constexpr const char* kSourceDataPump = "DTS Data Pump";
inline constexpr const char* kSourceExecuteSQL = "DTS Execute SQL Task";

// An error raised by the engine; the builder may raise it again unchanged.
class DtsError : public kpx::AutomationError {
 public:
  DtsError(int32_t number, std::string source, std::string description)
      : AutomationError(number, std::move(source), std::move(description)) {}
};

}  // namespace kpx::dts
