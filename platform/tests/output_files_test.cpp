#include "platform/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "testing/test_support.h"

namespace tidora {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// The names in a folder, for "nothing was left behind".
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SameFile, ComparesFilesNotSpellings) {
  TempDir dir;
  WriteFile(dir.file("p.hex"), "upload");
  WriteFile(dir.file("q.hex"), "upload");
  fs::create_directory(dir.file("sub"));
  fs::create_symlink(dir.file("p.hex"), dir.file("link.tid"));
  EXPECT_TRUE(SameFile(dir.file("p.hex"), dir.path() + "/./p.hex"));
  EXPECT_TRUE(SameFile(dir.file("p.hex"), dir.path() + "/sub/../p.hex"));
  EXPECT_TRUE(SameFile(dir.file("p.hex"), dir.file("link.tid")));
  EXPECT_FALSE(SameFile(dir.file("p.hex"), dir.file("q.hex")));  // same contents, two files
  // Files not there yet: the same name in the same folder.
  EXPECT_TRUE(SameFile(dir.file("new.tid"), dir.path() + "/sub/.//../new.tid"));
  EXPECT_FALSE(SameFile(dir.file("new.tid"), dir.file("new.wb")));
  EXPECT_FALSE(SameFile(dir.file("new.tid"), dir.file("p.hex")));
  // A link to a file not there yet is that file.
  fs::create_symlink(dir.file("later.tid"), dir.file("dangling"));
  EXPECT_TRUE(SameFile(dir.file("dangling"), dir.file("later.tid")));
  // Relative spellings are relative to the working folder.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.path());
  EXPECT_TRUE(SameFile("p.hex", "./p.hex"));
  EXPECT_TRUE(SameFile("x.tid", dir.file("x.tid")));
  fs::current_path(cwd);
}

TEST(CheckOutputFiles, NamesBothFilesOfAClash) {
  TempDir dir;
  WriteFile(dir.file("p.hex"), "upload");
  const std::string in = dir.file("p.hex");
  EXPECT_EQ(CheckOutputFiles({{"upload file", in}},
                             {{"tide file", dir.file("p.tid")}, {"wave burst file", ""}}),
            "");
  EXPECT_EQ(CheckOutputFiles({{"upload file", in}}, {{"tide file", dir.path() + "/./p.hex"}}),
            "The tide file " + dir.path() + "/./p.hex is the upload file " + in +
                ": choose another name.");
  EXPECT_EQ(CheckOutputFiles({{"upload file", in}},
                             {{"tide file", dir.file("x")}, {"wave burst file", dir.file("x")}}),
            "The wave burst file " + dir.file("x") + " is the tide file " + dir.file("x") +
                ": choose another name.");
  EXPECT_EQ(CheckOutputFiles({}, {{"report file", "/dev/null"}}),
            "The report file /dev/null is a device, not a regular file: choose another name.");
  EXPECT_EQ(CheckOutputFiles({}, {{"report file", dir.path()}}),
            "The report file " + dir.path() +
                " is a folder, not a regular file: choose another "
                "name.");
}

TEST(OutputSet, RenamesEveryOutputOnlyWhenCommitted) {
  TempDir dir;
  WriteFile(dir.file("p.was"), "old was");
  WriteFile(dir.file("p.wts"), "old wts");
  ::chmod(dir.file("p.was").c_str(), 0640);
  {
    OutputSet set;
    std::string a = set.Add(dir.file("p.was")), b = set.Add(dir.file("p.wts"));
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    WriteFile(a, "half");
    // Not committed (a failure or a stop): the old files stay, the temporary ones go.
  }
  EXPECT_EQ(ReadFile(dir.file("p.was")), "old was");
  EXPECT_EQ(ReadFile(dir.file("p.wts")), "old wts");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"p.was", "p.wts"}));

  OutputSet set;
  std::string a = set.Add(dir.file("p.was")), b = set.Add(dir.file("p.wts")),
              c = set.Add(dir.file("p.rpt"));
  WriteFile(a, "new was");
  WriteFile(b, "new wts");
  WriteFile(c, "new rpt");
  ASSERT_TRUE(set.Commit()) << set.Error();
  EXPECT_EQ(ReadFile(dir.file("p.was")), "new was");
  EXPECT_EQ(ReadFile(dir.file("p.wts")), "new wts");
  EXPECT_EQ(ReadFile(dir.file("p.rpt")), "new rpt");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"p.rpt", "p.was", "p.wts"}));
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("p.was").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // an existing output keeps its permissions
}

TEST(OutputSet, RefusesATargetThatIsNoRegularFile) {
  TempDir dir;
  WriteFile(dir.file("p.was"), "old was");
  fs::create_directory(dir.file("p.wts"));
  OutputSet set;
  ASSERT_FALSE(set.Add(dir.file("p.was")).empty());
  EXPECT_EQ(set.Add(dir.file("p.wts")), "");
  EXPECT_EQ(set.Error(), dir.file("p.wts") + " is a folder, not a regular file.");
  set.Discard();
  EXPECT_EQ(ReadFile(dir.file("p.was")), "old was");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"p.was", "p.wts"}));
  EXPECT_EQ(set.Add(dir.file("missing/p.rpt")), "");  // no such folder
}

TEST(OutputSet, APlaceTakenBeforeTheCommitChangesNothing) {
  TempDir dir;
  WriteFile(dir.file("a.tid"), "old tide");
  OutputSet set;
  std::string a = set.Add(dir.file("a.tid")), b = set.Add(dir.file("a.wb"));
  WriteFile(a, "new tide");
  WriteFile(b, "new wave");
  // Between the writing and the commit the second place becomes a folder.
  fs::create_directory(dir.file("a.wb"));
  EXPECT_FALSE(set.Commit());
  EXPECT_EQ(ReadFile(dir.file("a.tid")), "old tide");
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a.tid", "a.wb"}));
}

TEST(WriteFileAtomically, WritesThroughLinksAndRefusesOtherFiles) {
  TempDir dir;
  fs::create_directory(dir.file("real"));
  WriteFile(dir.file("real/CNVHex.ini"), "old");
  fs::create_symlink("real/CNVHex.ini", dir.file("CNVHex.ini"));
  ASSERT_TRUE(WriteFileAtomically(dir.file("CNVHex.ini"), "new"));
  EXPECT_TRUE(fs::is_symlink(dir.file("CNVHex.ini")));
  EXPECT_EQ(ReadFile(dir.file("real/CNVHex.ini")), "new");
  EXPECT_EQ(Names(dir.file("real")), std::vector<std::string>{"CNVHex.ini"});

  // A named pipe stays a named pipe, a folder a folder, and nothing is left beside them.
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(dir.file("pipe"), "x", &error));
  EXPECT_EQ(error, dir.file("pipe") + " is a named pipe, not a regular file.");
  EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
  EXPECT_FALSE(WriteFileAtomically(dir.file("real"), "x", &error));
  EXPECT_TRUE(fs::is_directory(dir.file("real")));
  EXPECT_FALSE(WriteFileAtomically("/dev/null", "x", &error));
  EXPECT_EQ(error, "/dev/null is a device, not a regular file.");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"CNVHex.ini", "pipe", "real"}));
}

}  // namespace
}  // namespace tidora
