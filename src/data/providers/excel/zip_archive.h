// A zip archive read in place from a ByteFile, its entries inflated piece by piece. An entry
// whose declared size is out of all proportion to its packed size is refused before it is
// inflated, and none is inflated past the size it declares, so that a crafted archive cannot
// make a reader produce gigabytes from a few bytes.
#pragma once
#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>

#include "data/providers/excel/workbook_stream.h"

namespace kpx::data::excel {

class ZipEntry;

class ZipArchive {
 public:
  // Throws std::runtime_error when the bytes are not a readable zip archive.
  explicit ZipArchive(std::shared_ptr<ByteFile> file);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Whether the archive holds `name` (compared without regard to case).
  bool has(const std::string& name) const;
  // Opens `name` for reading; throws std::runtime_error naming it when it is absent, cannot be
  // inflated or looks like a zip bomb.
  std::unique_ptr<ZipEntry> open(const std::string& name) const;

 private:
  std::shared_ptr<ByteFile> m_file;
  zip_t* m_zip = nullptr;
};

class ZipEntry {
 public:
  ZipEntry(zip_file_t* file, std::string name, uint64_t declaredSize);
  ~ZipEntry();
  ZipEntry(const ZipEntry&) = delete;
  ZipEntry& operator=(const ZipEntry&) = delete;

  // Inflates up to `capacity` bytes into `out`; 0 at the end. Throws std::runtime_error naming
  // the entry when it is damaged or grows past its declared size.
  size_t read(char* out, size_t capacity);
  const std::string& name() const { return m_name; }
  // Bytes inflated so far against the declared size.
  ReadProgress progress() const { return {int64_t(m_done), int64_t(m_declared)}; }

 private:
  zip_file_t* m_file;
  std::string m_name;
  uint64_t m_declared;
  uint64_t m_done = 0;
};

}  // namespace kpx::data::excel
