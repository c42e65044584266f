// SPDX-License-Identifier: MIT
#include "platform/async_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "test_support.h"

using namespace Korvel::detail::platform;

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

}  // namespace
