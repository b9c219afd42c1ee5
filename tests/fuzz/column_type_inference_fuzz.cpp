// Type inference over arbitrary values, one per line: a reason is always given, and a chosen
// numeric or boolean type takes every value the converters are given.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/providers/value.h"
#include "data/text/column_type_inference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> values;
  for (size_t start = 0; start <= input.size();) {
    const size_t end = std::min(input.find('\n', start), input.size());
    values.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  kpx::data::ColumnTypeInference inference;
  for (size_t i = 0; i < values.size(); ++i) inference.add(static_cast<int64_t>(i + 1), values[i]);
  const kpx::data::InferredColumn result = inference.result();
  if (result.reason.empty() || kpx::data::inferredTypeName(result).empty()) __builtin_trap();
  for (std::string_view v : values) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    if (v.empty()) continue;
    int64_t whole = 0;
    double real = 0;
    bool truth = false;
    if (result.type == kpx::data::InferredType::Long && !kpx::data::parseInteger(v, whole))
      __builtin_trap();
    if (result.type == kpx::data::InferredType::Double && !kpx::data::parseDouble(v, real))
      __builtin_trap();
    if (result.type == kpx::data::InferredType::Bit && !kpx::data::parseBoolean(v, truth))
      __builtin_trap();
  }
  return 0;
}
