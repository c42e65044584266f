// SPDX-License-Identifier: MIT
#include <korvel/critical_section.h>
#include <korvel/smart_ptr.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// A minimal intrusively counted type with the library's AddRef/Release contract.
class Counted {
 public:
  explicit Counted(int* destroyed) : m_destroyed(destroyed) {}
  virtual ~Counted() { ++*m_destroyed; }
  int32_t AddRef() { return ++m_count; }
  int32_t Release() {
    int32_t n = --m_count;
    if (n == 0) delete this;
    return n;
  }
  int32_t Count() const { return m_count; }

 private:
  std::atomic<int32_t> m_count{0};
  int* m_destroyed;
};

TEST(SmartPtr, CountsAndDestroysOnce) {
  int destroyed = 0;
  {
    CSmartPtr<Counted> a(new Counted(&destroyed));
    EXPECT_EQ(a->Count(), 1);
    CSmartPtr<Counted> b = a;
    EXPECT_EQ(a->Count(), 2);
    CSmartPtr<Counted> c;
    c = b;
    EXPECT_EQ(a->Count(), 3);
    const CSmartPtr<Counted>& self = c;
    c = self;  // self-assignment must not drop the last reference
    EXPECT_EQ(a->Count(), 3);
    CSmartPtr<Counted> d(std::move(c));
    EXPECT_FALSE(c);
    EXPECT_EQ(a->Count(), 3);
    b = nullptr;
    EXPECT_EQ(a->Count(), 2);
  }
  EXPECT_EQ(destroyed, 1);
}

TEST(SmartPtr, ReassignReleasesPrevious) {
  int destroyed = 0;
  CSmartPtr<Counted> p(new Counted(&destroyed));
  p = new Counted(&destroyed);
  EXPECT_EQ(destroyed, 1);
  Counted* raw = p.Detach();
  EXPECT_EQ(raw->Count(), 1);
  EXPECT_EQ(raw->Release(), 0);
  EXPECT_EQ(destroyed, 2);
}

TEST(CriticalSection, ReentrantAndExclusive) {
  CKVCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owning thread may enter again
  cs.Leave();
  cs.Leave();

  long total = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        Korvel::CKVCriticalSectionLock lock(cs);
        ++total;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(total, 40000);
}

}  // namespace
