// SPDX-License-Identifier: MIT
// The thread-local switch to the C locale (uselocale), which leaves the
// process's global locale and every other thread alone.
#include "platform/c_locale.h"

#include <locale.h>

namespace Korvel::detail::platform {

namespace {

// Created once and never changed; when it cannot be created the thread keeps
// its locale (LC_GLOBAL_LOCALE stands for "no switch").
locale_t CLocale() noexcept {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

CLocaleScope::CLocaleScope() noexcept : m_previous(nullptr) {
  if (locale_t c = CLocale()) m_previous = uselocale(c);
}

CLocaleScope::~CLocaleScope() {
  if (m_previous) uselocale(static_cast<locale_t>(m_previous));
}

}  // namespace Korvel::detail::platform
