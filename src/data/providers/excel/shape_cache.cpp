#include "data/providers/excel/shape_cache.h"

#include "data/providers/file_stamp.h"

#include <deque>
#include <mutex>

namespace kpx::data::excel {
namespace {

struct Entry {
  std::string key;
  SheetShape shape;
  std::unique_ptr<RowSpool> rows;
};

// A handful of sheets is all a run reads; older ones go first.
constexpr size_t kKept = 16;

std::mutex g_mutex;
std::deque<Entry> g_entries;

std::string keyOf(const std::string& identity, size_t index, bool header) {
  return identity + "/" + std::to_string(index) + (header ? "/h" : "/-");
}

}  // namespace

std::string fileIdentity(const std::string& path) {
  const std::optional<FileStamp> stamp = stampOf(path);
  return stamp ? stamp->key() : std::string();
}

std::optional<SheetShape> knownShape(const std::string& identity, size_t index, bool header) {
  if (identity.empty()) return std::nullopt;
  const std::string key = keyOf(identity, index, header);
  std::lock_guard lock(g_mutex);
  for (const Entry& e : g_entries)
    if (e.key == key) return e.shape;
  return std::nullopt;
}

void rememberShape(const std::string& identity, size_t index, bool header, const SheetShape& shape,
                   std::unique_ptr<RowSpool> rows) {
  if (identity.empty()) return;
  std::lock_guard lock(g_mutex);
  for (Entry& e : g_entries) e.rows.reset();
  g_entries.push_back({keyOf(identity, index, header), shape, std::move(rows)});
  if (g_entries.size() > kKept) g_entries.pop_front();
}

std::unique_ptr<RowSpool> takeRows(const std::string& identity, size_t index, bool header) {
  if (identity.empty()) return nullptr;
  const std::string key = keyOf(identity, index, header);
  std::lock_guard lock(g_mutex);
  for (Entry& e : g_entries)
    if (e.key == key) return std::move(e.rows);
  return nullptr;
}

}  // namespace kpx::data::excel
