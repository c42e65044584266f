// SPDX-License-Identifier: MIT
// CJsonTextWriter: the writer that turns what serialisers describe into JSON text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/export.h>
#include <korvel/json_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_encoding.h>
#include <korvel/xml_writer.h>

namespace Korvel {

namespace detail {
class TextOutput;
struct JsonMember;
struct JsonWriterAccess;
struct TextElement;
}  // namespace detail

// Writes JSON text (RFC 8259) into a text stream. An element is a member of
// its parent's object: "name": value when it has only a value, otherwise an
// object whose members are its attributes ("@name"), its children and its
// text beside attributes ("#text", last). An element with nothing in it is
// {} ("" when it was given an empty value), a nil one null, or, when it has
// attributes, an object with the member "@xsi:nil": true (at the partial
// level too, where it is the only prefixed name). Repeated elements
// are one member holding an array: the serializer marks the element that owns
// the collection through CXmlWriterContext::SetWriterState, ARRAY_PENDING
// before the first item and ARRAY_FINISHED after the last. Values of numeric
// and boolean item types are written bare when they are JSON numbers (or
// true/false), as strings otherwise (INF, NaN, 12., 007). Strings escape
// quotes, backslashes and every control character.
//
// With JsonRoundTrip_Full, names carry prefixes: a namespace without one in
// scope gets a generated prefix (AA, AB, ...) declared as an "@xmlns:AA"
// member of the element where it is first used; the root declares the
// document's default namespace and aliases; xsi:type is an attribute. The
// other levels write local names only, and JsonRoundTrip_None writes
// attributes without "@" and text beside them under the empty name.
class KORVEL_API CJsonTextWriter : public CXmlWriter {
 public:
  // Array states of an element that owns a collection of child elements.
  static constexpr int32_t ARRAY_NONE = 0;
  static constexpr int32_t ARRAY_PENDING = 1;   // set before the first item
  static constexpr int32_t ARRAY_OPEN = 2;      // the writer has written "["
  static constexpr int32_t ARRAY_FINISHED = 3;  // set after the last item

  // The stream must outlive the writer.
  explicit CJsonTextWriter(CTextStream& stream);
  ~CJsonTextWriter() override;

  // Opens the stream.
  void Open() override;
  // Closes the stream, then fails if an element is still open.
  void Close() override;
  // The document's outer object: "{" before the root element, "}" after it.
  void WriteDocumentStart();
  void WriteDocumentEnd();

  // JSON has no comments, processing instructions or inline schemas: these
  // write nothing.
  void WriteComment(const std::wstring& text) override;
  void WriteProcessingInstruction(const std::wstring& text) override;
  void WriteInLineSchema(const std::wstring& text) override;
  void StartElement(const std::wstring& name, const std::wstring& namespaceUri) override;
  // Default values are written like any other.
  void WriteText(const std::wstring& text, ItemType itemType, bool isDefaultValue) override;
  void EndElement() override;
  // Throws CKvException "Attributes must be added before elements" once the
  // element has a value or children.
  void WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                      const std::wstring& value, ItemType itemType) override;
  // Only with JsonRoundTrip_Full.
  void WriteXsiType(const std::wstring& typeNamespaceUri, const std::wstring& typeName,
                    ItemType itemType) override;
  // The element becomes null; should attributes follow, they come with an
  // xsi:nil member ("@nil" without namespaces, nothing with JsonRoundTrip_None).
  void WriteNil() override;

  // EOL_CRLF or EOL_LF (the default); anything else throws CKvException
  // "Invalid EOL type.".
  void SetEOLType(EOLType type);
  EOLType GetEOLType() const noexcept { return m_eolType; }
  // One tab by default.
  void SetIndentChars(const std::wstring& indent);
  const std::wstring& GetIndentChars() const noexcept { return m_indentChars; }
  // Line ends and indentation; true by default.
  void SetFormatted(bool formatted) noexcept { m_formatted = formatted; }
  bool GetFormatted() const noexcept { return m_formatted; }
  // JsonRoundTrip_Full by default.
  void SetSupportRoundtrip(JsonRoundTrip roundTrip) noexcept { m_roundTrip = roundTrip; }
  JsonRoundTrip GetSupportRoundtrip() const noexcept { return m_roundTrip; }
  // Every character beyond ASCII as a \u escape (a surrogate pair beyond the
  // BMP); false by default.
  void SetEscapeNonAscii(bool escape) noexcept { m_escapeNonAscii = escape; }
  bool GetEscapeNonAscii() const noexcept { return m_escapeNonAscii; }

 private:
  friend struct detail::JsonWriterAccess;

  // StartElement, WriteText and EndElement of an element that holds only
  // text, in one step unless it is the root or needs a namespace prefix or
  // declaration.
  void WriteTextElement(const detail::TextElement& element);
  // A member's parts (what goes around a value, and the value) as one append
  // of UTF-8 where the output, the layout and the text allow, otherwise piece
  // by piece.
  void Write(const detail::JsonMember& member);
  bool Compose(const detail::JsonMember& member);
  void WritePieces(const detail::JsonMember& member);
  // The bytes of a line end and the indentation of level (or the indentation
  // alone) for composing, with room to read 16 bytes from their start.
  std::string_view Lead(int32_t level, bool lineEnd);
  void GrowLead(int32_t levels);
  void WriteLineEnd();
  void WriteIndent(int32_t level);
  void WriteBreak(int32_t level);
  void WriteString(std::wstring_view text);
  void WriteValue(std::wstring_view text, ItemType itemType);
  void WriteKey(std::string_view open, std::wstring_view prefix, std::wstring_view name);
  void WriteName(std::wstring_view name);
  // Opens the element's object or separates its next member ("{" or ","; the
  // caller writes the line break); TakeSeparator leaves the writing to the caller.
  void Separator(CXmlWriterContext& element);
  char TakeSeparator(CXmlWriterContext& element);
  // "[" before the first item of a collection.
  void OpenArrayIfPending(CXmlWriterContext& element);
  void CloseFinishedArray(CXmlWriterContext& element, bool ending);
  // A "@xmlns..." member of the element's object.
  void Declare(CXmlWriterContext& element, std::wstring_view prefix, const std::wstring& uri);
  // The prefix in scope for the namespace, generated and declared when
  // there is none.
  const std::wstring& PrefixFor(CXmlWriterContext& element, const std::wstring& namespaceUri);
  void WritePendingNil(CXmlWriterContext& element);
  void WriteNilMember(CXmlWriterContext& element);

  std::wstring m_indentChars = L"\t";
  std::string_view m_lineEnd = "\n";
  // The line end and the indentation repeated for m_leadLevels levels, as
  // bytes when both are ASCII (m_asciiLayout), and 16 bytes to spare.
  std::string m_leadBytes;
  int32_t m_leadLevels = -1;
  bool m_asciiLayout = true;
  EOLType m_eolType = EOL_LF;
  JsonRoundTrip m_roundTrip = JsonRoundTrip_Full;
  bool m_formatted = true;
  bool m_escapeNonAscii = false;
  // The current element's state: its key is written and its object not yet
  // opened; it has been given a value; it was declared nil.
  bool m_awaitingValue = false;
  bool m_valueWritten = false;
  bool m_nilPending = false;
  bool m_rootWritten = false;
  // Elements whose collection has written "[" and not yet "]", innermost last.
  std::vector<const CXmlWriterContext*> m_openArrays;
  CTextStream& m_stream;
  std::unique_ptr<detail::TextOutput> m_out;
};

}  // namespace Korvel
