// Small pieces shared by the SQLite reader, catalog and writer.
#pragma once
#include <sqlite3.h>

#include <string>

namespace kpx::data {

// A name in double quotes, inner quotes doubled.
inline std::string quoteName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// A prepared statement finalized on scope exit.
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  Statement() = default;
  Statement(Statement&& o) noexcept : stmt(o.stmt) { o.stmt = nullptr; }
  Statement& operator=(Statement&&) = delete;
  ~Statement() { sqlite3_finalize(stmt); }
};

}  // namespace kpx::data
