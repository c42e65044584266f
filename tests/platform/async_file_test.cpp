// SPDX-License-Identifier: MIT
#include "platform/async_file.h"
#include "platform/async_read.h"
#include "platform/file.h"

#include <cerrno>
#include <string>
#include <vector>

#include "test_support.h"

using namespace Korvel::detail::platform;
using Korvel::testing::OpenDescriptors;

namespace {

class AsyncFileTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }

  const Korvel::testing::TempDir m_temp;
  const std::wstring m_path = m_temp.WidePath("data.bin");
  size_t m_transferred = 99;
};

TEST_F(AsyncFileTest, WritesOneChunkAtATime) {
  const std::string first(70000, 'a');
  const std::string second = "tail";
  {
    AsyncFile file;
    ASSERT_EQ(file.CreateForWrite(m_path), 0);
    ASSERT_EQ(file.EnableOverlap(), 0);
    EXPECT_EQ(file.Wait(m_transferred), 0);  // nothing in flight
    EXPECT_EQ(m_transferred, 0u);
    ASSERT_EQ(file.StartWrite(first.data(), first.size(), 0), 0);
    EXPECT_TRUE(file.IsBusy());
    EXPECT_EQ(file.StartWrite(second.data(), second.size(), first.size()), EBUSY);
    ASSERT_EQ(file.Wait(m_transferred), 0);
    EXPECT_EQ(m_transferred, first.size());
    ASSERT_EQ(file.StartWrite(second.data(), second.size(), first.size()), 0);
    EXPECT_EQ(file.Close(), 0);  // waits for the write in flight
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_EQ(m_temp.Read("data.bin"), first + second);
}

TEST_F(AsyncFileTest, OperationsNeedAnOpenFileAndTheHelper) {
  AsyncFile file;
  char byte = 0;
  EXPECT_EQ(file.EnableOverlap(), EBADF);
  EXPECT_EQ(file.StartWrite(&byte, 1, 0), EBADF);
  ASSERT_EQ(file.CreateForWrite(m_path), 0);
  EXPECT_EQ(file.StartWrite(&byte, 1, 0), EINVAL);
  InjectFileFailure(FileOp::Overlap, EAGAIN);
  EXPECT_EQ(file.EnableOverlap(), EAGAIN);
  EXPECT_EQ(file.EnableOverlap(), 0);
  EXPECT_EQ(file.CreateForWrite(L"/nonexistent/x"), ENOENT);
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(AsyncFileTest, FailuresOfTheTransferAreReportedByWaitOrClose) {
  AsyncFile file;
  ASSERT_EQ(file.CreateForWrite(m_path), 0);
  ASSERT_EQ(file.EnableOverlap(), 0);
  InjectFileFailure(FileOp::Write, EIO);
  const char byte = 'x';
  ASSERT_EQ(file.StartWrite(&byte, 1, 0), 0);
  EXPECT_EQ(file.Wait(m_transferred), EIO);
  EXPECT_EQ(m_transferred, 0u);
  // The file stays usable for the caller to decide.
  ASSERT_EQ(file.StartWrite(&byte, 1, 0), 0);
  EXPECT_EQ(file.Wait(m_transferred), 0);
  EXPECT_EQ(m_transferred, 1u);
  // A failure still in flight at Close is what Close reports.
  InjectFileFailure(FileOp::Write, ENOSPC);
  ASSERT_EQ(file.StartWrite(&byte, 1, 1), 0);
  EXPECT_EQ(file.Close(), ENOSPC);
  EXPECT_FALSE(file.IsOpen());
}

class AsyncReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t i = 0; i < m_content.size(); ++i) m_content[i] = static_cast<char>(i * 7);
    m_temp.Write("data", m_content);
    ASSERT_EQ(m_file.OpenForRead(m_temp.WidePath("data")), 0);
  }
  void TearDown() override { ClearInjectedAsyncReadFailures(); }

  const Korvel::testing::TempDir m_temp;
  std::string m_content = std::string(10000, '\0');
  File m_file;
};

TEST_F(AsyncReaderTest, ReadsChunksOneAtATimeUntilTheEndOfTheFile) {
  AsyncReader reader(m_file);
  std::string read;
  std::vector<char> buffer(4096);
  std::vector<size_t> sizes;
  size_t got = 0;
  EXPECT_EQ(reader.Wait(got), EINVAL);  // nothing started
  for (;;) {
    ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), read.size()), 0);
    EXPECT_EQ(reader.Start(buffer.data(), buffer.size(), 0), EBUSY);
    const ErrorCode error = reader.Wait(got);
    if (error == kEndOfFile) {
      EXPECT_EQ(got, 0u);
      break;
    }
    ASSERT_EQ(error, 0);
    sizes.push_back(got);
    read.append(buffer.data(), got);
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{4096, 4096, 1808}));
  EXPECT_EQ(read, m_content);
}

TEST_F(AsyncReaderTest, InjectedFailuresAndAnAbandonedRead) {
  std::vector<char> buffer(m_content.size());
  {
    AsyncReader reader(m_file);
    InjectAsyncReadFailure(AsyncReadStep::Start, EAGAIN);
    EXPECT_EQ(reader.Start(buffer.data(), buffer.size(), 0), EAGAIN);
    ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), 0), 0);
    InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
    size_t got = 1;
    EXPECT_EQ(reader.Wait(got), EIO);
    EXPECT_EQ(got, 0u);
    // The failed read is over: the next one can start, and is left in flight.
    ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), 0), 0);
  }
  // Nothing was left behind: the file reads as before.
  AsyncReader reader(m_file);
  ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), 0), 0);
  size_t got = 0;
  EXPECT_EQ(reader.Wait(got), 0);
  EXPECT_EQ(got, m_content.size());
}

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
