// Feeds arbitrary bytes to the HTML reader as a page, reads every table back and queries the
// first one, so a page that crashes or hangs the reader or the query engine is found.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/providers/html/html_source.h"
#include "data/providers/sqlite/sqlite_statement.h"
#include "data/query/query_engine.h"
#include "data/query/source_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kpx::data;
  auto source =
      openHtmlText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.html");
  const auto tables = source->tables();
  for (const TableInfo& t : tables) {
    auto reader = source->openTable(t.name);
    const size_t width = source->columns(t.name).size();
    while (reader->next())
      for (size_t i = 0; i < width; ++i) (void)toText(reader->field(i));
  }
  if (!tables.empty()) {
    try {
      auto reader =
          runQueryOver(*source, "SELECT * FROM " + quoteName(tables.front().name) + " ORDER BY 1");
      while (reader->next())
        for (size_t i = 0; i < reader->columns().size(); ++i) (void)reader->field(i);
    } catch (const DataError&) {
      // A table SQLite cannot declare (a column name it refuses) is an error, not a crash.
    }
  }
  return 0;
}
