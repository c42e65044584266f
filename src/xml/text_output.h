// SPDX-License-Identifier: MIT
// Where the text writers (XML, JSON) put their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <korvel/text_stream.h>

#include "xml/utf8_buffer.h"

namespace Korvel::detail {

// A writer's text goes straight into the UTF-8 buffer of a byte stream when
// it writes into one (ToXmlStream, ToJsonStream in UTF-8): markup is copied as
// bytes and names and values are encoded once, where they go. Otherwise it goes
// into the stream's wide buffer, which the stream is given a chunk at a time.
class TextOutput {
 public:
  explicit TextOutput(CTextStream& stream);

  // Markup, which is ASCII.
  void Put(std::string_view ascii) {
    if (m_utf8 != nullptr) {
      m_utf8->PutAscii(ascii);
    } else {
      for (const char c : ascii) m_wide.Append(static_cast<wchar_t>(c));
    }
  }
  void Put(char ascii) {
    if (m_utf8 != nullptr) {
      m_utf8->PutAscii(ascii);
    } else {
      m_wide.Append(static_cast<wchar_t>(ascii));
    }
  }
  // Names, values and whatever else the caller supplies.
  void Put(std::wstring_view text) {
    if (m_utf8 != nullptr) {
      m_utf8->Put(text);
    } else {
      m_wide.Append(text);
    }
  }

  // ASCII markup around a name, as one append where it can be.
  void PutBetween(std::string_view before, std::wstring_view text, std::string_view after) {
    if (m_utf8 != nullptr) {
      m_utf8->PutBetween(before, text, after);
    } else {
      Put(before);
      m_wide.Append(text);
      Put(after);
    }
  }

  // A tag on a line of its own: the line end (when lineEndFirst) and
  // indentation for levels, then before, the name (with the prefix and a
  // colon in front when there is a prefix) and after, as one append where it
  // can be.
  void PutTagLine(bool lineEndFirst, size_t levels, std::string_view before,
                  const std::wstring* prefix, std::wstring_view name, std::string_view after) {
    if (m_utf8 == nullptr || !m_asciiIndent) {
      return PutTagLineSlow(lineEndFirst, levels, before, prefix, name, after);
    }
    const std::string_view lead = AsciiLead(lineEndFirst, levels);
    if (prefix != nullptr) return m_utf8->PutQualified(lead, before, *prefix, name, after);
    m_utf8->PutBetween(lead, before, name, after);
  }

  // Puts the leading run of text made of ASCII characters for which stop(c)
  // is false and returns its length (see Utf8Buffer::PutAsciiRun).
  template <class Stop>
  size_t PutAsciiRun(std::wstring_view text, Stop stop) {
    if (m_utf8 != nullptr) return m_utf8->PutAsciiRun(text, stop);
    size_t run = 0;
    while (run < text.size() && static_cast<uint32_t>(text[run]) < 0x80 &&
           !stop(static_cast<uint32_t>(text[run]))) {
      ++run;
    }
    m_wide.Append(text.data(), run);
    return run;
  }

  // Puts text with every character for which escaped(c) is true handed to
  // putEscape(c) instead. Plain ASCII, most text, is scanned and copied in
  // one pass; text beyond ASCII goes as one run up to the next escape.
  template <class Escaped, class PutEscape>
  void PutEscaped(std::wstring_view text, Escaped escaped, PutEscape putEscape) {
    while (!text.empty()) {
      text.remove_prefix(PutAsciiRun(text, escaped));
      if (text.empty()) return;
      const auto c = static_cast<uint32_t>(text.front());
      if (escaped(c)) {
        text.remove_prefix(1);
        putEscape(c);
        continue;
      }
      size_t run = 1;
      while (run < text.size() && !escaped(static_cast<uint32_t>(text[run]))) ++run;
      Put(text.substr(0, run));
      text.remove_prefix(run);
    }
  }

  // text as one append when the output is UTF-8 and text all characters
  // that Plain admits; false, with nothing written, otherwise.
  template <class Plain>
  bool PutPlain(std::wstring_view text) {
    return m_utf8 != nullptr && m_utf8->PutPlain<Plain>(text);
  }

  // open, text and close as one append when text is all ASCII that stop
  // lets through; false, with nothing written, otherwise.
  template <class Stop>
  bool PutWrappedAscii(char open, std::wstring_view text, Stop stop, char close) {
    if (m_utf8 != nullptr) return m_utf8->PutWrappedAscii(open, text, stop, close);
    for (const wchar_t c : text) {
      if (static_cast<uint32_t>(c) >= 0x80 || stop(static_cast<uint32_t>(c))) return false;
    }
    m_wide.Append(static_cast<wchar_t>(open));
    m_wide.Append(text);
    m_wide.Append(static_cast<wchar_t>(close));
    return true;
  }

  // The unit of indentation (a tab by default), and that unit repeated.
  void SetIndent(std::wstring_view unit);
  void PutIndent(size_t levels) {
    const size_t length = levels * m_indentUnit.size();
    if (m_utf8 != nullptr && length <= m_asciiIndentRun.size()) {
      m_utf8->PutAscii(std::string_view(m_asciiIndentRun.data(), length));
    } else {
      PutIndentSlow(levels);
    }
  }
  // The line end ("\n" by default, ASCII), and the line end followed by
  // indentation as one append.
  void SetLineEnd(std::string_view lineEnd);
  void PutBreak(size_t levels) {
    const size_t length = m_lineEnd.size() + levels * m_indentUnit.size();
    if (m_utf8 != nullptr && length <= m_asciiBreakRun.size()) {
      m_utf8->PutAscii(std::string_view(m_asciiBreakRun.data(), length));
    } else {
      PutBreakSlow(levels);
    }
  }

  // An element holding text as one append: the line end (when lineEndFirst)
  // and indentation for levels, "<" name ">" text "</" name ">" (the name
  // with "prefix:" in front when there is a prefix), and the line end (when
  // lineEndAfter). False, with nothing written, unless the output is UTF-8,
  // the indentation ASCII, name and prefix ASCII, and text not long and
  // well-formed: the caller then writes the element piece by piece. The ASCII
  // characters of text that Plain refuses go as escape puts them (see
  // Utf8Buffer::PutTextElement). The name is wide, or its ASCII bytes;
  // printed text is known to be plain ASCII.
  template <class Plain, class Name, class Escape>
  bool PutTextElement(bool lineEndFirst, size_t levels, std::wstring_view prefix, Name name,
                      std::wstring_view text, bool printed, bool lineEndAfter, Escape escape) {
    if (m_utf8 == nullptr || !m_asciiIndent) return false;
    return m_utf8->PutTextElement<Plain>(
        AsciiLead(lineEndFirst, levels), prefix, name, text, printed,
        lineEndAfter ? std::string_view(m_lineEnd) : std::string_view(), escape);
  }

  // Bytes a writer composes itself (see Utf8Buffer::PutComposed); false, with
  // nothing written, unless the output is UTF-8.
  template <class Compose>
  bool PutComposed(size_t n, Compose compose) {
    return m_utf8 != nullptr && m_utf8->PutComposed(n, compose);
  }

  // An attribute, " " name "=\"" value "\"" (the prefix and a colon in front
  // of the name when there is a prefix), as one append; false, with nothing
  // written, unless the output is UTF-8, prefix and name ASCII and value all
  // characters that Plain admits.
  template <class Plain>
  bool PutAsciiAttribute(const std::wstring* prefix, std::wstring_view name,
                         std::wstring_view value) {
    return m_utf8 != nullptr && m_utf8->PutAsciiAttribute<Plain>(prefix, name, value);
  }

  // Hands wide text to the stream once a chunk's worth has gathered.
  void FlushIfFull() {
    if (m_wide.GetLength() >= kFlushThreshold) m_stream.Flush();
  }

 private:
  static constexpr size_t kFlushThreshold = 4096;

  // The line end (when lineEnd) and indentation for levels, in bytes, for an
  // ASCII unit.
  std::string_view AsciiLead(bool lineEnd, size_t levels) {
    const std::string& run = lineEnd ? m_asciiBreakRun : m_asciiIndentRun;
    const size_t length = (lineEnd ? m_lineEnd.size() : 0) + levels * m_indentUnit.size();
    if (run.size() < length) return GrowAsciiLead(lineEnd, length);
    return std::string_view(run.data(), length);
  }
  std::string_view GrowAsciiLead(bool lineEnd, size_t length);
  // Wide output, a unit beyond ASCII, or a level deeper than any so far.
  void PutIndentSlow(size_t levels);
  void PutTagLineSlow(bool lineEndFirst, size_t levels, std::string_view before,
                      const std::wstring* prefix, std::wstring_view name, std::string_view after);
  void PutBreakSlow(size_t levels);

  CTextStream& m_stream;
  CStringBuffer& m_wide;
  Utf8Buffer* m_utf8 = nullptr;
  std::wstring m_indentUnit;
  bool m_asciiIndent = true;
  std::string m_lineEnd = "\n";
  // The unit repeated for the deepest level written so far, so that an
  // indentation is one append; the bytes, also with the line end in front, are
  // kept for an ASCII unit in UTF-8 only (empty otherwise).
  std::wstring m_indentRun;
  std::string m_asciiIndentRun;
  std::string m_asciiBreakRun;
};

}  // namespace Korvel::detail
