// SPDX-License-Identifier: MIT
// CSmartPtr: an owning pointer over an intrusively counted object.
#pragma once

#include <cstddef>
#include <utility>

// T provides AddRef and Release. Taking a non-null pointer adds a reference;
// dropping or replacing it releases one, and the object deletes itself when
// its count reaches zero.
template <class T>
class CSmartPtr {
 public:
  CSmartPtr() noexcept = default;
  CSmartPtr(std::nullptr_t) noexcept {}
  CSmartPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  CSmartPtr(const CSmartPtr& other) : CSmartPtr(other.m_p) {}
  CSmartPtr(CSmartPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  template <class U>
  CSmartPtr(const CSmartPtr<U>& other) : CSmartPtr(static_cast<T*>(other.Get())) {}
  ~CSmartPtr() { Reset(); }

  CSmartPtr& operator=(const CSmartPtr& other) { return *this = other.m_p; }
  CSmartPtr& operator=(CSmartPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      m_p = std::exchange(other.m_p, nullptr);
    }
    return *this;
  }
  CSmartPtr& operator=(T* p) {
    // Add first so that assigning an object to itself never drops it to zero.
    if (p) p->AddRef();
    T* old = std::exchange(m_p, p);
    if (old) old->Release();
    return *this;
  }

  void Reset() {
    if (T* old = std::exchange(m_p, nullptr)) old->Release();
  }
  // Gives up ownership without releasing: the caller now holds the reference.
  T* Detach() noexcept { return std::exchange(m_p, nullptr); }

  T* Get() const noexcept { return m_p; }
  T* operator->() const noexcept { return m_p; }
  T& operator*() const noexcept { return *m_p; }
  operator T*() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }

 private:
  T* m_p = nullptr;
};
