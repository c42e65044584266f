// SPDX-License-Identifier: MIT
#include "platform/async_read.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "test_support.h"

namespace Korvel::detail::platform {
namespace {

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

}  // namespace
}  // namespace Korvel::detail::platform
