// Files are written whole: a write that fails part way (a fault device in the file layer, and a
// real full disk where the test may mount one) is reported and leaves the earlier file as it was.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "content/rewriter.h"
#include "core/text/files.h"
#include "links/external_links.h"
#include "support/test_support.h"

using namespace tessaly;
using tessaly::test::TempFolder;

namespace {

struct Writer {
  const char* name;
  std::function<std::string()> path;  // the file it writes
  std::function<bool(std::string_view)> write;
};

class FilesFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override { set_program_folder(folder.path()); }
  void TearDown() override { set_write_fault(""); }
  TempFolder folder;
};

TEST_F(FilesFaultsTest, AWriteThatFailsPartWayLeavesTheEarlierFileWhole) {
  const std::string target = folder.file("target.txt");
  const std::vector<Writer> writers = {
      {"replace_file", [&] { return target; }, [&](std::string_view b) { return replace_file(target, b); }},
      {"replace_file pieces", [&] { return target; },
       [&](std::string_view b) {
         return replace_file(target, {b.substr(0, 3), b.substr(3)});
       }},
      {"rewriter text", [] { return rewriter_file("原文本.txt"); },
       [](std::string_view b) { return write_rewriter_text("原文本.txt", b); }},
      {"link domains",
       [] {
         return program_path({"超级外链工具配置", "域名.txt"});
       },
       [](std::string_view b) { return save_domain_text(b); }},
  };
  make_dir(rewriter_folder());
  const std::string earlier(5000, 'e');
  const std::string later(20000, 'n');
  for (const Writer& w : writers) {
    for (size_t after : {size_t(0), size_t(2), size_t(4096), later.size() - 1}) {
      SCOPED_TRACE(std::string(w.name) + " after " + std::to_string(after));
      ASSERT_TRUE(w.write(earlier));
      set_write_fault(w.path(), after);
      EXPECT_FALSE(w.write(later));  // reported
      set_write_fault("");
      EXPECT_EQ(read_file(w.path()), earlier);  // untouched
      EXPECT_FALSE(file_exists(w.path() + ".tmp"));
    }
    EXPECT_TRUE(w.write(later));
    EXPECT_EQ(read_file(w.path()), later);
  }
  // The plain writer reports the failure too.
  set_write_fault(target, 10);
  EXPECT_FALSE(write_file(target, later));
}

// A real full disk: a small tmpfs mounted for the test (needs root; skipped otherwise).
TEST_F(FilesFaultsTest, AFullDiskLeavesTheEarlierFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "not root: no tmpfs can be mounted for the full-disk test";
  const std::string disk = folder.file("disk");
  ASSERT_TRUE(make_dir(disk));
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  const std::string path = disk + "/list.txt";
  const std::string earlier(20 * 1024, 'e');
  EXPECT_TRUE(replace_file(path, earlier));
  for (size_t size : {size_t(50 * 1024), size_t(200 * 1024)}) {
    EXPECT_FALSE(replace_file(path, std::string(size, 'n'))) << size;
    EXPECT_EQ(read_file(path), earlier) << size;
    EXPECT_FALSE(file_exists(path + ".tmp")) << size;
  }
  // A plain write onto the full disk is reported as failed, never as written.
  EXPECT_FALSE(write_file(disk + "/other.txt", std::string(100 * 1024, 'x')));
  EXPECT_EQ(::umount2(disk.c_str(), MNT_DETACH), 0);
}

}  // namespace
