#include "data/providers/excel/workbook_file.h"

#include <new>

#include "data/providers/excel/biff_reader.h"
#include "data/providers/excel/xlsx_reader.h"
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

// Runs `read`, turning what it throws into a DataError naming the workbook.
template <typename Read>
auto namingTheFile(const std::string& path, Read read) {
  try {
    return read();
  } catch (const DataError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw DataError("'" + path + "' is not a readable Excel workbook: " + e.what());
  } catch (const std::bad_alloc&) {
    throw DataError("'" + path + "' is too large to read into memory");
  }
}

class NamedSheetStream : public SheetRowStream {
 public:
  NamedSheetStream(std::string path, std::unique_ptr<SheetRowStream> rows)
      : m_path(std::move(path)), m_rows(std::move(rows)) {}
  bool next(SheetRow& row) override {
    return namingTheFile(m_path, [&] { return m_rows->next(row); });
  }
  ReadProgress progress() const override { return m_rows->progress(); }

 private:
  std::string m_path;
  std::unique_ptr<SheetRowStream> m_rows;
};

class NamedWorkbook : public WorkbookStreams {
 public:
  NamedWorkbook(std::string path, std::unique_ptr<WorkbookStreams> book)
      : m_path(std::move(path)), m_book(std::move(book)) {}
  const std::vector<std::string>& sheetNames() const override { return m_book->sheetNames(); }
  std::unique_ptr<SheetRowStream> openSheet(size_t index) const override {
    auto rows = namingTheFile(m_path, [&] { return m_book->openSheet(index); });
    return std::make_unique<NamedSheetStream>(m_path, std::move(rows));
  }
  std::string formatCode(uint16_t style) const override { return m_book->formatCode(style); }

 private:
  std::string m_path;
  std::unique_ptr<WorkbookStreams> m_book;
};

}  // namespace

WorkbookFormat formatForName(const std::string& path) {
  std::string ext = lowerExtension(path);
  return ext == ".xlsx" || ext == ".xlsm" ? WorkbookFormat::Xlsx : WorkbookFormat::Xls;
}

std::shared_ptr<WorkbookStreams> openWorkbookFile(const std::string& path) {
  std::shared_ptr<ByteFile> file = openByteFile(path);
  auto book = namingTheFile(path, [&]() -> std::unique_ptr<WorkbookStreams> {
    // Enough of the start to tell the formats apart (a compound file's header is 512 bytes).
    std::string start(std::min<uint64_t>(file->size(), 512), '\0');
    file->read(0, start.data(), start.size());
    if (looksLikeZip(start)) return openXlsxStreams(file);
    if (looksLikeXls(start)) return openXlsStreams(file, stem(path));
    throw std::runtime_error(start.empty() ? "the file is empty"
                                           : "the file is neither an .xls nor an .xlsx workbook");
  });
  return std::make_shared<NamedWorkbook>(path, std::move(book));
}

std::unique_ptr<WorkbookStreamWriter> createWorkbookWriter(const std::string& path,
                                                           WorkbookFormat format) {
  return format == WorkbookFormat::Xlsx ? createXlsxStreamWriter(path)
                                        : createXlsStreamWriter(path);
}

}  // namespace kpx::data::excel
