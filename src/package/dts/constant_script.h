// The VBScript of a constant transformation, read once before a run: a function that sets
// destination columns to literals and returns DTSTransformStat_OK.
//
//   Function Main()
//      DTSDestination("CODE")="7"
//      Main = DTSTransformStat_OK
//   End Function
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::dts {

struct ScriptAssignment {
  std::string column;
  std::string value;    // the literal's text ("" doubled quotes read as one)
  bool isNull = false;  // the literal was Null
};

// Text that is not such a function: the description says the line and what is wrong.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The assignments of the function named `functionEntry`, in order. Keywords and names
// compare without regard to case; blank lines and ' comments are skipped; a literal is a
// string, a number or Null. Throws ScriptError for anything else.
std::vector<ScriptAssignment> parseConstantScript(std::string_view text,
                                                  std::string_view functionEntry);

}  // namespace kpx::dts
