// SPDX-License-Identifier: MIT
// Helpers for fuzz targets: turning raw bytes into the wide text the library takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Korvel::fuzz {

// Each pair of bytes becomes one character (any value up to U+FFFF, including
// lone surrogates), so targets see text that no valid encoding would give.
inline std::wstring BytesToWide(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  return text;
}

}  // namespace Korvel::fuzz
