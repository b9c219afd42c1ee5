#include "data/providers/excel/shared_strings.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "data/providers/excel/temporary_file.h"

namespace kpx::data::excel {
namespace {

constexpr size_t kOffsetSlots = 4, kTextSlots = 8;

[[noreturn]] void failed(const char* doing) {
  throw std::runtime_error(std::string("the shared strings kept in a temporary file cannot be ") +
                           doing + ": " + std::strerror(errno));
}

void writeAll(int fd, const void* data, size_t size) {
  for (auto* p = static_cast<const char*>(data); size > 0;) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) failed("written");
    p += n;
    size -= size_t(n);
  }
}

void readAll(int fd, void* data, size_t size, uint64_t offset) {
  for (auto* p = static_cast<char*>(data); size > 0;) {
    ssize_t n = ::pread(fd, p, size, off_t(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // the file is shorter than what was written to it
      failed("read back");
    }
    p += n;
    size -= size_t(n);
    offset += uint64_t(n);
  }
}

int makeFile() {
  std::string folder;
  int fd = unnamedTemporaryFile("kpxwizard-strings", folder);
  if (fd < 0)
    throw std::runtime_error("no temporary file for the shared strings can be made in '" + folder +
                             "': " + std::strerror(errno));
  return fd;
}

}  // namespace

SharedStringTable::SharedStringTable(size_t memoryBudget) : m_budget(memoryBudget) {}

SharedStringTable::~SharedStringTable() {
  if (m_textFile >= 0) ::close(m_textFile);
  if (m_endFile >= 0) ::close(m_endFile);
}

void SharedStringTable::startString() {
  uint64_t at = m_textsWritten + m_chars.size();
  if (m_count % kEndsPerBlock == 0) {
    if (m_textFile >= 0 && !m_ends.empty()) writeEnds();
    m_blockBegins.push_back(at);
  }
  m_ends.push_back(at);
  ++m_count;
  if (m_textFile < 0 && m_chars.size() + m_ends.size() * sizeof(uint64_t) > m_budget) spill();
}

void SharedStringTable::extend(std::string_view text) {
  m_chars += text;
  m_ends.back() += text.size();
  if (m_textFile >= 0) {
    if (m_chars.size() >= kTextBlock) flushTexts();
  } else if (m_chars.size() + m_ends.size() * sizeof(uint64_t) > m_budget) {
    spill();
  }
}

void SharedStringTable::spill() {
  m_textFile = makeFile();
  m_endFile = makeFile();
  flushTexts();
  // Whole blocks of ends go to the file; the block being filled stays.
  size_t whole = (m_count - 1) / kEndsPerBlock * kEndsPerBlock;
  writeAll(m_endFile, m_ends.data(), whole * sizeof(uint64_t));
  m_endsWritten += whole;
  m_ends.erase(m_ends.begin(), m_ends.begin() + ptrdiff_t(whole));
  m_ends.shrink_to_fit();
  m_chars.shrink_to_fit();
}

void SharedStringTable::flushTexts() {
  writeAll(m_textFile, m_chars.data(), m_chars.size());
  m_textsWritten += m_chars.size();
  m_chars.clear();
}

void SharedStringTable::writeEnds() {
  writeAll(m_endFile, m_ends.data(), m_ends.size() * sizeof(uint64_t));
  m_endsWritten += m_ends.size();
  m_ends.clear();
}

void SharedStringTable::finish() {
  if (m_textFile < 0) {
    m_chars.shrink_to_fit();
    m_ends.shrink_to_fit();
    return;
  }
  flushTexts();
  if (!m_ends.empty()) writeEnds();
  m_chars = {};
  m_ends = {};
}

SharedStringTable::Reader::Slot& SharedStringTable::Reader::cached(std::vector<Slot>& slots,
                                                                   uint64_t key, int fd,
                                                                   uint64_t offset, size_t size) {
  Slot* oldest = &slots[0];
  for (Slot& slot : slots) {
    if (slot.key == key) {
      slot.used = ++m_clock;
      return slot;
    }
    if (slot.used < oldest->used) oldest = &slot;
  }
  oldest->key = UINT64_MAX;  // until the read below succeeds
  oldest->bytes.resize(size);
  readAll(fd, oldest->bytes.data(), size, offset);
  oldest->key = key;
  oldest->used = ++m_clock;
  return *oldest;
}

uint64_t SharedStringTable::Reader::endOf(size_t index) {
  const auto& t = m_table;
  if (m_offsets.empty()) m_offsets.resize(kOffsetSlots);
  uint64_t block = index / kEndsPerBlock, first = block * kEndsPerBlock;
  size_t count = size_t(std::min<uint64_t>(kEndsPerBlock, t.m_endsWritten - first));
  const Slot& slot =
      cached(m_offsets, block, t.m_endFile, first * sizeof(uint64_t), count * sizeof(uint64_t));
  uint64_t end;
  std::memcpy(&end, slot.bytes.data() + (index - first) * sizeof(uint64_t), sizeof end);
  return end;
}

std::string_view SharedStringTable::Reader::at(size_t index) {
  const auto& t = m_table;
  if (t.m_textFile < 0) {
    uint64_t begin = index == 0 ? 0 : t.m_ends[index - 1];
    return std::string_view(t.m_chars).substr(begin, t.m_ends[index] - begin);
  }
  uint64_t begin =
      index % kEndsPerBlock == 0 ? t.m_blockBegins[index / kEndsPerBlock] : endOf(index - 1);
  uint64_t end = endOf(index);
  if (end == begin) return {};
  uint64_t block = begin / kTextBlock;
  if ((end - 1) / kTextBlock != block) {
    m_long.resize(end - begin);
    readAll(t.m_textFile, m_long.data(), m_long.size(), begin);
    return m_long;
  }
  if (m_texts.empty()) m_texts.resize(kTextSlots);
  uint64_t first = block * kTextBlock;
  size_t size = size_t(std::min<uint64_t>(kTextBlock, t.m_textsWritten - first));
  const Slot& slot = cached(m_texts, block, t.m_textFile, first, size);
  return std::string_view(slot.bytes).substr(begin - first, end - begin);
}

}  // namespace kpx::data::excel
