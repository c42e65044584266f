// SPDX-License-Identifier: MIT
// The C locale for the calling thread while a scope lasts, so that numbers the
// C library formats look the same whatever locale the application has set.
#pragma once

namespace Korvel::detail::platform {

class CLocaleScope {
 public:
  CLocaleScope() noexcept;
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  void* m_previous;  // the thread's locale before, restored at the end
};

}  // namespace Korvel::detail::platform
