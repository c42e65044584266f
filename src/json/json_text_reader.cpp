// SPDX-License-Identifier: MIT
// The JSON text reader: characters, comments, the grammar and its messages.
#include "json/json_text_reader.h"

#include <algorithm>
#include <utility>

#include "json/messages.h"
#include "values/utf.h"

namespace Korvel::detail {

namespace {

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

int HexValue(wchar_t c) noexcept {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool IsHighSurrogate(char32_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }

// How each input form gives characters: the next one, the number of
// characters in a stretch of code units, and a stretch appended as wide text.
// Stretches never split a character, as they end at ASCII delimiters.
template <typename Char>
struct Units;

template <>
struct Units<wchar_t> {
  static wchar_t Next(const wchar_t* text, size_t& index) noexcept { return text[index++]; }
  static size_t Count(const wchar_t*, size_t length) noexcept { return length; }
  static size_t Append(std::wstring& out, const wchar_t* text, size_t length) {
    out.append(text, length);
    return length;
  }
};

// UTF-8 known to be well-formed, so a lead byte tells the length.
template <>
struct Units<char> {
  static wchar_t Next(const char* text, size_t& index) noexcept {
    const auto lead = static_cast<unsigned char>(text[index++]);
    if (lead < 0x80) return lead;
    size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t c = lead & (0x3F >> more);
    for (; more != 0; --more) c = (c << 6) | (static_cast<unsigned char>(text[index++]) & 0x3F);
    return static_cast<wchar_t>(c);
  }
  static size_t Count(const char* text, size_t length) noexcept {
    size_t characters = 0;
    for (size_t i = 0; i < length; ++i) {
      characters += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    }
    return characters;
  }
  // Names and values are mostly short and ASCII: widened in place, and
  // decoded again only when a byte says otherwise.
  static size_t Append(std::wstring& out, const char* text, size_t length) {
    const size_t before = out.size();
    out.resize(before + length);
    wchar_t* const to = &out[before];
    unsigned char any = 0;
    for (size_t i = 0; i < length; ++i) {
      const auto b = static_cast<unsigned char>(text[i]);
      to[i] = b;
      any |= b;
    }
    if (any < 0x80) return length;
    out.resize(before);
    Utf8ToWide(std::string_view(text, length), out);
    return out.size() - before;
  }
};

}  // namespace

IJsonReaderHandler::~IJsonReaderHandler() = default;

template <typename Char>
BasicJsonTextReader<Char>::BasicJsonTextReader(IJsonReaderHandler& handler,
                                               IErrorPathProvider* errorPath, int32_t depthLimit,
                                               bool allowComments, std::wstring rootElementName,
                                               std::basic_string_view<Char> input)
    : m_handler(handler),
      m_errorPath(errorPath),
      m_depthLimit(depthLimit),
      m_allowComments(allowComments),
      m_rootElementName(std::move(rootElementName)),
      m_input(input) {}

// --- Characters ---------------------------------------------------------------

// The ordinary read: the next character other than a line feed becomes current.
template <typename Char>
bool BasicJsonTextReader<Char>::Read() {
  while (m_index < m_input.size()) {
    const wchar_t c = Units<Char>::Next(m_input.data(), m_index);
    if (c == L'\n') {
      ++m_line;
      m_position = 0;
      continue;
    }
    ++m_position;
    m_current = c;
    return true;
  }
  m_endOfInput = true;
  return false;
}

// Up to count characters as they stand, line feeds included, into out;
// returns how many there were.
template <typename Char>
size_t BasicJsonTextReader<Char>::ReadFixed(size_t count, wchar_t* out) {
  size_t got = 0;
  for (; got < count && m_index < m_input.size(); ++got) {
    out[got] = Units<Char>::Next(m_input.data(), m_index);
  }
  m_position += static_cast<int32_t>(got);
  return got;
}

// To the next significant character. Whitespace, most of a formatted
// document, is skipped by code unit, as it is ASCII in every form.
template <typename Char>
void BasicJsonTextReader<Char>::Advance() {
  const Char* const text = m_input.data();
  for (; m_index < m_input.size(); ++m_index) {
    const Char c = text[m_index];
    if (c == '\n') {
      ++m_line;
      m_position = 0;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++m_position;
    } else {
      break;
    }
  }
  if (!Read()) return;
  if (m_allowComments && m_current == L'/') SkipComments();
}

// After a number, whose terminating character is already current.
template <typename Char>
void BasicJsonTextReader<Char>::AdvanceFrom() {
  if (IsWhitespace(m_current)) {
    Advance();
  } else if (m_allowComments && m_current == L'/') {
    SkipComments();
  }
}

// With '/' current: skips this comment and any that follow it. A '/' that
// starts no comment stays current for the grammar to report.
template <typename Char>
void BasicJsonTextReader<Char>::SkipComments() {
  for (;;) {
    if (m_index == m_input.size()) return;
    if (NextIs('/')) {
      const size_t lineEnd = m_input.find(static_cast<Char>('\n'), m_index);
      const size_t stop = lineEnd == m_input.npos ? m_input.size() : lineEnd;
      m_position +=
          static_cast<int32_t>(Units<Char>::Count(m_input.data() + m_index, stop - m_index));
      m_index = stop;
      if (m_index == m_input.size()) {
        m_endOfInput = true;
        return;
      }
      ++m_index;
      ++m_line;
      m_position = 0;
    } else if (NextIs('*')) {
      Read();
      for (;;) {
        if (!Read()) return;
        if (m_current == L'*' && NextIs('/')) {
          Read();
          break;
        }
      }
    } else {
      return;
    }
    do {
      if (!Read()) return;
    } while (IsWhitespace(m_current));
    if (m_current != L'/') return;
  }
}

// --- Grammar ------------------------------------------------------------------

template <typename Char>
void BasicJsonTextReader<Char>::Parse() {
  m_index = 0;
  m_line = 1;
  m_position = 0;
  m_endOfInput = false;
  m_open.clear();

  m_handler.StartDocument();
  const bool wrapped = !m_rootElementName.empty();
  if (wrapped) {
    m_handler.StartObject();
    m_handler.OnName(m_rootElementName);
  }
  Advance();
  if (!m_endOfInput) {
    enum class Step { kValue, kMember, kAfterValue };
    Step step = Step::kValue;
    for (;;) {
      if (step == Step::kValue) {
        if (ParseValue()) {
          step = Step::kAfterValue;
        } else if (m_open.back() == Container::kObject) {
          if (m_endOfInput) Fail(kJsonEofAfterObjectStart);
          step = m_current == L'}' ? Step::kAfterValue : Step::kMember;
          if (m_current == L'}') {
            m_open.pop_back();
            m_handler.EndObject();
            Advance();
          }
        } else {
          if (m_endOfInput) Fail(kJsonEofExpectedArrayEnd);
          if (m_current == L']') {
            m_open.pop_back();
            m_handler.EndArray();
            Advance();
            step = Step::kAfterValue;
          }
        }
      } else if (step == Step::kMember) {
        if (m_current != L'"') FailWith(kJsonExpectedNameQuote, m_current);
        ParseString(m_token);
        m_handler.OnName(m_token);
        if (m_endOfInput) Fail(kJsonEofExpectedNameSeparator);
        if (m_current != L':') FailWith(kJsonExpectedNameSeparator, m_current);
        Advance();
        if (m_endOfInput) Fail(kJsonEofExpectedObjectValue);
        step = Step::kValue;
      } else {
        if (m_open.empty()) break;
        const bool object = m_open.back() == Container::kObject;
        const wchar_t close = object ? L'}' : L']';
        if (m_endOfInput) Fail(object ? kJsonEofExpectedObjectEnd : kJsonEofExpectedArrayEnd);
        if (m_current == close) {
          m_open.pop_back();
          if (object) {
            m_handler.EndObject();
          } else {
            m_handler.EndArray();
          }
          Advance();
        } else if (m_current == L',') {
          Advance();
          if (m_endOfInput) Fail(object ? kJsonEofExpectedObjectEnd : kJsonEofExpectedArrayEnd);
          step = object ? Step::kMember : Step::kValue;
        } else {
          FailWith(object ? kJsonExpectedObjectSeparator : kJsonExpectedArraySeparator, m_current);
        }
      }
    }
    if (!m_endOfInput) FailWith(kJsonContentAfterValue, m_current);
  }
  if (wrapped) m_handler.EndObject();
  m_handler.EndDocument();
}

// The value at depth m_open.size(), which starts with the current character.
template <typename Char>
bool BasicJsonTextReader<Char>::ParseValue() {
  if (static_cast<int64_t>(m_open.size()) + 1 > m_depthLimit) Fail(kJsonDepthLimit);
  switch (m_current) {
    case L'{':
      m_handler.StartObject();
      m_open.push_back(Container::kObject);
      Advance();
      return false;
    case L'[':
      m_handler.StartArray();
      m_open.push_back(Container::kArray);
      Advance();
      return false;
    case L'"':
      ParseString(m_token);
      m_handler.OnString(m_token);
      return true;
    case L'n':
      ParseLiteral(L"ull", kJsonEofNull, kJsonExpectedNull);
      m_handler.OnNull();
      return true;
    case L't':
      ParseLiteral(L"rue", kJsonEofTrue, kJsonExpectedTrue);
      m_handler.OnBoolean(true);
      return true;
    case L'f':
      ParseLiteral(L"alse", kJsonEofFalse, kJsonExpectedFalse);
      m_handler.OnBoolean(false);
      return true;
    default:
      if (m_current == L'-' || IsDigit(m_current)) {
        ParseNumber();
        m_handler.OnNumber(m_token);
        return true;
      }
      FailWith(kJsonExpectedValue, m_current);
  }
}

template <typename Char>
void BasicJsonTextReader<Char>::ParseLiteral(std::wstring_view rest, const wchar_t* eofMessage,
                                             const wchar_t* badMessage) {
  wchar_t read[4];
  const size_t got = ReadFixed(rest.size(), read);
  if (got < rest.size()) Fail(eofMessage);
  if (std::wstring_view(read, got) != rest) Fail(badMessage);
  Advance();
}

// From the opening quote, which is current, to the first significant
// character after the closing one.
template <typename Char>
void BasicJsonTextReader<Char>::ParseString(std::wstring& out) {
  out.clear();
  const Char* const text = m_input.data();
  for (;;) {
    // Runs of plain characters are copied in one go.
    const size_t start = m_index;
    while (m_index < m_input.size()) {
      const Char c = text[m_index];
      if (c == '"' || c == '\\' || c == '\n') break;
      ++m_index;
    }
    if (m_index != start) {
      m_position += static_cast<int32_t>(Units<Char>::Append(out, text + start, m_index - start));
    }
    if (!Read()) Fail(kJsonEofInString);
    if (m_current == L'"') break;
    if (m_current != L'\\') {  // the character after a line feed
      out += m_current;
      continue;
    }
    if (!Read()) Fail(kJsonEofInString);
    switch (m_current) {
      case L'"':
      case L'\\':
      case L'/':
        out += m_current;
        break;
      case L'b':
        out += L'\b';
        break;
      case L'f':
        out += L'\f';
        break;
      case L'n':
        out += L'\n';
        break;
      case L'r':
        out += L'\r';
        break;
      case L't':
        out += L'\t';
        break;
      case L'u': {
        char32_t c = ReadHexEscape();
        if (IsLowSurrogate(c)) FailWith(kJsonUnpairedSurrogate, static_cast<wchar_t>(c));
        if (IsHighSurrogate(c)) {
          // Wide text holds code points: a pair of escapes is one character.
          if (!NextIs('\\') || m_index + 1 == m_input.size() ||
              m_input[m_index + 1] != static_cast<Char>('u')) {
            FailWith(kJsonUnpairedSurrogate, static_cast<wchar_t>(c));
          }
          Read();
          Read();
          const char32_t low = ReadHexEscape();
          if (!IsLowSurrogate(low)) FailWith(kJsonUnpairedSurrogate, static_cast<wchar_t>(c));
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        out += static_cast<wchar_t>(c);
        break;
      }
      default:
        FailWith(kJsonInvalidEscape, m_current);
    }
  }
  Advance();
}

template <typename Char>
char32_t BasicJsonTextReader<Char>::ReadHexEscape() {
  wchar_t read[4];
  const size_t got = ReadFixed(4, read);
  if (got < 4) Fail(kJsonEofHexDigits);
  char32_t value = 0;
  for (const wchar_t c : read) {
    const int digit = HexValue(c);
    if (digit < 0) {
      const std::wstring found(read, 4);
      ThrowJsonValidationError(
          FormatString(kJsonInvalidHexDigits, found.c_str(), m_line, m_position),
          m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
    }
    value = value * 16 + static_cast<char32_t>(digit);
  }
  return value;
}

// Digits after the first; false at the end of the input.
template <typename Char>
void BasicJsonTextReader<Char>::ReadDigits() {
  while (Read()) {
    if (!IsDigit(m_current)) return;
    m_token += m_current;
  }
}

// Collects the number's characters into m_token; the character that ends it
// stays current.
template <typename Char>
void BasicJsonTextReader<Char>::ParseNumber() {
  m_token.clear();
  if (m_current == L'-') {
    m_token += L'-';
    if (!Read()) Fail(kJsonEofExpectedNumber);
    if (!IsDigit(m_current)) FailWith(kJsonExpectedDigit, m_current);
  }
  m_token += m_current;
  if (m_current == L'0') {
    if (!Read()) return;
  } else {
    ReadDigits();
    if (m_endOfInput) return;
  }
  if (m_current == L'.') {
    m_token += L'.';
    if (!Read()) Fail(kJsonEofExpectedDigit);
    if (!IsDigit(m_current)) FailWith(kJsonExpectedDigit, m_current);
    m_token += m_current;
    ReadDigits();
    if (m_endOfInput) return;
  }
  if (m_current == L'e' || m_current == L'E') {
    m_token += m_current;
    if (!Read()) Fail(kJsonEofExpectedExponent);
    if (m_current == L'+' || m_current == L'-') {
      m_token += m_current;
      if (!Read()) Fail(kJsonEofExpectedNumber);
    }
    if (!IsDigit(m_current)) Fail(kJsonEofExpectedDigit);
    m_token += m_current;
    ReadDigits();
    if (m_endOfInput) return;
  }
  AdvanceFrom();
}

// --- Errors -------------------------------------------------------------------

template <typename Char>
void BasicJsonTextReader<Char>::Fail(const wchar_t* format) {
  ThrowJsonValidationError(FormatString(format, m_line, m_position),
                           m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
}

template <typename Char>
void BasicJsonTextReader<Char>::FailWith(const wchar_t* format, wchar_t found) {
  ThrowJsonValidationError(FormatString(format, found, m_line, m_position),
                           m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
}

template class BasicJsonTextReader<wchar_t>;
template class BasicJsonTextReader<char>;

}  // namespace Korvel::detail
