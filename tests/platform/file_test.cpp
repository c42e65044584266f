// SPDX-License-Identifier: MIT
#include "platform/file.h"

#include <cerrno>
#include <string>

#include "test_support.h"

using namespace Korvel::detail::platform;
using Korvel::testing::OpenDescriptors;

namespace {

class FileTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }
  std::wstring Path(const std::wstring& name) const { return m_temp.WidePath("") + name; }
  const Korvel::testing::TempDir m_temp;
};

TEST_F(FileTest, WriteThenReadBack) {
  EXPECT_EQ(NarrowPath(L"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  const std::wstring path = Path(L"caf\u00e9 \u20ac.txt");  // non-ASCII name goes through UTF-8
  {
    File f;
    ASSERT_EQ(f.CreateForWrite(path), 0);
    ASSERT_EQ(f.WriteAll("hello world", 11), 0);
  }
  EXPECT_EQ(m_temp.Read("caf\xC3\xA9 \xE2\x82\xAC.txt"), "hello world");
  File f;
  ASSERT_EQ(f.OpenForRead(path), 0);
  uint64_t size = 0;
  ASSERT_EQ(f.Size(size), 0);
  EXPECT_EQ(size, 11u);
  char buffer[32];
  size_t got = 0;
  ASSERT_EQ(f.ReadAt(buffer, sizeof buffer, 6, got), 0);
  EXPECT_EQ(std::string(buffer, got), "world");
  ASSERT_EQ(f.Read(buffer, sizeof buffer, got), 0);
  EXPECT_EQ(std::string(buffer, got), "hello world");
}

TEST_F(FileTest, ErrorsAreErrnoValuesAndLeaveNoDescriptor) {
  File f;
  EXPECT_EQ(f.OpenForRead(Path(L"missing")), ENOENT);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(f.CreateForWrite(Path(L"no/such/dir/file")), ENOENT);
  EXPECT_EQ(f.OpenForRead(Path(L"")), EISDIR);
  EXPECT_FALSE(f.IsOpen());

  ASSERT_EQ(f.CreateForWrite(Path(L"f")), 0);
  ASSERT_EQ(f.Close(), 0);
  const int before = OpenDescriptors();
  for (FileOp op : {FileOp::Open, FileOp::Size, FileOp::Read}) {
    InjectFileFailure(op, EIO);
    File g;
    ErrorCode error = g.OpenForRead(Path(L"f"));
    uint64_t size;
    char c;
    size_t got;
    if (error == 0) error = g.Size(size);
    if (error == 0) error = g.Read(&c, 1, got);
    EXPECT_EQ(error, EIO);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
