// SPDX-License-Identifier: MIT
// A growing byte buffer that text writers append UTF-8 to directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <korvel/binary_data.h>

#include "values/utf.h"
#include "xml/byte_buffer.h"
#include "xml/plain_ascii.h"

namespace Korvel::detail {

// The bytes of a document in UTF-8 as a writer produces it: markup is copied
// as it is, wide text encoded in place, so the document never exists as wide
// text. Wide text keeps the rules of the wide-buffer path: a surrogate pair is
// joined, even when its halves come in two pieces, and an unpaired surrogate or
// a value beyond U+10FFFF becomes U+FFFD.
class Utf8Buffer {
 public:
  Utf8Buffer() = default;
  Utf8Buffer(const Utf8Buffer&) = delete;
  Utf8Buffer& operator=(const Utf8Buffer&) = delete;

  // ASCII only.
  void PutAscii(std::string_view text) {
    m_bytes.Advance(CopyShort(text, m_bytes.Room(text.size())));
  }
  void PutAscii(char c) { m_bytes.Append(static_cast<uint8_t>(c)); }

  void Put(std::wstring_view text) {
    if (text.size() <= kStep) {
      // Names and values are short and nearly always ASCII: narrowed here,
      // anything else encoded where it goes.
      char* d = m_bytes.Room(4 * text.size());
      if (char* end = PutNameOrText(text, d)) return m_bytes.Advance(end);
    }
    PutLong(text);
  }

  // before, text and after, ASCII markup around a name, with one room check;
  // the same after lead (a line end and indentation).
  void PutBetween(std::string_view before, std::wstring_view text, std::string_view after) {
    PutBetween({}, before, text, after);
  }
  void PutBetween(std::string_view lead, std::string_view before, std::wstring_view text,
                  std::string_view after) {
    if (text.size() <= kStep) {
      char* d = m_bytes.Room(lead.size() + before.size() + 4 * text.size() + after.size());
      d = CopyShort(before, CopyShort(lead, d));
      if (char* end = PutNameOrText(text, d)) return m_bytes.Advance(CopyShort(after, end));
    }
    PutAscii(lead);
    PutAscii(before);
    Put(text);
    PutAscii(after);
  }

  // The same with prefix and a colon in front of text.
  void PutQualified(std::string_view lead, std::string_view before, std::wstring_view prefix,
                    std::wstring_view text, std::string_view after) {
    if (prefix.size() + text.size() < kStep) {
      char* d = m_bytes.Room(lead.size() + before.size() + 4 * (prefix.size() + 1 + text.size()) +
                             after.size());
      d = CopyShort(before, CopyShort(lead, d));
      if (char* end = PutNameOrText(prefix, d)) {
        *end++ = ':';
        if ((end = PutNameOrText(text, end))) return m_bytes.Advance(CopyShort(after, end));
      }
    }
    PutAscii(lead);
    PutAscii(before);
    Put(prefix);
    PutAscii(':');
    Put(text);
    PutAscii(after);
  }

  // Copies the leading run of text made of ASCII characters for which
  // stop(c) is false and returns its length, for writers that escape: text
  // with nothing to escape is scanned and copied in one pass.
  template <class Stop>
  size_t PutAsciiRun(std::wstring_view text, Stop stop) {
    char* d = m_bytes.Room(text.size());
    const size_t run = AsciiRun(text, d, stop);
    m_bytes.Advance(d + run);
    return run;
  }

  // text as it is when it is all characters that Plain admits, narrowed in
  // one pass; false, with nothing written, otherwise.
  template <class Plain>
  bool PutPlain(std::wstring_view text) {
    if (text.size() > kStep) return false;
    char* d = m_bytes.Room(text.size());
    if (!Plain::Narrow(text, d)) return false;
    m_bytes.Advance(d + text.size());
    return true;
  }

  // open, text and close with one room check when text is all ASCII that
  // stop lets through; false, with nothing written, otherwise.
  template <class Stop>
  bool PutWrappedAscii(char open, std::wstring_view text, Stop stop, char close) {
    char* d = m_bytes.Room(text.size() + 2);
    if (AsciiRun(text, d + 1, stop) != text.size()) return false;
    d[0] = open;
    d[text.size() + 1] = close;
    m_bytes.Advance(d + text.size() + 2);
    return true;
  }

  // The most bytes that an escape puts for one character.
  static constexpr size_t kEscapeRoom = 6;

  // lead, "<" name ">" text "</" name ">" and trail with one room check, when
  // prefix and name are all ASCII and text is well-formed; false, with
  // nothing written, otherwise. An ASCII character of text that Plain refuses
  // goes as escape(c, d) puts it at d, at most kEscapeRoom bytes, returning
  // their end. A prefix, when not empty, goes with a colon in front of the
  // name in both tags. The name may come as its ASCII bytes already
  // (std::string_view), which are copied. A text longer than a step is left to
  // the caller, so that room for several bytes a character is never asked for
  // much text at once.
  template <class Plain, class Name, class Escape>
  bool PutTextElement(std::string_view lead, std::wstring_view prefix, Name name,
                      std::wstring_view text, bool printed, std::string_view trail, Escape escape) {
    if (text.size() > kStep) return false;
    const size_t qualified = prefix.empty() ? 0 : prefix.size() + 1;
    char* d = m_bytes.Room(lead.size() + 2 * (qualified + name.size()) + kEscapeRoom * text.size() +
                           5 + trail.size());
    d = CopyShort(lead, d);
    *d++ = '<';
    if (qualified != 0) {
      if (!PlainName::Narrow(prefix, d)) return false;
      d += prefix.size();
      *d++ = ':';
    }
    if (!PutAsciiName(name, d)) return false;
    *d++ = '>';
    d = printed ? NarrowPrinted(text, d) : PutText<Plain>(text, d, escape);
    if (d == nullptr) return false;
    *d++ = '<';
    *d++ = '/';
    // Narrowed again rather than copied from the start tag: reading bytes
    // just stored would wait for the stores.
    if (qualified != 0) {
      d = Narrow(prefix, d);
      *d++ = ':';
    }
    d = Narrow(name, d);
    *d++ = '>';
    d = CopyShort(trail, d);
    m_bytes.Advance(d);
    return true;
  }

  // Room for n bytes, which compose(d) fills with UTF-8 and ends by returning
  // where its bytes end, or null to leave the buffer as it was: for writers
  // that assemble a whole piece of markup and text at once.
  template <class Compose>
  bool PutComposed(size_t n, Compose compose) {
    char* end = compose(m_bytes.Room(n));
    if (end == nullptr) return false;
    m_bytes.Advance(end);
    return true;
  }

  // " " name "=\"" value "\"" (prefix and a colon in front of name when
  // prefix is not null) with one room check when prefix and name are all
  // ASCII and value all characters that Plain admits; false, with nothing
  // written, otherwise.
  template <class Plain>
  bool PutAsciiAttribute(const std::wstring* prefix, std::wstring_view name,
                         std::wstring_view value) {
    const size_t qualified = prefix != nullptr ? prefix->size() + 1 : 0;
    char* d = m_bytes.Room(qualified + name.size() + value.size() + 4);
    *d++ = ' ';
    if (prefix != nullptr) {
      if (!PlainName::Narrow(*prefix, d)) return false;
      d += prefix->size();
      *d++ = ':';
    }
    if (!PlainName::Narrow(name, d)) return false;
    d += name.size();
    *d++ = '=';
    *d++ = '"';
    if (!Plain::Narrow(value, d)) return false;
    d += value.size();
    *d++ = '"';
    m_bytes.Advance(d);
    return true;
  }

  size_t Size() const noexcept { return m_bytes.Size(); }
  // Forgets the bytes, keeping the memory.
  void Clear() noexcept;
  // The bytes; the buffer is empty afterwards.
  CBinaryData Take();

 private:
  // Wide text is encoded in steps of this many characters, so that a long text
  // is not given room for four bytes per character all at once.
  static constexpr size_t kStep = 16384;

  // Copies the leading run of ASCII characters for which stop(c) is false
  // (stop only sees ASCII) and returns its length. Four characters go with
  // one test: names and values are a few steps long, and a branch per
  // character costs more than the copying.
  template <class Stop>
  static size_t AsciiRun(std::wstring_view text, char* d, Stop stop) {
    size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
      const auto c0 = static_cast<uint32_t>(text[i]);
      const auto c1 = static_cast<uint32_t>(text[i + 1]);
      const auto c2 = static_cast<uint32_t>(text[i + 2]);
      const auto c3 = static_cast<uint32_t>(text[i + 3]);
      if ((c0 | c1 | c2 | c3) >= 0x80) break;
      if ((static_cast<int>(stop(c0)) | static_cast<int>(stop(c1)) | static_cast<int>(stop(c2)) |
           static_cast<int>(stop(c3))) != 0) {
        break;
      }
      d[i] = static_cast<char>(c0);
      d[i + 1] = static_cast<char>(c1);
      d[i + 2] = static_cast<char>(c2);
      d[i + 3] = static_cast<char>(c3);
    }
    for (; i < text.size(); ++i) {
      const auto c = static_cast<uint32_t>(text[i]);
      if (c >= 0x80 || stop(c)) break;
      d[i] = static_cast<char>(c);
    }
    return i;
  }
  // text at d, with its ASCII characters that Plain refuses as escape puts
  // them, when it is well-formed: its end, or null. Plain text, most of it, is
  // narrowed; the rest goes a character at a time, runs beyond ASCII encoded.
  template <class Plain, class Escape>
  static char* PutText(std::wstring_view text, char* d, Escape escape) {
    if (Plain::Narrow(text, d)) return d + text.size();
    return PutTextInSteps<Plain>(text, d, escape);
  }
  // The rest, out of line: the callers' path for plain text stays short.
  template <class Plain, class Escape>
  [[gnu::noinline]] static char* PutTextInSteps(std::wstring_view text, char* d, Escape escape) {
    for (size_t i = 0; i < text.size();) {
      const auto c = static_cast<uint32_t>(text[i]);
      if (c < 0x80) {
        if (Plain::Admits(text[i])) {
          *d++ = static_cast<char>(c);
        } else {
          d = escape(c, d);
        }
        ++i;
        continue;
      }
      size_t end = i + 1;
      while (end < text.size() && static_cast<uint32_t>(text[end]) >= 0x80) ++end;
      d = PutUtf8(text.substr(i, end - i), d);
      if (d == nullptr) return nullptr;
      i = end;
    }
    return d;
  }
  // Names and values: narrowed when all ASCII, else encoded (null when not
  // well-formed).
  static char* PutNameOrText(std::wstring_view text, char* d) {
    if (PlainName::Narrow(text, d)) return d + text.size();
    return PutUtf8(text, d);
  }
  // A name at d, advancing d: wide names when all ASCII (false otherwise),
  // ASCII bytes as they are.
  static bool PutAsciiName(std::wstring_view name, char*& d) {
    if (!PlainName::Narrow(name, d)) return false;
    d += name.size();
    return true;
  }
  static bool PutAsciiName(std::string_view name, char*& d) {
    d = CopyShort(name, d);
    return true;
  }
  // A name known to be ASCII, again, four characters at a time.
  static char* Narrow(std::wstring_view name, char* d) {
    PlainName::Narrow(name, d);
    return d + name.size();
  }
  // Printed text, a character at a time: its characters were stored one by
  // one just before, and wider loads would wait for the stores.
  static char* NarrowPrinted(std::wstring_view text, char* d) {
    for (const wchar_t c : text) *d++ = static_cast<char>(c);
    return d;
  }
  static char* Narrow(std::string_view name, char* d) { return CopyShort(name, d); }

  void PutLong(std::wstring_view text);
  void PutCheckedStep(std::wstring_view text);
  void PutCodePoint(wchar_t c);

  ByteBuffer m_bytes;
  // A high surrogate that ended a text is written as U+FFFD at once, so that
  // markup need not check for it; when the next text starts with its pair and
  // nothing came between, the replacement is taken back and the pair joined.
  wchar_t m_replacedHigh = 0;
  size_t m_replacedEnd = 0;  // where that replacement ends
};

}  // namespace Korvel::detail
