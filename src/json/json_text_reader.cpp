// SPDX-License-Identifier: MIT
// The JSON text reader: characters, comments, the grammar and its messages.
#include "json/json_text_reader.h"

#include <algorithm>
#include <utility>

#include "json/messages.h"

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

}  // namespace

IJsonReaderHandler::~IJsonReaderHandler() = default;

CJsonTextReader::CJsonTextReader(IJsonReaderHandler& handler, IErrorPathProvider* errorPath,
                                 int32_t depthLimit, bool allowComments,
                                 std::wstring rootElementName, std::wstring_view input)
    : m_handler(handler),
      m_errorPath(errorPath),
      m_depthLimit(depthLimit),
      m_allowComments(allowComments),
      m_rootElementName(std::move(rootElementName)),
      m_input(input) {}

// --- Characters ---------------------------------------------------------------

// The ordinary read: the next character other than a line feed becomes current.
bool CJsonTextReader::Read() {
  while (m_index < m_input.size()) {
    const wchar_t c = m_input[m_index++];
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

// Up to count characters as they stand, line feeds included; returns how many
// there were (they are in m_input just before m_index).
size_t CJsonTextReader::ReadFixed(size_t count) {
  const size_t available = std::min(count, m_input.size() - m_index);
  m_index += available;
  m_position += static_cast<int32_t>(available);
  return available;
}

void CJsonTextReader::Advance() {
  do {
    if (!Read()) return;
  } while (IsWhitespace(m_current));
  if (m_allowComments && m_current == L'/') SkipComments();
}

// After a number, whose terminating character is already current.
void CJsonTextReader::AdvanceFrom() {
  if (IsWhitespace(m_current)) {
    Advance();
  } else if (m_allowComments && m_current == L'/') {
    SkipComments();
  }
}

// With '/' current: skips this comment and any that follow it. A '/' that
// starts no comment stays current for the grammar to report.
void CJsonTextReader::SkipComments() {
  for (;;) {
    if (m_index == m_input.size()) return;
    const wchar_t next = m_input[m_index];
    if (next == L'/') {
      const size_t lineEnd = m_input.find(L'\n', m_index);
      const size_t stop = lineEnd == std::wstring_view::npos ? m_input.size() : lineEnd;
      m_position += static_cast<int32_t>(stop - m_index);
      m_index = stop;
      if (m_index == m_input.size()) {
        m_endOfInput = true;
        return;
      }
      ++m_index;
      ++m_line;
      m_position = 0;
    } else if (next == L'*') {
      Read();
      for (;;) {
        if (!Read()) return;
        if (m_current == L'*' && m_index < m_input.size() && m_input[m_index] == L'/') {
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

void CJsonTextReader::Parse() {
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
bool CJsonTextReader::ParseValue() {
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

void CJsonTextReader::ParseLiteral(std::wstring_view rest, const wchar_t* eofMessage,
                                   const wchar_t* badMessage) {
  const size_t got = ReadFixed(rest.size());
  if (got < rest.size()) Fail(eofMessage);
  if (m_input.substr(m_index - got, got) != rest) Fail(badMessage);
  Advance();
}

// From the opening quote, which is current, to the first significant
// character after the closing one.
void CJsonTextReader::ParseString(std::wstring& out) {
  out.clear();
  const wchar_t* const text = m_input.data();
  for (;;) {
    // Runs of plain characters are copied in one go.
    const size_t start = m_index;
    while (m_index < m_input.size()) {
      const wchar_t c = text[m_index];
      if (c == L'"' || c == L'\\' || c == L'\n') break;
      ++m_index;
    }
    if (m_index != start) {
      out.append(text + start, m_index - start);
      m_position += static_cast<int32_t>(m_index - start);
      m_current = text[m_index - 1];
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
          if (m_input.substr(m_index, 2) != L"\\u") {
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

char32_t CJsonTextReader::ReadHexEscape() {
  const size_t got = ReadFixed(4);
  if (got < 4) Fail(kJsonEofHexDigits);
  char32_t value = 0;
  for (size_t i = m_index - 4; i < m_index; ++i) {
    const int digit = HexValue(m_input[i]);
    if (digit < 0) {
      const std::wstring found(m_input.substr(m_index - 4, 4));
      ThrowJsonValidationError(
          FormatString(kJsonInvalidHexDigits, found.c_str(), m_line, m_position),
          m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
    }
    value = value * 16 + static_cast<char32_t>(digit);
  }
  return value;
}

// Digits after the first; false at the end of the input.
void CJsonTextReader::ReadDigits() {
  while (Read()) {
    if (!IsDigit(m_current)) return;
    m_token += m_current;
  }
}

// Collects the number's characters into m_token; the character that ends it
// stays current.
void CJsonTextReader::ParseNumber() {
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

void CJsonTextReader::Fail(const wchar_t* format) {
  ThrowJsonValidationError(FormatString(format, m_line, m_position),
                           m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
}

void CJsonTextReader::FailWith(const wchar_t* format, wchar_t found) {
  ThrowJsonValidationError(FormatString(format, found, m_line, m_position),
                           m_errorPath ? m_errorPath->GetErrorPath() : std::wstring());
}

}  // namespace Korvel::detail
