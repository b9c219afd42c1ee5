#include "support/scratch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support/command_output.h"

namespace fs = std::filesystem;

namespace kpx::test {

ScratchFolder::ScratchFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "kpx_" + std::to_string(::getpid());
  if (info) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';  // parameterised tests carry a slash in their names
  m_dir = fs::temp_directory_path() / name;
  fs::remove_all(m_dir);
  fs::create_directories(m_dir);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(m_dir, ignored);
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(m_dir / name, std::ios::binary) << bytes;
  return path(name);
}

std::string ScratchFolder::copyFixture(const std::string& relative, const std::string& name) const {
  fs::copy_file(fs::path(KPX_TEST_DATA) / relative, m_dir / name,
                fs::copy_options::overwrite_existing);
  return path(name);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string sqliteOutput(const std::string& database, const std::string& sql,
                         const std::string& options) {
  int code = 0;
  std::string out = commandOutput(
      "sqlite3 " + options + " " + shellQuote(database) + " " + shellQuote(sql) + " 2>&1", &code);
  EXPECT_EQ(code, 0) << sql << "\n" << out;
  return out;
}

}  // namespace kpx::test
