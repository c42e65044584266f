// SPDX-License-Identifier: MIT
#include "platform/async_read.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace Korvel::detail::platform {
namespace {

namespace fs = std::filesystem;

class AsyncReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    m_path = fs::temp_directory_path() /
             ("korvel_async_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    m_content.resize(10000);
    for (size_t i = 0; i < m_content.size(); ++i) m_content[i] = static_cast<char>(i * 7);
    std::ofstream(m_path, std::ios::binary)
        .write(m_content.data(), static_cast<std::streamsize>(m_content.size()));
    ASSERT_EQ(m_file.OpenForRead(m_path.wstring()), 0);
  }
  void TearDown() override {
    ClearInjectedAsyncReadFailures();
    m_file.Close();
    fs::remove(m_path);
  }

  fs::path m_path;
  std::string m_content;
  File m_file;
};

TEST_F(AsyncReaderTest, ReadsChunksUntilTheEndOfTheFile) {
  AsyncReader reader(m_file);
  std::string read;
  std::vector<char> buffer(4096);
  std::vector<size_t> sizes;
  for (;;) {
    ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), read.size()), 0);
    size_t got = 0;
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

TEST_F(AsyncReaderTest, OneReadAtATime) {
  AsyncReader reader(m_file);
  size_t got = 0;
  EXPECT_EQ(reader.Wait(got), EINVAL);
  std::vector<char> first(100);
  std::vector<char> second(100);
  ASSERT_EQ(reader.Start(first.data(), first.size(), 0), 0);
  EXPECT_EQ(reader.Start(second.data(), second.size(), 100), EBUSY);
  EXPECT_EQ(reader.Wait(got), 0);
  EXPECT_EQ(got, 100u);
  EXPECT_EQ(std::string(first.data(), 100), m_content.substr(0, 100));
}

TEST_F(AsyncReaderTest, InjectedFailures) {
  AsyncReader reader(m_file);
  std::vector<char> buffer(100);
  InjectAsyncReadFailure(AsyncReadStep::Start, EAGAIN);
  EXPECT_EQ(reader.Start(buffer.data(), buffer.size(), 0), EAGAIN);
  ASSERT_EQ(reader.Start(buffer.data(), buffer.size(), 0), 0);
  InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
  size_t got = 1;
  EXPECT_EQ(reader.Wait(got), EIO);
  EXPECT_EQ(got, 0u);
  // The failed read is over: the next one can start.
  EXPECT_EQ(reader.Start(buffer.data(), buffer.size(), 0), 0);
  EXPECT_EQ(reader.Wait(got), 0);
}

TEST_F(AsyncReaderTest, AbandonedWithAReadInFlight) {
  std::vector<char> buffer(m_content.size());
  {
    AsyncReader reader(m_file);
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
