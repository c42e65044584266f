// SPDX-License-Identifier: MIT
// UTF-8 to wide text and back, for file names, options and listings.
#include "text.h"

namespace korvel_cli {

std::wstring Widen(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80                   ? 0
                      : lead >= 0xF0 && lead < 0xF5 ? 3
                      : lead >= 0xE0                ? 2
                      : lead >= 0xC2                ? 1
                                                    : -1;
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    bool valid = extra >= 0 && i + static_cast<size_t>(extra) < utf8.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (valid && extra > 0) {
      valid = code >= kSmallest[extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    }
    out.push_back(valid ? static_cast<wchar_t>(code) : L'\uFFFD');
    i += valid ? static_cast<size_t>(extra) + 1 : 1;
  }
  return out;
}

std::string Narrow(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    char32_t code = static_cast<char32_t>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace korvel_cli
