// SPDX-License-Identifier: MIT
// CJsonTextReader: a JSON parser over wide text or UTF-8 bytes that reports
// what it reads as events, and every syntax error with its line and position.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/errors.h>

namespace Korvel::detail {

// Receives the events of one parse, in document order.
class IJsonReaderHandler {
 public:
  virtual ~IJsonReaderHandler();
  virtual void StartDocument() = 0;
  virtual void EndDocument() = 0;
  // A member name, escapes resolved; its value's events follow.
  virtual void OnName(const std::wstring& name) = 0;
  virtual void OnString(const std::wstring& value) = 0;
  // The number's characters as they stand in the input.
  virtual void OnNumber(const std::wstring& value) = 0;
  virtual void StartObject() = 0;
  virtual void EndObject() = 0;
  virtual void StartArray() = 0;
  virtual void EndArray() = 0;
  virtual void OnBoolean(bool value) = 0;
  virtual void OnNull() = 0;
};

// Parses with an explicit stack, so nesting costs no native stack; the depth
// limit bounds the stack instead. A line feed is never seen by the grammar:
// it only moves the line counter (inside a string it is dropped, as JSON
// strings carry line breaks escaped).
//
// Char is the input's code unit: wchar_t for wide text, char for UTF-8 that
// has been checked to be well-formed (see JsonInput). Either way positions
// count characters, and only names, strings and numbers become wide text.
template <typename Char>
class BasicJsonTextReader {
 public:
  // Nesting the library admits: a binding 1,000 levels deep, each level a
  // collection item (an array and its object), with room to spare.
  static constexpr int32_t kDepthLimit = 4096;

  // The handler, the path provider (null for an empty error path) and the
  // input must outlive the reader. A non-empty root element name wraps the
  // input as the value of a member of that name in an implicit object.
  BasicJsonTextReader(IJsonReaderHandler& handler, IErrorPathProvider* errorPath,
                      int32_t depthLimit, bool allowComments, std::wstring rootElementName,
                      std::basic_string_view<Char> input);

  // Reads the whole input, which must hold at most one value and nothing
  // after it but whitespace and comments. Throws CKvValidationException with
  // the handler's error path on the first error; the events sent before it
  // stand.
  void Parse();

 private:
  enum class Container : uint8_t { kObject, kArray };

  bool Read();
  size_t ReadFixed(size_t count, wchar_t* out);
  void Advance();
  void AdvanceFrom();
  void SkipComments();
  bool NextIs(char c) const noexcept {
    return m_index < m_input.size() && m_input[m_index] == static_cast<Char>(c);
  }
  static bool IsWhitespace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
  }

  // Sends the value at the current character; false when it opened a
  // container whose content follows.
  bool ParseValue();
  void ParseString(std::wstring& out);
  char32_t ReadHexEscape();
  void ParseNumber();
  void ParseLiteral(std::wstring_view rest, const wchar_t* eofMessage, const wchar_t* badMessage);
  void ReadDigits();

  [[noreturn]] void Fail(const wchar_t* format);
  [[noreturn]] void FailWith(const wchar_t* format, wchar_t found);

  IJsonReaderHandler& m_handler;
  IErrorPathProvider* m_errorPath;
  int32_t m_depthLimit;
  bool m_allowComments;
  std::wstring m_rootElementName;
  std::basic_string_view<Char> m_input;
  size_t m_index = 0;
  wchar_t m_current = 0;
  bool m_endOfInput = false;
  int32_t m_line = 1;
  int32_t m_position = 0;
  std::vector<Container> m_open;
  // Reused for every name, string and number.
  std::wstring m_token;
};

using CJsonTextReader = BasicJsonTextReader<wchar_t>;
using CJsonUtf8Reader = BasicJsonTextReader<char>;

extern template class BasicJsonTextReader<wchar_t>;
extern template class BasicJsonTextReader<char>;

}  // namespace Korvel::detail
