// Where a transfer hands each source row it refuses, with the values it read, so that a host
// can write them out for a user to correct and load again.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kpx {

class RejectedRowSink {
 public:
  virtual ~RejectedRowSink() = default;
  // The source's columns, once it is open and before its first row.
  virtual void SourceColumns(const std::vector<std::string>& names) = 0;
  // `values`: the row's source values as text, one per source column (none when the row could
  // not be read at all); `reason`: why it was refused, as the error log words it.
  virtual void RowRejected(int64_t rowNumber, const std::vector<std::string>& values,
                           const std::string& reason) = 0;
};

}  // namespace kpx
