// The error a host receives from the component: a number, the name of what raised it
// and a description, as an automation error carries them.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "kpxwizard/export.h"

namespace kpx {

// Error numbers of the object-defined range the system raises (0x80040000 + n).
inline constexpr int32_t kErrItemNotFound = -2147221503;      // 0x80040001
inline constexpr int32_t kErrSameConnections = -2147221502;   // 0x80040002
inline constexpr int32_t kErrConnectionNotSet = -2147221501;  // 0x80040003
// Number given to failures that carry no number of their own (E_FAIL).
inline constexpr int32_t kErrUnspecified = -2147467259;

class KPX_API AutomationError : public std::runtime_error {
 public:
  AutomationError(int32_t number, std::string source, std::string description)
      : std::runtime_error(description),
        m_number(number),
        m_source(std::move(source)),
        m_description(std::move(description)) {}

  int32_t number() const noexcept { return m_number; }
  const std::string& source() const noexcept { return m_source; }
  const std::string& description() const noexcept { return m_description; }

 private:
  int32_t m_number;
  std::string m_source;
  std::string m_description;
};

}  // namespace kpx
