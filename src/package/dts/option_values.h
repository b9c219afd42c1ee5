// The option values a package, a transformation and the data pump are set up with. Most are
// kept as set and only reported back; the row counts drive the pump.
#pragma once
#include <cstdint>

namespace kpx::dts {

// Package
inline constexpr int32_t kPriorityClassNormal = 2;
inline constexpr int32_t kMaxConcurrentSteps = 4;
inline constexpr int32_t kIsolationReadCommitted = 4096;

// Transformation: every data conversion allowed; runs in the transform phase.
inline constexpr int32_t kTransformFlagsDefault = 63;
inline constexpr int32_t kTransformPhaseTransform = 4;
inline constexpr int32_t kInMemoryBlobSize = 1048576;

// Data pump
inline constexpr int32_t kProgressRowCount = 1000;  // progress and cancel polls, in rows
inline constexpr int32_t kMaximumErrorCount = 100;  // failed rows a step survives
inline constexpr int32_t kFastLoadCheckConstraints = 2;
inline constexpr int32_t kExceptionFileOptions = 2;

}  // namespace kpx::dts
