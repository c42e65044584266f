// SPDX-License-Identifier: MIT
// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>
#include <korvel/errors.h>

namespace Korvel::testing {

// Runs the statement and checks that it throws exactly type E (or a subclass)
// with the given wide message, character for character.
#define KORVEL_EXPECT_THROW_MESSAGE(statement, E, expected)                            \
  do {                                                                                 \
    try {                                                                              \
      statement;                                                                       \
      ADD_FAILURE() << "no exception from: " #statement;                               \
    } catch (const E& e_) {                                                            \
      EXPECT_EQ(std::wstring(e_.GetMessageW()), std::wstring(expected)) << #statement; \
    } catch (...) {                                                                    \
      /* rethrown so that E may itself be CKvException without a shadowed handler */   \
      try {                                                                            \
        throw;                                                                         \
      } catch (const ::Korvel::CKvException& e_) {                                     \
        ADD_FAILURE() << "wrong exception type from " #statement ": "                  \
                      << ::testing::PrintToString(e_.GetMessageW());                   \
      } catch (...) {                                                                  \
        ADD_FAILURE() << "foreign exception from " #statement;                         \
      }                                                                                \
    }                                                                                  \
  } while (0)

// A fresh directory under /tmp, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::string name = std::filesystem::temp_directory_path().string() + "/korvel_XXXXXX";
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_dir = name;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string Path(const std::string& name) const { return m_dir + "/" + name; }
  // The library takes wide paths; the names the tests use are ASCII.
  std::wstring WidePath(const std::string& name) const {
    const std::string path = Path(name);
    return std::wstring(path.begin(), path.end());
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

 private:
  std::string m_dir;
};

// Entries of a /proc directory: what leak checks count before and after.
inline int CountEntries(const char* dir) {
  int n = 0;
  if (DIR* d = opendir(dir)) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}
inline int OpenDescriptors() { return CountEntries("/proc/self/fd"); }

// Counted as the object classes count: from 0, deleting itself when back at 0.
class Counted {
 public:
  explicit Counted(int* destroyed) : m_destroyed(destroyed) {}
  virtual ~Counted() { ++*m_destroyed; }
  int32_t AddRef() { return ++m_count; }
  int32_t Release() {
    const int32_t n = --m_count;
    if (n == 0) delete this;
    return n;
  }
  int32_t Count() const { return m_count; }

 private:
  std::atomic<int32_t> m_count{0};
  int* m_destroyed;
};
inline int Threads() { return CountEntries("/proc/self/task"); }

inline CBinaryData DataOf(std::string_view bytes) {
  return CBinaryData(reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()));
}
inline std::string BytesOf(const CBinaryData& data) {
  if (data.GetData() == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength());
}

}  // namespace Korvel::testing
