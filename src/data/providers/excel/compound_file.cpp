#include "data/providers/excel/compound_file.h"

#include <stdexcept>
#include <vector>

#include "data/providers/excel/byte_reader.h"
#include "data/providers/excel/number_format.h"
#include "data/providers/excel/workbook.h"
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

class CompoundReader {
 public:
  explicit CompoundReader(std::string_view file) : m_file(file) {
    if (file.size() < 512) damaged("shorter than its header");
    ByteReader h(file);
    h.seek(0x1E);
    uint16_t shift = h.u16();
    uint16_t miniShift = h.u16();
    if (shift != 9 && shift != 12) damaged("unknown sector size");
    if (miniShift != 6) damaged("unknown mini sector size");
    m_sector = size_t(1) << shift;
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
    const size_t sectorsInFile = file.size() / m_sector;
    if (fatCount > sectorsInFile || difatCount > sectorsInFile)
      damaged("its allocation table is larger than the file");
    std::vector<uint32_t> fatSectors;
    for (int i = 0; i < 109; ++i) fatSectors.push_back(h.u32());
    for (uint32_t n = 0; n < difatCount && difat < kDifatSector; ++n) {
      ByteReader d(sector(difat));
      for (size_t i = 0; i + 1 < m_sector / 4; ++i) fatSectors.push_back(d.u32());
      difat = d.u32();
    }
    if (fatCount > fatSectors.size()) damaged("its allocation table is incomplete");
    for (uint32_t i = 0; i < fatCount; ++i) {
      ByteReader f(sector(fatSectors[i]));
      for (size_t k = 0; k < m_sector / 4; ++k) m_fat.push_back(f.u32());
    }
  }

  std::optional<std::string> stream(std::initializer_list<std::string_view> names) {
    std::string dir = chain(m_firstDir, m_fat, m_sector, [this](uint32_t s) { return sector(s); });
    std::string mini;
    for (size_t off = 0; off + 128 <= dir.size(); off += 128) {
      ByteReader e(std::string_view(dir).substr(off, 128));
      std::string_view rawName = e.take(64);
      uint16_t nameBytes = e.u16();
      uint8_t type = e.u8();
      e.seek(0x74);
      uint32_t start = e.u32();
      uint32_t size = e.u32();
      if (type == 5) {
        mini = chain(start, m_fat, m_sector, [this](uint32_t s) { return sector(s); });
        if (mini.size() > size) mini.resize(size);
        continue;
      }
      if (type != 2 || nameBytes < 2 || nameBytes > 64) continue;
      std::string name = fromUtf16Le(rawName.substr(0, nameBytes - 2));
      bool wanted = false;
      for (auto n : names) wanted = wanted || equalsIgnoringCase(name, n);
      if (!wanted) continue;
      std::string data;
      if (size < m_cutoff) {
        std::vector<uint32_t> miniFat;
        std::string mf =
            chain(m_firstMiniFat, m_fat, m_sector, [this](uint32_t s) { return sector(s); });
        ByteReader r(mf);
        while (r.remaining() >= 4) miniFat.push_back(r.u32());
        std::string_view pool = mini;
        data = chain(start, miniFat, 64, [pool](uint32_t s) {
          if (size_t(s) * 64 + 64 > pool.size()) damaged("a small stream lies outside its pool");
          return pool.substr(size_t(s) * 64, 64);
        });
      } else {
        data = chain(start, m_fat, m_sector, [this](uint32_t s) { return sector(s); });
      }
      if (data.size() < size) damaged("a stream is shorter than its recorded size");
      data.resize(size);
      return data;
    }
    return std::nullopt;
  }

 private:
  std::string_view sector(uint32_t n) const {
    size_t off = (size_t(n) + 1) * m_sector;
    if (n >= kDifatSector || off + m_sector > m_file.size()) {
      // The last sector of a file may be cut short; what is there is still its content.
      if (n < kDifatSector && off < m_file.size()) return m_file.substr(off);
      damaged("a sector lies outside the file");
    }
    return m_file.substr(off, m_sector);
  }

  template <class SectorOf>
  static std::string chain(uint32_t start, const std::vector<uint32_t>& fat, size_t unit,
                           SectorOf sectorOf) {
    std::string out;
    size_t steps = 0;
    for (uint32_t s = start; s != kEndOfChain;) {
      if (s >= fat.size() || ++steps > fat.size()) damaged("a sector chain is broken or loops");
      out.append(sectorOf(s));
      s = fat[s];
    }
    (void)unit;
    return out;
  }

  std::string_view m_file;
  size_t m_sector = 512;
  uint32_t m_firstDir = 0;
  uint32_t m_cutoff = 4096;
  uint32_t m_firstMiniFat = kEndOfChain;
  std::vector<uint32_t> m_fat;
};

}  // namespace

bool isCompoundFile(std::string_view bytes) {
  return bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view(kSignature, 8);
}

std::optional<std::string> readCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names) {
  try {
    CompoundReader reader(file);
    return reader.stream(names);
  } catch (const OutOfBounds&) {
    damaged("a structure runs past the end of the file");
  }
}

std::string writeCompoundFile(std::string_view name, std::string_view contents) {
  constexpr size_t kSector = 512;
  constexpr uint32_t kPerSector = kSector / 4;
  // Streams under 4096 bytes would belong in the mini stream; padding to that size keeps
  // the layout to one plain chain, and readers stop at the workbook's own end records.
  std::string data(contents);
  if (data.size() < 4096) data.resize(4096, '\0');
  uint32_t dataSectors = uint32_t((data.size() + kSector - 1) / kSector);
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
  uint32_t total = firstDifat + difatCount;

  std::vector<uint32_t> fat(size_t(fatCount) * kPerSector, kFree);
  for (uint32_t s = 0; s < dataSectors; ++s) fat[s] = s + 1 == dataSectors ? kEndOfChain : s + 1;
  fat[dirSector] = kEndOfChain;
  for (uint32_t i = 0; i < fatCount; ++i) fat[firstFat + i] = kFatSector;
  for (uint32_t i = 0; i < difatCount; ++i) fat[firstDifat + i] = kDifatSector;

  std::string out;
  out.reserve((size_t(total) + 1) * kSector);
  out.append(kSignature, 8);
  out.append(16, '\0');  // class id
  putU16(out, 0x003E);
  putU16(out, 3);
  putU16(out, 0xFFFE);
  putU16(out, 9);
  putU16(out, 6);
  out.append(6, '\0');
  putU32(out, 0);  // directory sectors (always 0 in version 3)
  putU32(out, fatCount);
  putU32(out, dirSector);
  putU32(out, 0);  // transaction signature
  putU32(out, 4096);
  putU32(out, kEndOfChain);  // no mini allocation table
  putU32(out, 0);
  putU32(out, difatCount ? firstDifat : kEndOfChain);
  putU32(out, difatCount);
  for (uint32_t i = 0; i < 109; ++i) putU32(out, i < fatCount ? firstFat + i : kFree);

  out.append(data);
  out.resize(size_t(dirSector + 1) * kSector, '\0');

  auto entry = [&out](std::string_view entryName, uint8_t type, uint32_t child, uint32_t start,
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
    out += e;
  };
  entry("Root Entry", 5, 1, kEndOfChain, 0);
  entry(name, 2, kNoStream, 0, uint32_t(data.size()));
  entry("", 0, kNoStream, 0, 0);
  entry("", 0, kNoStream, 0, 0);

  for (uint32_t v : fat) putU32(out, v);
  for (uint32_t d = 0; d < difatCount; ++d) {
    for (uint32_t i = 0; i + 1 < kPerSector; ++i) {
      uint32_t index = 109 + d * (kPerSector - 1) + i;
      putU32(out, index < fatCount ? firstFat + index : kFree);
    }
    putU32(out, d + 1 < difatCount ? firstDifat + d + 1 : kEndOfChain);
  }
  return out;
}

}  // namespace kpx::data::excel
