// SPDX-License-Identifier: MIT
// CXmlTextWriter: the writer that turns what serialisers describe into XML text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <korvel/export.h>
#include <korvel/text_stream.h>
#include <korvel/xml_encoding.h>
#include <korvel/xml_writer.h>

namespace Korvel {

namespace detail {
class TextOutput;
struct TextWriterAccess;
struct TextElement;
}  // namespace detail

// Writes XML text into a text stream, formatted (each element on its own line,
// indented by its depth) or not. Element content and comments are escaped with
// &amp; &lt; &gt; and line feeds become the chosen line end; attribute values
// also get &quot; and &#xA;; carriage returns are dropped everywhere. Text that
// starts with "<![CDATA[" is written as it is. Prefixes for namespaces without
// one in scope are generated (AA, AB, ...) and declared where first used. An
// unqualified element inside a default namespace declares xmlns="".
class KORVEL_API CXmlTextWriter : public CXmlWriter {
 public:
  // The stream must outlive the writer.
  explicit CXmlTextWriter(CTextStream& stream);
  ~CXmlTextWriter() override;

  // Opens the stream.
  void Open() override;
  // Closes the stream, then fails if an element is still open.
  void Close() override;
  void WriteComment(const std::wstring& text) override;
  // The text followed by two line ends.
  void WriteProcessingInstruction(const std::wstring& text) override;
  void WriteInLineSchema(const std::wstring& text) override;
  void StartElement(const std::wstring& name, const std::wstring& namespaceUri) override;
  // Writes nothing for an empty text, or for a default value unless default
  // values are to be written.
  void WriteText(const std::wstring& text, ItemType itemType, bool isDefaultValue) override;
  void EndElement() override;
  // Throws CKvException "Attributes must be added before elements" once the
  // element has content; so do WriteXsiType and WriteNil.
  void WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                      const std::wstring& value, ItemType itemType) override;
  void WriteXsiType(const std::wstring& typeNamespaceUri, const std::wstring& typeName,
                    ItemType itemType) override;
  void WriteNil() override;

  // <?xml version="1.0"?> with the encoding of the stream (UTF-8 and UTF-16
  // are declared) and a line end.
  void WriteXmlDeclaration();

  // Appends markup verbatim where a child element could start, for content
  // that was written by a writer of its own: the current element's pending
  // start tag is closed as StartElement closes it and the markup counts as one
  // child. With formatted output it is indented like a child element and ends
  // with a line end (added when the markup has none).
  void WriteRaw(std::wstring_view markup);

  // EOL_CRLF or EOL_LF (the default); anything else throws CKvException
  // "Invalid EOL type.".
  void SetEOLType(EOLType type);
  EOLType GetEOLType() const noexcept { return m_eolType; }
  // Written once per level of depth; one tab by default.
  void SetIndentChars(const std::wstring& indent);
  const std::wstring& GetIndentChars() const noexcept { return m_indentChars; }
  // Line ends and indentation between elements; true by default.
  void SetFormatted(bool formatted) noexcept { m_formatted = formatted; }
  bool GetFormatted() const noexcept { return m_formatted; }
  // Whether text equal to the schema default is written; false by default.
  void SetWriteDefaultElementValues(bool write) noexcept { m_writeDefaultElementValues = write; }
  bool GetWriteDefaultElementValues() const noexcept { return m_writeDefaultElementValues; }

 private:
  friend struct detail::TextWriterAccess;

  // StartElement, WriteText and EndElement of an element that holds only
  // text, in one step unless the name needs a namespace declaration (or is
  // the root).
  void WriteTextElement(const detail::TextElement& element);
  void WriteEscaped(std::wstring_view text, bool attribute);
  void WriteIndent(int32_t depth);
  // ' xmlns:prefix="uri"'
  void WriteNamespaceDeclaration(const std::wstring& prefix, const std::wstring& namespaceUri);
  // Closes the start tag of the current element, if it is open, because a
  // child is about to start; true when it did, and the line end that follows
  // it when formatted is then the caller's to write.
  bool CloseStartTagForChild();
  // With formatted output: the line end, when owed, and the indentation of depth.
  void WriteBreakOrIndent(bool lineEndOwed, int32_t depth);
  CXmlWriterContext& RequireOpenStartTag();

  bool m_writeDefaultElementValues = false;
  std::wstring m_indentChars = L"\t";
  std::string_view m_lineEnd = "\n";
  EOLType m_eolType = EOL_LF;
  bool m_formatted = true;
  CTextStream& m_stream;
  std::unique_ptr<detail::TextOutput> m_out;
  // The qualified type name WriteXsiType hands to WriteAttribute, kept so
  // that it costs no allocation per element.
  std::wstring m_qualifiedType;
};

}  // namespace Korvel
