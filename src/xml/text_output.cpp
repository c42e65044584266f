// SPDX-License-Identifier: MIT
// TextOutput: choosing the destination, and indentation.
#include "xml/text_output.h"

#include <cstdint>

#include "xml/byte_text_stream.h"

namespace Korvel::detail {

TextOutput::TextOutput(CTextStream& stream) : m_stream(stream), m_wide(stream.GetBuffer()) {
  if (auto* bytes = dynamic_cast<ByteTextStream*>(&stream)) m_utf8 = bytes->GetUtf8Buffer();
  SetIndent(L"\t");
}

void TextOutput::SetIndent(std::wstring_view unit) {
  m_indentUnit = unit;
  m_asciiIndent = true;
  for (const wchar_t c : unit) m_asciiIndent = m_asciiIndent && static_cast<uint32_t>(c) < 0x80;
  m_indentRun.clear();
  m_asciiIndentRun.clear();
  m_asciiBreakRun.clear();
}

void TextOutput::SetLineEnd(std::string_view lineEnd) {
  m_lineEnd = lineEnd;
  m_asciiBreakRun.clear();
}

void TextOutput::PutBreakSlow(size_t levels) {
  if (m_utf8 == nullptr || !m_asciiIndent) {
    Put(m_lineEnd);
    PutIndent(levels);
    return;
  }
  const size_t length = m_lineEnd.size() + levels * m_indentUnit.size();
  if (m_asciiBreakRun.empty()) m_asciiBreakRun = m_lineEnd;
  while (m_asciiBreakRun.size() < length) {
    for (const wchar_t c : m_indentUnit) m_asciiBreakRun += static_cast<char>(c);
  }
  m_utf8->PutAscii(std::string_view(m_asciiBreakRun).substr(0, length));
}

void TextOutput::PutIndentSlow(size_t levels) {
  const size_t length = levels * m_indentUnit.size();
  if (m_utf8 != nullptr && m_asciiIndent) {
    while (m_asciiIndentRun.size() < length) {
      for (const wchar_t c : m_indentUnit) m_asciiIndentRun += static_cast<char>(c);
    }
    m_utf8->PutAscii(std::string_view(m_asciiIndentRun).substr(0, length));
    return;
  }
  while (m_indentRun.size() < length) m_indentRun += m_indentUnit;
  Put(std::wstring_view(m_indentRun).substr(0, length));
}

}  // namespace Korvel::detail
