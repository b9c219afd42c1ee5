// Replacing a file through a temporary file beside it: links, abandoned replacements and
// leftovers (modes and refusals are checked through the program, per kind of file).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "data/providers/file_replacement.h"
#include "data/providers/provider.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using kpx::data::FileReplacement;

namespace {

class Replacement : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return scratch.path(name); }
  void write(const std::string& name, const std::string& text) { scratch.write(name, text); }
  std::string read(const std::string& name) const { return kpx::test::readFile(path(name)); }
  // Names in the folder other than the ones given.
  std::vector<std::string> others(std::initializer_list<std::string> known) const {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
    }
    return out;
  }
  void replace(const std::string& name, const std::string& text) {
    FileReplacement file(path(name), "text file");
    file.write(text.data(), text.size());
    file.commit();
  }

  kpx::test::ScratchFolder scratch;
  const fs::path& dir = scratch.dir();
};

TEST_F(Replacement, SymbolicLinkKeepsPointingAtTheFileItNames) {
  struct Case {
    const char* label;
    std::string link;
    bool targetExists;
  };
  fs::create_directories(dir / "real");
  const Case cases[] = {
      {"relative", "real/t.csv", true},
      {"dangling", "real/t.csv", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(path("l.csv"));
    fs::remove(path("real/t.csv"));
    if (c.targetExists) write("real/t.csv", "old");
    fs::create_symlink(c.link, path("l.csv"));
    replace("l.csv", "new");
    EXPECT_TRUE(fs::is_symlink(path("l.csv")));
    EXPECT_EQ(fs::read_symlink(path("l.csv")).string(), c.link);
    EXPECT_EQ(read("real/t.csv"), "new");
    EXPECT_TRUE(others({"l.csv", "real"}).empty());
  }
}

TEST_F(Replacement, AbandonedReplacementLeavesTheFileAndNoTemporaryFile) {
  write("a.csv", "old");
  {
    FileReplacement file(path("a.csv"), "text file");
    file.write("new", 3);
    EXPECT_EQ(others({"a.csv"}).size(), 1u);
  }
  EXPECT_EQ(read("a.csv"), "old");
  EXPECT_TRUE(others({"a.csv"}).empty());
}

TEST_F(Replacement, LeftoversOfDeadWritersAreRemovedAndNothingElse) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);  // a process id that no longer runs
  const std::string dead = ".a.csv.kpxtmp-" + std::to_string(child) + "-Ab12Cd";
  const std::string alive = ".a.csv.kpxtmp-" + std::to_string(::getpid()) + "-Ab12Cd";
  const std::string otherFile = ".b.csv.kpxtmp-" + std::to_string(child) + "-Ab12Cd";
  const std::string notOurs = ".a.csv.kpxtmp-junk";
  const std::string deadArchive = dead + ".Xy34Zw";  // an archive rewritten in place
  for (const auto& name : {dead, deadArchive, alive, otherFile, notOurs, std::string("a.csv")})
    write(name, "x");
  // A new file's staging folder, with the file and its journal in it.
  const std::string deadFolder = ".a.csv.kpxtmp-" + std::to_string(child) + "-Ef56Gh";
  fs::create_directory(path(deadFolder));
  write(deadFolder + "/a.csv", "x");
  write(deadFolder + "/a.csv-journal", "x");
  fs::create_symlink("a.csv", path(".a.csv.kpxtmp-" + std::to_string(child) + "-linked"));
  EXPECT_EQ(kpx::data::removeLeftoverTemporaryFiles(path("a.csv")), 3);
  auto left = others({"a.csv"});
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = {alive, ".a.csv.kpxtmp-" + std::to_string(child) + "-linked",
                                       otherFile, notOurs};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

}  // namespace
