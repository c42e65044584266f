// SPDX-License-Identifier: MIT
// Identifier mapping.
#include "names.h"

#include <cstdio>

namespace KorvelXsd {
namespace {

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

}  // namespace

std::string PascalCase(const std::wstring& xmlName) {
  std::string out;
  bool wordStart = true;
  for (wchar_t c : xmlName) {
    if (IsAsciiAlnum(c)) {
      char a = static_cast<char>(c);
      if (wordStart && a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
      out += a;
      wordStart = false;
    } else if (c > 0x7F) {
      char code[16];
      std::snprintf(code, sizeof code, "U%04X", static_cast<unsigned>(c));
      out += code;
      wordStart = true;
    } else {
      wordStart = true;
    }
  }
  if (out.empty() || (out[0] >= '0' && out[0] <= '9')) out = "N" + out;
  return out;
}

std::string CamelCase(const std::string& pascal) {
  std::string out = pascal;
  size_t upper = 0;
  while (upper < out.size() && out[upper] >= 'A' && out[upper] <= 'Z') ++upper;
  // In "USPrice" the P starts the next word and stays upper case.
  const size_t lowered =
      upper > 1 && upper < out.size() && out[upper] >= 'a' && out[upper] <= 'z' ? upper - 1 : upper;
  for (size_t i = 0; i < lowered; ++i) out[i] = static_cast<char>(out[i] - 'A' + 'a');
  return out;
}

std::string NameScope::Claim(const std::string& wanted) {
  std::string name = wanted;
  for (int n = 2; !m_taken.insert(name).second; ++n) name = wanted + std::to_string(n);
  return name;
}

}  // namespace KorvelXsd
