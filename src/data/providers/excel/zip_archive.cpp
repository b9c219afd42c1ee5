#include "data/providers/excel/zip_archive.h"

#include <cstring>
#include <stdexcept>

namespace kpx::data::excel {
namespace {

// Deflate packs at best about 1,000 to 1; an entry claiming more than that and more than a few
// megabytes is not a spreadsheet part anyone wrote.
constexpr uint64_t kMaxRatio = 1000;
constexpr uint64_t kSizeWithoutRatioCheck = 16u << 20;

// Lets libzip read the archive through the ByteFile, one piece at a time.
struct ByteFileSource {
  std::shared_ptr<ByteFile> file;
  uint64_t position = 0;
  zip_error_t error{};
};

zip_int64_t byteFileCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
  auto* s = static_cast<ByteFileSource*>(state);
  switch (cmd) {
    case ZIP_SOURCE_OPEN:
      s->position = 0;
      return 0;
    case ZIP_SOURCE_READ: {
      const uint64_t size = s->file->size();
      const uint64_t n = s->position >= size ? 0 : std::min<uint64_t>(length, size - s->position);
      try {
        s->file->read(s->position, data, size_t(n));
      } catch (const std::exception&) {
        zip_error_set(&s->error, ZIP_ER_READ, EIO);
        return -1;
      }
      s->position += n;
      return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
      return 0;
    case ZIP_SOURCE_STAT: {
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->size = s->file->size();
      st->valid |= ZIP_STAT_SIZE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&s->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&s->error);
      delete s;
      return 0;
    case ZIP_SOURCE_SEEK: {
      zip_int64_t to =
          zip_source_seek_compute_offset(s->position, s->file->size(), data, length, &s->error);
      if (to < 0) return -1;
      s->position = uint64_t(to);
      return 0;
    }
    case ZIP_SOURCE_TELL:
      return zip_int64_t(s->position);
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(
          ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
          ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
    default:
      zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

ZipArchive::ZipArchive(std::shared_ptr<ByteFile> file) : m_file(std::move(file)) {
  zip_error_t error;
  zip_error_init(&error);
  auto* state = new ByteFileSource{m_file};
  zip_error_init(&state->error);
  zip_source_t* src = zip_source_function_create(byteFileCallback, state, &error);
  if (!src) {
    zip_error_fini(&state->error);
    delete state;
  } else {
    m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
    if (!m_zip) zip_source_free(src);
  }
  if (!m_zip) {
    std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw std::runtime_error("the file is not a readable zip archive (" + why + ")");
  }
  zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
  zip_discard(m_zip);
}

bool ZipArchive::has(const std::string& name) const {
  return zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

std::unique_ptr<ZipEntry> ZipArchive::open(const std::string& name) const {
  zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
  if (index < 0) throw std::runtime_error("the workbook has no part '" + name + "'");
  zip_stat_t st;
  if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
      !(st.valid & ZIP_STAT_COMP_SIZE))
    throw std::runtime_error("part '" + name + "' has no size in the archive");
  if (st.size > kSizeWithoutRatioCheck && st.size / std::max<uint64_t>(st.comp_size, 1) > kMaxRatio)
    throw std::runtime_error(
        "part '" + name + "' claims to unpack " + std::to_string(st.comp_size) + " bytes into " +
        std::to_string(st.size) + ", which looks like a zip bomb; it is not unpacked");
  zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
  if (!file)
    throw std::runtime_error("part '" + name + "' cannot be decompressed: " + zip_strerror(m_zip));
  return std::make_unique<ZipEntry>(file, name, st.size);
}

ZipEntry::ZipEntry(zip_file_t* file, std::string name, uint64_t declaredSize)
    : m_file(file), m_name(std::move(name)), m_declared(declaredSize) {}

ZipEntry::~ZipEntry() {
  zip_fclose(m_file);
}

size_t ZipEntry::read(char* out, size_t capacity) {
  // One byte more than declared is asked for, so that an entry growing past it is noticed.
  const uint64_t left = m_declared - m_done + 1;
  zip_int64_t n = zip_fread(m_file, out, std::min<uint64_t>(capacity, left));
  if (n < 0)
    throw std::runtime_error("part '" + m_name + "' is damaged: " + zip_file_strerror(m_file));
  m_done += uint64_t(n);
  if (m_done > m_declared)
    throw std::runtime_error("part '" + m_name + "' unpacks to more than the " +
                             std::to_string(m_declared) +
                             " bytes it declares, which looks like a zip bomb");
  return size_t(n);
}

}  // namespace kpx::data::excel
