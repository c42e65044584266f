// SPDX-License-Identifier: MIT
#include <korvel/critical_section.h>
#include <korvel/smart_ptr.h>

#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using Korvel::testing::Counted;

TEST(SmartPtr, CountsReassignsAndDestroysOnce) {
  int destroyed = 0;
  {
    CSmartPtr<Counted> a(new Counted(&destroyed));
    CSmartPtr<Counted> b = a;
    CSmartPtr<Counted> c;
    c = b;
    EXPECT_EQ(a->Count(), 3);
    const CSmartPtr<Counted>& self = c;
    c = self;  // self-assignment must not drop the last reference
    CSmartPtr<Counted> d(std::move(c));
    EXPECT_FALSE(c);
    EXPECT_EQ(a->Count(), 3);
    b = nullptr;
    EXPECT_EQ(a->Count(), 2);
  }
  EXPECT_EQ(destroyed, 1);
  CSmartPtr<Counted> p(new Counted(&destroyed));
  p = new Counted(&destroyed);
  EXPECT_EQ(destroyed, 2);
  Counted* raw = p.Detach();
  EXPECT_EQ(raw->Release(), 0);
  EXPECT_EQ(destroyed, 3);
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
