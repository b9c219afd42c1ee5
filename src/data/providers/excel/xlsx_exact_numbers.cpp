#include "data/providers/excel/xlsx_exact_numbers.h"

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "data/providers/value.h"

namespace kpx::data::excel {
namespace {

// "B12" for row 11, column 1 (both from 0).
std::string cellReference(uint32_t row, uint32_t column) {
  std::string letters;
  for (uint32_t c = column + 1; c > 0; c = (c - 1) / 26)
    letters.insert(letters.begin(), char('A' + (c - 1) % 26));
  return letters + std::to_string(row + 1);
}

std::string readPart(zip_t* zip, const std::string& part) {
  zip_stat_t st;
  if (zip_stat(zip, part.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
    throw std::runtime_error("the written workbook has no part '" + part + "'");
  std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen(zip, part.c_str(), 0),
                                                          zip_fclose);
  std::string bytes(st.size, '\0');
  if (!file || zip_fread(file.get(), bytes.data(), st.size) != zip_int64_t(st.size))
    throw std::runtime_error("part '" + part + "' of the written workbook cannot be read back");
  return bytes;
}

}  // namespace

bool needsExactText(double number, std::string& exact) {
  char sixteen[40];
  std::snprintf(sixteen, sizeof sixteen, "%.16G", number);
  if (std::strtod(sixteen, nullptr) == number) return false;
  exact = toText(Value::fromDouble(number));
  return true;
}

void writeExactNumbers(const std::string& path, const std::string& sheetPart,
                       const std::vector<ExactNumber>& numbers) {
  if (numbers.empty()) return;
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), 0, &error);
  if (!zip) throw std::runtime_error("the written workbook cannot be opened again");
  try {
    std::string xml = readPart(zip, sheetPart);
    size_t at = 0;
    for (const ExactNumber& n : numbers) {
      const std::string marker = "<c r=\"" + cellReference(n.row, n.column) + "\"";
      at = xml.find(marker, at);
      size_t open = at == std::string::npos ? at : xml.find("<v>", at);
      size_t close = open == std::string::npos ? open : xml.find("</v>", open);
      if (close == std::string::npos)
        throw std::runtime_error("cell " + cellReference(n.row, n.column) + " of part '" +
                                 sheetPart + "' was not written");
      xml.replace(open + 3, close - open - 3, n.text);
      at = open;
    }
    // libzip frees the buffer with the source, so it gets a copy of its own.
    void* copy = std::malloc(xml.size());
    if (!copy) throw std::bad_alloc();
    std::copy(xml.begin(), xml.end(), static_cast<char*>(copy));
    zip_source_t* source = zip_source_buffer(zip, copy, xml.size(), 1);
    if (!source) {
      std::free(copy);
      throw std::runtime_error(zip_strerror(zip));
    }
    if (zip_file_add(zip, sheetPart.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(source);
      throw std::runtime_error(zip_strerror(zip));
    }
    if (zip_close(zip) != 0) throw std::runtime_error(zip_strerror(zip));
  } catch (...) {
    zip_discard(zip);
    throw;
  }
}

}  // namespace kpx::data::excel
