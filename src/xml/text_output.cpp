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

std::string_view TextOutput::GrowAsciiLead(bool lineEnd, size_t length) {
  std::string& run = lineEnd ? m_asciiBreakRun : m_asciiIndentRun;
  if (lineEnd && run.empty()) run = m_lineEnd;
  while (run.size() < length) {
    for (const wchar_t c : m_indentUnit) run += static_cast<char>(c);
  }
  return std::string_view(run).substr(0, length);
}

void TextOutput::PutBreakSlow(size_t levels) {
  if (m_utf8 == nullptr || !m_asciiIndent) {
    Put(m_lineEnd);
    PutIndent(levels);
    return;
  }
  m_utf8->PutAscii(AsciiLead(true, levels));
}

void TextOutput::PutTagLineSlow(bool lineEndFirst, size_t levels, std::string_view before,
                                const std::wstring* prefix, std::wstring_view name,
                                std::string_view after) {
  if (lineEndFirst) {
    PutBreak(levels);
  } else if (levels > 0) {
    PutIndent(levels);
  }
  if (prefix != nullptr) {
    PutBetween(before, *prefix, ":");
    before = {};
  }
  PutBetween(before, name, after);
}

void TextOutput::PutIndentSlow(size_t levels) {
  if (m_utf8 != nullptr && m_asciiIndent) {
    m_utf8->PutAscii(AsciiLead(false, levels));
    return;
  }
  const size_t length = levels * m_indentUnit.size();
  while (m_indentRun.size() < length) m_indentRun += m_indentUnit;
  Put(std::wstring_view(m_indentRun).substr(0, length));
}

}  // namespace Korvel::detail
