// SPDX-License-Identifier: MIT
// FormatString: the library's printf-style message formatter.
//
// The formats follow the conventions of the platform the messages were written
// for (%s wide, %S narrow, I64 prefix, 32-bit long), which differ from glibc's
// wide printf. Strings and characters are therefore copied here directly; each
// numeric conversion is rebuilt in glibc's spelling and formatted on its own
// into a buffer sized for it, so no conversion is ever cut short, and in the C
// locale whatever locale the application has set.
#include <korvel/errors.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <vector>

#include "platform/c_locale.h"
#include "values/utf.h"

namespace Korvel {

namespace {

constexpr wchar_t kNullText[] = L"(null)";

enum class Size { Default, Char, Short, Long, LongLong, LongDouble, SizeT, IntMax, PtrDiff };

struct Conversion {
  bool leftAlign = false;
  std::wstring flags;  // as written, for the rebuilt numeric conversion
  int width = -1;
  int precision = -1;
  Size size = Size::Default;
  bool narrow = false;  // h prefix
  bool wide = false;    // l or w prefix
};

void Pad(std::wstring& out, size_t produced, const Conversion& conv, size_t start) {
  if (conv.width < 0 || produced >= static_cast<size_t>(conv.width)) return;
  size_t fill = static_cast<size_t>(conv.width) - produced;
  if (conv.leftAlign) {
    out.append(fill, L' ');
  } else {
    out.insert(start, fill, L' ');
  }
}

void AppendString(std::wstring& out, const Conversion& conv, bool isWide, va_list& args) {
  size_t limit = conv.precision >= 0 ? static_cast<size_t>(conv.precision) : SIZE_MAX;
  size_t start = out.size();
  const void* arg = va_arg(args, const void*);
  if (!arg) {
    out.append(kNullText, std::min(limit, std::wcslen(kNullText)));
  } else if (isWide) {
    const auto* s = static_cast<const wchar_t*>(arg);
    size_t n = 0;
    while (n < limit && s[n]) ++n;
    out.append(s, n);
  } else {
    // Narrow text is UTF-8; a stray byte stands for itself rather than vanishing.
    const auto* narrow = static_cast<const char*>(arg);
    detail::Utf8ToWideLenient(std::string_view(narrow, std::strlen(narrow)), out, limit);
  }
  Pad(out, out.size() - start, conv, start);
}

void AppendChar(std::wstring& out, const Conversion& conv, bool isWide, va_list& args) {
  size_t start = out.size();
  // Both kinds arrive promoted to int (or wint_t); a narrow character is a byte.
  if (isWide) {
    out += static_cast<wchar_t>(va_arg(args, wint_t));
  } else {
    out += static_cast<wchar_t>(static_cast<unsigned char>(va_arg(args, int)));
  }
  Pad(out, 1, conv, start);
}

// Formats one numeric conversion with glibc's wide printf, growing the buffer
// until the whole result fits.
template <class T>
void AppendNumber(std::wstring& out, const std::wstring& format, T value) {
  wchar_t local[128];
  int n = std::swprintf(local, sizeof local / sizeof *local, format.c_str(), value);
  if (n >= 0) {
    out.append(local, static_cast<size_t>(n));
    return;
  }
  for (size_t capacity = 1024;; capacity *= 2) {
    std::vector<wchar_t> buffer(capacity);
    n = std::swprintf(buffer.data(), capacity, format.c_str(), value);
    if (n >= 0) {
      out.append(buffer.data(), static_cast<size_t>(n));
      return;
    }
    if (capacity > (size_t{1} << 30)) return;  // a width beyond any sane message
  }
}

std::wstring NumericFormat(const Conversion& conv, const wchar_t* lengthModifier,
                           wchar_t conversion) {
  std::wstring f = L"%";
  f += conv.flags;
  if (conv.width >= 0) f += std::to_wstring(conv.width);
  if (conv.precision >= 0) {
    f += L'.';
    f += std::to_wstring(conv.precision);
  }
  f += lengthModifier;
  f += conversion;
  return f;
}

void AppendInteger(std::wstring& out, const Conversion& conv, wchar_t conversion, va_list& args) {
  bool isSigned = conversion == L'd' || conversion == L'i';
  switch (conv.size) {
    case Size::LongLong:
    case Size::IntMax:
      if (isSigned) {
        AppendNumber(out, NumericFormat(conv, L"ll", conversion), va_arg(args, long long));
      } else {
        AppendNumber(out, NumericFormat(conv, L"ll", conversion), va_arg(args, unsigned long long));
      }
      return;
    case Size::SizeT:
    case Size::PtrDiff:
      if (isSigned) {
        AppendNumber(out, NumericFormat(conv, L"l", conversion),
                     static_cast<long>(va_arg(args, ptrdiff_t)));
      } else {
        AppendNumber(out, NumericFormat(conv, L"l", conversion),
                     static_cast<unsigned long>(va_arg(args, size_t)));
      }
      return;
    default:
      break;
  }
  // 32 bits, narrowed further by h and hh; long is 32 bits in these formats.
  int raw = va_arg(args, int);
  long long value = raw;
  unsigned long long uvalue = static_cast<unsigned>(raw);
  if (conv.size == Size::Short) {
    value = static_cast<short>(raw);
    uvalue = static_cast<unsigned short>(raw);
  } else if (conv.size == Size::Char) {
    value = static_cast<signed char>(raw);
    uvalue = static_cast<unsigned char>(raw);
  }
  if (isSigned) {
    AppendNumber(out, NumericFormat(conv, L"ll", conversion), value);
  } else {
    AppendNumber(out, NumericFormat(conv, L"ll", conversion), uvalue);
  }
}

void AppendFloating(std::wstring& out, const Conversion& conv, wchar_t conversion, va_list& args) {
  // The application's locale may spell the decimal point as a comma; text
  // that goes into XML must not.
  const detail::platform::CLocaleScope cLocale;
  if (conv.size == Size::LongDouble) {
    AppendNumber(out, NumericFormat(conv, L"L", conversion), va_arg(args, long double));
  } else {
    AppendNumber(out, NumericFormat(conv, L"", conversion), va_arg(args, double));
  }
}

int ReadNumber(const wchar_t*& p) {
  long long n = 0;
  while (*p >= L'0' && *p <= L'9') {
    if (n < 100000000) n = n * 10 + (*p - L'0');
    ++p;
  }
  return static_cast<int>(n);
}

// Parses one conversion after '%' and appends its output; returns the position
// after it.
const wchar_t* AppendConversion(std::wstring& out, const wchar_t* p, const wchar_t* percent,
                                va_list& args) {
  Conversion conv;
  for (;; ++p) {
    if (*p == L'-') {
      conv.leftAlign = true;
    } else if (*p != L'+' && *p != L'0' && *p != L' ' && *p != L'#') {
      break;
    }
    conv.flags += *p;
  }
  if (*p == L'*') {
    ++p;
    conv.width = va_arg(args, int);
    if (conv.width < 0) {
      conv.leftAlign = true;
      conv.flags += L'-';
      conv.width = conv.width == INT32_MIN ? INT32_MAX : -conv.width;
    }
  } else if (*p >= L'0' && *p <= L'9') {
    conv.width = ReadNumber(p);
  }
  if (*p == L'.') {
    ++p;
    if (*p == L'*') {
      ++p;
      conv.precision = va_arg(args, int);
      if (conv.precision < 0) conv.precision = -1;
    } else {
      conv.precision = ReadNumber(p);
    }
  }
  if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
    conv.size = Size::LongLong;
    p += 3;
  } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
    p += 3;
  } else if (*p == L'I') {
    conv.size = Size::SizeT;
    ++p;
  } else if (p[0] == L'h' && p[1] == L'h') {
    conv.size = Size::Char;
    conv.narrow = true;
    p += 2;
  } else if (*p == L'h') {
    conv.size = Size::Short;
    conv.narrow = true;
    ++p;
  } else if (p[0] == L'l' && p[1] == L'l') {
    conv.size = Size::LongLong;
    p += 2;
  } else if (*p == L'l' || *p == L'w') {
    conv.wide = true;  // long stays 32 bits
    ++p;
  } else if (*p == L'L') {
    conv.size = Size::LongDouble;
    ++p;
  } else if (*p == L'z') {
    conv.size = Size::SizeT;
    ++p;
  } else if (*p == L'j') {
    conv.size = Size::IntMax;
    ++p;
  } else if (*p == L't') {
    conv.size = Size::PtrDiff;
    ++p;
  }

  wchar_t conversion = *p;
  switch (conversion) {
    case L's':
      AppendString(out, conv, !conv.narrow, args);
      break;
    case L'S':
      AppendString(out, conv, conv.wide, args);
      break;
    case L'c':
      AppendChar(out, conv, !conv.narrow, args);
      break;
    case L'C':
      AppendChar(out, conv, conv.wide, args);
      break;
    case L'd':
    case L'i':
    case L'o':
    case L'u':
    case L'x':
    case L'X':
      AppendInteger(out, conv, conversion, args);
      break;
    case L'e':
    case L'E':
    case L'f':
    case L'F':
    case L'g':
    case L'G':
    case L'a':
    case L'A':
      AppendFloating(out, conv, conversion, args);
      break;
    case L'p':
      AppendNumber(out, NumericFormat(conv, L"", L'p'), va_arg(args, void*));
      break;
    case L'%':
      out += L'%';
      break;
    default:
      // Unknown conversion, %n included (a formatter never writes through
      // its arguments): copied as written, consuming no argument.
      if (conversion == L'\0') {
        out.append(percent);
        return p;
      }
      out.append(percent, p + 1);
      break;
  }
  return p + 1;
}

}  // namespace

std::wstring FormatString(const wchar_t* format, ...) {
  std::wstring out;
  if (!format) return out;
  out.reserve(std::wcslen(format) + 32);
  va_list args;
  va_start(args, format);
  const wchar_t* p = format;
  while (*p) {
    const wchar_t* percent = std::wcschr(p, L'%');
    if (!percent) {
      out.append(p);
      break;
    }
    out.append(p, percent);
    p = AppendConversion(out, percent + 1, percent, args);
  }
  va_end(args);
  return out;
}

}  // namespace Korvel
