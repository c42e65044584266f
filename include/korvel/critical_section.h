// SPDX-License-Identifier: MIT
// CKVCriticalSection: a lock that the thread holding it may enter again.
#pragma once

#include <mutex>

#include <korvel/export.h>

// The thread that calls Enter is the one that calls Leave; nested Enter calls on
// one thread are allowed and each needs its Leave.
class KORVEL_API CKVCriticalSection {
 public:
  CKVCriticalSection();
  CKVCriticalSection(const CKVCriticalSection&) = delete;
  CKVCriticalSection& operator=(const CKVCriticalSection&) = delete;
  virtual ~CKVCriticalSection();

  void Enter();
  void Leave();

 private:
  std::recursive_mutex m_mutex;
};

namespace Korvel {

// Holds a CKVCriticalSection for one scope.
class CKVCriticalSectionLock {
 public:
  explicit CKVCriticalSectionLock(CKVCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
  CKVCriticalSectionLock(const CKVCriticalSectionLock&) = delete;
  CKVCriticalSectionLock& operator=(const CKVCriticalSectionLock&) = delete;
  ~CKVCriticalSectionLock() { m_cs.Leave(); }

 private:
  CKVCriticalSection& m_cs;
};

}  // namespace Korvel
