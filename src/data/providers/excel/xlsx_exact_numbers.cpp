#include "data/providers/excel/xlsx_exact_numbers.h"

#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "data/providers/excel/temporary_file.h"
#include "data/providers/value.h"

namespace kpx::data::excel {
namespace {

// One noted cell as it waits in the list; the longest shortest text of a double
// ("-2.2250738585072014E-308") fits with room to spare.
struct Noted {
  uint32_t row;
  uint32_t column;
  char text[32];
};

// "B12" for row 11, column 1 (both from 0).
std::string cellReference(uint32_t row, uint32_t column) {
  std::string letters;
  for (uint32_t c = column + 1; c > 0; c = (c - 1) / 26)
    letters.insert(letters.begin(), char('A' + (c - 1) % 26));
  return letters + std::to_string(row + 1);
}

// A file that no other process can see and that no killed run leaves behind.
std::FILE* anonymousFile() {
  std::string folder;
  const int fd = unnamedTemporaryFile("kpxwizard-exact", folder);
  if (fd < 0) throw std::runtime_error("a temporary file cannot be made in '" + folder + "'");
  std::FILE* file = ::fdopen(fd, "w+b");
  if (!file) ::close(fd);
  if (!file) throw std::runtime_error("a temporary file cannot be opened");
  return file;
}

void put(std::FILE* out, const char* bytes, size_t size) {
  if (size && std::fwrite(bytes, 1, size, out) != size)
    throw std::runtime_error("a temporary file cannot be written");
}

// Copies the sheet part `in` to `out` with the value texts of the next `count` cells of `list`
// replaced. Only the bytes from the last replacement on are held, so a cell split between
// two reads is still found.
void rewritePart(zip_file_t* in, std::FILE* out, std::FILE* list, uint64_t count,
                 const std::string& part) {
  std::string held;
  size_t from = 0;  // held[0, from) is written already
  bool ended = false;
  char chunk[1 << 16];
  auto readMore = [&](size_t keep) {
    if (ended) return false;
    put(out, held.data() + from, keep - from);
    held.erase(0, keep);
    from = 0;
    const zip_int64_t n = zip_fread(in, chunk, sizeof chunk);
    if (n < 0) throw std::runtime_error("part '" + part + "' of the written workbook is damaged");
    ended = n == 0;
    held.append(chunk, size_t(n));
    return true;
  };
  Noted cell;
  for (uint64_t i = 0; i < count; ++i) {
    if (std::fread(&cell, sizeof cell, 1, list) != 1)
      throw std::runtime_error("a temporary file cannot be read back");
    const std::string marker = "<c r=\"" + cellReference(cell.row, cell.column) + "\"";
    for (;;) {
      const size_t at = held.find(marker, from);
      const size_t open = at == std::string::npos ? at : held.find("<v>", at);
      const size_t close = open == std::string::npos ? open : held.find("</v>", open);
      if (close != std::string::npos) {
        put(out, held.data() + from, open + 3 - from);
        put(out, cell.text, std::strlen(cell.text));
        from = close;
        break;
      }
      // Keep what could be the start of the cell, pass the rest on.
      const size_t keep = at != std::string::npos              ? at
                          : held.size() - from > marker.size() ? held.size() - marker.size()
                                                               : from;
      if (!readMore(keep))
        throw std::runtime_error("cell " + cellReference(cell.row, cell.column) + " of part '" +
                                 part + "' was not written");
    }
  }
  while (readMore(held.size())) {
  }
}

}  // namespace

ExactNumbers::~ExactNumbers() {
  if (m_list) std::fclose(m_list);
}

void ExactNumbers::beginSheet() {
  m_counts.push_back(0);
}

void ExactNumbers::note(uint32_t row, uint32_t column, double number) {
  char sixteen[40];
  std::snprintf(sixteen, sizeof sixteen, "%.16G", number);
  if (std::strtod(sixteen, nullptr) == number) return;
  Noted cell{row, column, {}};
  const std::string exact = toText(Value::fromDouble(number));
  exact.copy(cell.text, sizeof cell.text - 1);
  if (!m_list) m_list = anonymousFile();
  put(m_list, reinterpret_cast<const char*>(&cell), sizeof cell);
  ++m_counts.back();
}

void ExactNumbers::writeInto(const std::string& path) {
  if (!m_list) return;
  if (std::fflush(m_list) != 0) throw std::runtime_error("a temporary file cannot be written");
  std::rewind(m_list);
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &error);
  if (!zip) throw std::runtime_error("the written workbook cannot be opened again");
  try {
    for (size_t s = 0; s < m_counts.size(); ++s) {
      if (m_counts[s] == 0) continue;
      const std::string part = "xl/worksheets/sheet" + std::to_string(s + 1) + ".xml";
      std::unique_ptr<zip_file_t, decltype(&zip_fclose)> in(zip_fopen(zip, part.c_str(), 0),
                                                            zip_fclose);
      if (!in) throw std::runtime_error("the written workbook has no part '" + part + "'");
      std::FILE* out = anonymousFile();
      try {
        rewritePart(in.get(), out, m_list, m_counts[s], part);
        in.reset();  // the part is replaced below
        if (std::fflush(out) != 0) throw std::runtime_error("a temporary file cannot be written");
      } catch (...) {
        std::fclose(out);
        throw;
      }
      // libzip reads the rewritten part when the archive is closed, and closes it then.
      const long size = std::ftell(out);
      std::rewind(out);  // libzip reads from where the file stands
      zip_source_t* source = size < 0 ? nullptr : zip_source_filep(zip, out, 0, size);
      if (!source) std::fclose(out);
      if (!source || zip_file_add(zip, part.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
        if (source) zip_source_free(source);
        throw std::runtime_error(zip_strerror(zip));
      }
    }
    if (zip_close(zip) != 0) throw std::runtime_error(zip_strerror(zip));
  } catch (...) {
    zip_discard(zip);
    throw;
  }
}

}  // namespace kpx::data::excel
