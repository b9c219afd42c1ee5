#include "data/providers/excel/compound_file.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/text_compare.h"

namespace kpx::data::excel {
namespace {

constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

[[noreturn]] void damaged(const char* what) {
  throw std::runtime_error(std::string("the compound file is damaged: ") + what);
}

// A stream's bytes where its sectors lie in the file; neighbouring sectors are read together,
// so a stream written in one run costs one read per request.
class ChainFile : public ByteFile {
 public:
  ChainFile(std::shared_ptr<ByteFile> file, std::vector<uint32_t> sectors, size_t sectorSize,
            uint64_t size)
      : m_file(std::move(file)), m_sectors(std::move(sectors)), m_unit(sectorSize), m_size(size) {}
  uint64_t size() const override { return m_size; }
  const std::string& path() const override { return m_file->path(); }
  void read(uint64_t offset, void* out, size_t count) const override {
    if (offset > m_size || count > m_size - offset)
      throw std::runtime_error("a read runs past the end of the workbook stream");
    auto* to = static_cast<char*>(out);
    while (count > 0) {
      size_t i = size_t(offset / m_unit);
      size_t within = size_t(offset % m_unit);
      size_t run = 1;
      while (run * m_unit < within + count && i + run < m_sectors.size() &&
             m_sectors[i + run] == m_sectors[i + run - 1] + 1)
        ++run;
      size_t n = std::min(count, run * m_unit - within);
      m_file->read((uint64_t(m_sectors[i]) + 1) * m_unit + within, to, n);
      to += n;
      offset += n;
      count -= n;
    }
  }

 private:
  std::shared_ptr<ByteFile> m_file;
  std::vector<uint32_t> m_sectors;
  size_t m_unit;
  uint64_t m_size;
};

class CompoundReader {
 public:
  explicit CompoundReader(std::shared_ptr<ByteFile> file) : m_file(std::move(file)) {
    if (m_file->size() < 512) damaged("shorter than its header");
    std::string header(512, '\0');
    m_file->read(0, header.data(), 512);
    ByteReader h(header);
    h.seek(0x1E);
    uint16_t shift = h.u16();
    uint16_t miniShift = h.u16();
    if (shift != 9 && shift != 12) damaged("unknown sector size");
    if (miniShift != 6) damaged("unknown mini sector size");
    m_unit = size_t(1) << shift;
    h.seek(0x2C);
    uint32_t fatCount = h.u32();
    m_firstDir = h.u32();
    h.skip(4);
    m_cutoff = h.u32();
    m_firstMiniFat = h.u32();
    h.skip(4);
    uint32_t difat = h.u32();
    uint32_t difatCount = h.u32();
    // No table can have more sectors than the file has; this also ends looping chains.
    m_sectorsInFile = m_file->size() / m_unit;
    if (fatCount > m_sectorsInFile || difatCount > m_sectorsInFile)
      damaged("its allocation table is larger than the file");
    std::vector<uint32_t> fatSectors;
    for (int i = 0; i < 109; ++i) fatSectors.push_back(h.u32());
    std::vector<uint32_t> words(m_unit / 4);
    for (uint32_t n = 0; n < difatCount && difat < kDifatSector; ++n) {
      readSector(difat, words);
      fatSectors.insert(fatSectors.end(), words.begin(), words.end() - 1);
      difat = words.back();
    }
    if (fatCount > fatSectors.size()) damaged("its allocation table is incomplete");
    m_fat.reserve(size_t(fatCount) * words.size());
    for (uint32_t i = 0; i < fatCount; ++i) {
      readSector(fatSectors[i], words);
      m_fat.insert(m_fat.end(), words.begin(), words.end());
    }
  }

  std::shared_ptr<ByteFile> stream(std::initializer_list<std::string_view> names) {
    std::vector<uint32_t> dirSectors = chain(m_firstDir, m_fat);
    std::string dir(m_unit, '\0');
    uint32_t miniStart = kEndOfChain;
    uint64_t miniSize = 0;
    for (uint32_t s : dirSectors) {
      m_file->read(sectorOffset(s), dir.data(), m_unit);
      for (size_t off = 0; off + 128 <= dir.size(); off += 128) {
        ByteReader e(std::string_view(dir).substr(off, 128));
        std::string_view rawName = e.take(64);
        uint16_t nameBytes = e.u16();
        uint8_t type = e.u8();
        e.seek(0x74);
        uint32_t start = e.u32();
        uint32_t size = e.u32();
        if (type == 5) {
          miniStart = start;
          miniSize = size;
          continue;
        }
        if (type != 2 || nameBytes < 2 || nameBytes > 64) continue;
        std::string name = fromUtf16Le(rawName.substr(0, nameBytes - 2));
        bool wanted = false;
        for (auto n : names) wanted = wanted || equalsIgnoringCase(name, n);
        if (!wanted) continue;
        if (size >= m_cutoff) {
          std::vector<uint32_t> sectors = chain(start, m_fat);
          if (uint64_t(sectors.size()) * m_unit < size)
            damaged("a stream is shorter than its recorded size");
          return std::make_shared<ChainFile>(m_file, std::move(sectors), m_unit, size);
        }
        return smallStream(start, size, miniStart, miniSize);
      }
    }
    return nullptr;
  }

 private:
  // A stream under the cutoff lives in the mini stream; it is small, so it is copied whole.
  std::shared_ptr<ByteFile> smallStream(uint32_t start, uint32_t size, uint32_t miniStart,
                                        uint64_t miniSize) {
    std::vector<uint32_t> miniFat;
    std::vector<uint32_t> words(m_unit / 4);
    for (uint32_t s : chain(m_firstMiniFat, m_fat)) {
      readSector(s, words);
      miniFat.insert(miniFat.end(), words.begin(), words.end());
    }
    std::vector<uint32_t> miniSectors = chain(miniStart, m_fat);
    ChainFile pool(m_file, miniSectors, m_unit,
                   std::min<uint64_t>(miniSize, uint64_t(miniSectors.size()) * m_unit));
    std::string data;
    for (uint32_t s : chain(start, miniFat)) {
      if (uint64_t(s) * 64 + 64 > pool.size()) damaged("a small stream lies outside its pool");
      size_t at = data.size();
      data.resize(at + 64);
      pool.read(uint64_t(s) * 64, data.data() + at, 64);
    }
    if (data.size() < size) damaged("a stream is shorter than its recorded size");
    data.resize(size);
    return bytesInMemory(std::move(data));
  }

  uint64_t sectorOffset(uint32_t n) const {
    uint64_t off = (uint64_t(n) + 1) * m_unit;
    // The last sector of a file may be cut short; what is there is still its content.
    if (n >= kDifatSector || off >= m_file->size()) damaged("a sector lies outside the file");
    return off;
  }

  void readSector(uint32_t n, std::vector<uint32_t>& words) const {
    uint64_t off = sectorOffset(n);
    std::string bytes(m_unit, '\0');
    m_file->read(off, bytes.data(), size_t(std::min<uint64_t>(m_unit, m_file->size() - off)));
    for (size_t i = 0; i < words.size(); ++i)
      words[i] = uint32_t(uint8_t(bytes[i * 4])) | uint32_t(uint8_t(bytes[i * 4 + 1])) << 8 |
                 uint32_t(uint8_t(bytes[i * 4 + 2])) << 16 |
                 uint32_t(uint8_t(bytes[i * 4 + 3])) << 24;
  }

  std::vector<uint32_t> chain(uint32_t start, const std::vector<uint32_t>& fat) const {
    std::vector<uint32_t> out;
    for (uint32_t s = start; s != kEndOfChain;) {
      if (s >= fat.size() || out.size() >= fat.size()) damaged("a sector chain is broken or loops");
      out.push_back(s);
      s = fat[s];
    }
    return out;
  }

  std::shared_ptr<ByteFile> m_file;
  size_t m_unit = 512;
  uint64_t m_sectorsInFile = 0;
  uint32_t m_firstDir = 0;
  uint32_t m_cutoff = 4096;
  uint32_t m_firstMiniFat = kEndOfChain;
  std::vector<uint32_t> m_fat;
};

void put(std::FILE* out, const std::string& bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
    throw std::runtime_error("the workbook could not be written");
}

std::string directoryEntry(std::string_view entryName, uint8_t type, uint32_t child, uint32_t start,
                           uint32_t size) {
  std::string e;
  for (char c : entryName) putU16(e, uint8_t(c));
  e.resize(64, '\0');
  putU16(e, entryName.empty() ? 0 : uint32_t(entryName.size() + 1) * 2);
  e += char(type);
  e += char(entryName.empty() ? 0 : 1);  // black
  putU32(e, kNoStream);
  putU32(e, kNoStream);
  putU32(e, child);
  e.append(16 + 4 + 16, '\0');  // class id, state bits, times
  putU32(e, start);
  putU32(e, size);
  putU32(e, 0);
  return e;
}

}  // namespace

bool isCompoundFile(std::string_view bytes) {
  return bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view(kSignature, 8);
}

bool isCompoundFile(const ByteFile& file) {
  if (file.size() < 8) return false;
  char start[8];
  file.read(0, start, 8);
  return isCompoundFile(std::string_view(start, 8));
}

std::shared_ptr<ByteFile> openCompoundStream(std::shared_ptr<ByteFile> file,
                                             std::initializer_list<std::string_view> names) {
  try {
    return CompoundReader(std::move(file)).stream(names);
  } catch (const OutOfBounds&) {
    damaged("a structure runs past the end of the file");
  }
}

std::optional<std::string> readCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names) {
  auto stream = openCompoundStream(bytesInMemory(std::string(file)), names);
  if (!stream) return std::nullopt;
  std::string data(stream->size(), '\0');
  stream->read(0, data.data(), data.size());
  return data;
}

void writeCompoundFile(std::FILE* out, std::string_view name, uint64_t size,
                       const std::function<void(std::FILE*)>& writeData) {
  constexpr size_t kSector = 512;
  constexpr uint32_t kPerSector = kSector / 4;
  // Streams under 4096 bytes would belong in the mini stream; padding to that size keeps
  // the layout to one plain chain, and readers stop at the workbook's own end records.
  uint64_t padded = std::max<uint64_t>(size, 4096);
  if (padded > 0xFFFFFE00u) throw std::runtime_error("the workbook is larger than 4 GB");
  uint32_t dataSectors = uint32_t((padded + kSector - 1) / kSector);
  uint32_t fatCount = 0, difatCount = 0;
  for (;;) {
    uint32_t total = dataSectors + 1 + fatCount + difatCount;
    uint32_t needFat = (total + kPerSector - 1) / kPerSector;
    uint32_t needDifat = needFat > 109 ? (needFat - 109 + kPerSector - 2) / (kPerSector - 1) : 0;
    if (needFat == fatCount && needDifat == difatCount) break;
    fatCount = needFat;
    difatCount = needDifat;
  }
  uint32_t dirSector = dataSectors;
  uint32_t firstFat = dirSector + 1;
  uint32_t firstDifat = firstFat + fatCount;

  std::string h;
  h.append(kSignature, 8);
  h.append(16, '\0');  // class id
  putU16(h, 0x003E);
  putU16(h, 3);
  putU16(h, 0xFFFE);
  putU16(h, 9);
  putU16(h, 6);
  h.append(6, '\0');
  putU32(h, 0);  // directory sectors (always 0 in version 3)
  putU32(h, fatCount);
  putU32(h, dirSector);
  putU32(h, 0);  // transaction signature
  putU32(h, 4096);
  putU32(h, kEndOfChain);  // no mini allocation table
  putU32(h, 0);
  putU32(h, difatCount ? firstDifat : kEndOfChain);
  putU32(h, difatCount);
  for (uint32_t i = 0; i < 109; ++i) putU32(h, i < fatCount ? firstFat + i : kFree);
  put(out, h);

  writeData(out);
  put(out, std::string(size_t(uint64_t(dataSectors) * kSector - size), '\0'));

  std::string d = directoryEntry("Root Entry", 5, 1, kEndOfChain, 0);
  d += directoryEntry(name, 2, kNoStream, 0, uint32_t(padded));
  d += directoryEntry("", 0, kNoStream, 0, 0);
  d += directoryEntry("", 0, kNoStream, 0, 0);
  put(out, d);

  // The allocation table follows from the layout, so it is written a sector at a time.
  std::string sector;
  for (uint32_t f = 0; f < fatCount; ++f) {
    sector.clear();
    for (uint32_t k = 0; k < kPerSector; ++k) {
      uint32_t s = f * kPerSector + k;
      uint32_t v = kFree;
      if (s < dataSectors) v = s + 1 == dataSectors ? kEndOfChain : s + 1;
      if (s == dirSector) v = kEndOfChain;
      if (s >= firstFat && s < firstFat + fatCount) v = kFatSector;
      if (s >= firstDifat && s < firstDifat + difatCount) v = kDifatSector;
      putU32(sector, v);
    }
    put(out, sector);
  }
  for (uint32_t d = 0; d < difatCount; ++d) {
    sector.clear();
    for (uint32_t i = 0; i + 1 < kPerSector; ++i) {
      uint32_t index = 109 + d * (kPerSector - 1) + i;
      putU32(sector, index < fatCount ? firstFat + index : kFree);
    }
    putU32(sector, d + 1 < difatCount ? firstDifat + d + 1 : kEndOfChain);
    put(out, sector);
  }
  if (std::fflush(out) != 0 || std::ferror(out))
    throw std::runtime_error("the workbook could not be written");
}

std::string bytesWrittenBy(const std::function<void(std::FILE*)>& write) {
  char* buffer = nullptr;
  size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  if (!out) throw std::runtime_error("out of memory");
  try {
    write(out);
  } catch (...) {
    std::fclose(out);
    std::free(buffer);
    throw;
  }
  std::fclose(out);
  std::string result(buffer, length);
  std::free(buffer);
  return result;
}

std::string writeCompoundFile(std::string_view name, std::string_view contents) {
  return bytesWrittenBy([&](std::FILE* out) {
    writeCompoundFile(out, name, contents.size(),
                      [contents](std::FILE* f) { put(f, std::string(contents)); });
  });
}

}  // namespace kpx::data::excel
