#include "data/providers/excel/workbook_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/providers/excel/biff_reader.h"
#include "data/providers/excel/biff_writer.h"
#include "data/providers/excel/xlsx_reader.h"
#include "data/providers/excel/xlsx_writer.h"
#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"

namespace kpx::data::excel {
namespace {

std::string lowerExtension(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& c : ext) c = char(std::tolower(uint8_t(c)));
  return ext;
}

std::string stem(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

WorkbookFormat formatForName(const std::string& path) {
  std::string ext = lowerExtension(path);
  return ext == ".xlsx" || ext == ".xlsm" ? WorkbookFormat::Xlsx : WorkbookFormat::Xls;
}

Workbook parseWorkbook(std::string_view bytes, const std::string& singleSheetName) {
  if (looksLikeZip(bytes)) return readXlsx(bytes);
  if (looksLikeXls(bytes)) return readXls(bytes, singleSheetName);
  throw std::runtime_error(bytes.empty() ? "the file is empty"
                                         : "the file is neither an .xls nor an .xlsx workbook");
}

Workbook loadWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw DataError("Excel workbook '" + path + "' cannot be opened: " + std::strerror(errno));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad())
    throw DataError("Excel workbook '" + path + "' cannot be read: " + std::strerror(errno));
  try {
    return parseWorkbook(buffer.view(), stem(path));
  } catch (const std::runtime_error& e) {
    throw DataError("'" + path + "' is not a readable Excel workbook: " + e.what());
  } catch (const std::bad_alloc&) {
    throw DataError("'" + path + "' is too large to read into memory");
  }
}

void saveWorkbook(const Workbook& workbook, const std::string& path, WorkbookFormat format) {
  FileReplacement file(path, "Excel workbook");
  try {
    if (format == WorkbookFormat::Xls) {
      const std::string bytes = writeXls(workbook);
      file.write(bytes.data(), bytes.size());
    } else {
      // The writer opens the file by name; it keeps the mode the file was made with.
      file.closeFile();
      writeXlsx(workbook, file.temporaryPath());
    }
    file.commit();
  } catch (const DataError&) {
    throw;
  } catch (const std::exception& e) {
    throw DataError("Excel workbook '" + path + "' cannot be written: " + e.what() +
                    "; the file is left as it was");
  }
}

}  // namespace kpx::data::excel
