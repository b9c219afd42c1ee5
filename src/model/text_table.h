// The numbered two-language text table compiled into the library from resources/texts.tsv.
#pragma once
#include <cstdint>
#include <string>

namespace kpx {

// The stored text of resource identifier id (1000 + n Italian, 2000 + n English);
// nullptr when there is none.
const std::string* findStoredText(int32_t id);

}  // namespace kpx
