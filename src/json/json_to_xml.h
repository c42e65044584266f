// SPDX-License-Identifier: MIT
// The mapping of JSON onto XML: the handler that keeps the JSON path for error
// messages, the handler that describes the XML to a writer, and the
// conversions the loaders use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/json_context.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "json/json_text_reader.h"

namespace Korvel::detail {

// Tracks where the reader is, as "$.member" steps innermost first, and
// forwards every event to the inner handler (which may be null).
class CJsonReaderDefaultHandler final : public IJsonReaderHandler, public IErrorPathProvider {
 public:
  explicit CJsonReaderDefaultHandler(IJsonReaderHandler* inner = nullptr) : m_inner(inner) {}
  void SetInner(IJsonReaderHandler* inner) noexcept { m_inner = inner; }

  void StartDocument() override;
  void EndDocument() override;
  void OnName(const std::wstring& name) override;
  void OnString(const std::wstring& value) override;
  void OnNumber(const std::wstring& value) override;
  void StartObject() override;
  void EndObject() override;
  void StartArray() override;
  void EndArray() override;
  void OnBoolean(bool value) override;
  void OnNull() override;

  // "$" and, innermost first, "." and each member or object name: an error in
  // the value of c inside {"a":{"b":{"c":...}}} is at $.c.b.a.
  std::wstring GetErrorPath() override;

 private:
  enum class Kind : uint8_t { kArray, kName, kObject };
  struct PathEntry {
    std::wstring name;
    int32_t index;  // of the array's last item, -1 before the first
    Kind kind;
    // An object that is an array's item is named after the array and the
    // item's index, when a path is asked for.
    bool item;
  };
  PathEntry& Push(Kind kind);
  void PopUntil(Kind kind);

  // The entries past m_size keep their names' storage for the next ones, so
  // that following the path costs no allocation per member.
  std::vector<PathEntry> m_path;
  size_t m_size = 0;
  IJsonReaderHandler* m_inner;
};

// Describes the XML that the JSON stands for to a writer: members become
// elements, "@" members attributes, "#text" the text of the enclosing
// element, arrays repeated elements named after the array; a null becomes a
// nil element, and so does "@xsi:nil": true at the partial level (the nil of
// an element with attributes there). Names are passed as they are, prefixes
// included, with no namespace; declarations travel as "@xmlns" members.
class CJsonReaderToXmlHandler final : public IJsonReaderHandler {
 public:
  // The writer and the path provider must outlive the handler.
  CJsonReaderToXmlHandler(CXmlWriter& writer, JsonRoundTrip roundTrip,
                          IErrorPathProvider& errorPath);

  void StartDocument() override;
  void EndDocument() override;
  void OnName(const std::wstring& name) override;
  void OnString(const std::wstring& value) override;
  void OnNumber(const std::wstring& value) override;
  void StartObject() override;
  void EndObject() override;
  void StartArray() override;
  void EndArray() override;
  void OnBoolean(bool value) override;
  void OnNull() override;

 private:
  // What the last member name asked for.
  enum class Pending : uint8_t { kNone, kElement, kAttribute, kText };
  struct Frame {
    bool array;
    // The object opened an element that its end closes, unless a "#text"
    // member has closed it already.
    bool ownsElement;
    bool textClosed;
    std::wstring arrayName;
  };

  // The element name for a value that starts now: the pending member's, or
  // the array's for an item; null when the value has none.
  const std::wstring* ElementNameForValue() const;
  void OpenElement(const std::wstring& name);
  void CloseElement();
  // A string, number or boolean; null for null.
  void Scalar(const std::wstring* text);
  void WriteAttribute(const std::wstring& text);
  void WriteElementText(const std::wstring& text);
  void RejectContainerValue();
  [[noreturn]] void Fail(const wchar_t* message);

  CXmlWriter& m_writer;
  JsonRoundTrip m_roundTrip;
  IErrorPathProvider& m_errorPath;
  std::vector<Frame> m_frames;
  Pending m_pending = Pending::kNone;
  std::wstring m_pendingName;
  // The member name as written, for messages.
  std::wstring m_memberName;
};

// JSON as the reader takes it: UTF-8 bytes, checked, or wide text. Bytes are
// inflated first when gzip or zlib; then they are UTF-8, or UTF-16 when a
// byte-order mark or the zero bytes around the first character tell so, and
// only UTF-16 is decoded to wide text. A byte-order mark is dropped. Bytes
// that are not in their encoding throw CKvValidationException with the line
// and position where they stand. The input views what it is given, which
// must outlive it, and owns what it makes.
class JsonInput {
 public:
  explicit JsonInput(std::wstring_view text) noexcept : m_wide(text) {}
  JsonInput(const unsigned char* data, size_t length) { Decode(data, length); }
  // Bytes handed over, such as a file's content.
  JsonInput(std::unique_ptr<unsigned char[]> bytes, size_t length);
  JsonInput(const JsonInput&) = delete;
  JsonInput& operator=(const JsonInput&) = delete;

  bool IsUtf8() const noexcept { return m_isUtf8; }
  std::string_view Utf8() const noexcept { return m_utf8; }
  std::wstring_view Wide() const noexcept { return m_wide; }

 private:
  void Decode(const unsigned char* data, size_t length);

  std::unique_ptr<unsigned char[]> m_owned;
  CBinaryData m_inflated;
  std::wstring m_decoded;
  std::string_view m_utf8;
  std::wstring_view m_wide;
  bool m_isUtf8 = false;
};

// A whole file as JSON input; failures to read it throw CKvException naming
// the file and the system error code.
JsonInput ReadJsonFile(const wchar_t* fileName);

// JSON to UTF-8 XML text, under the context's round-trip level, comment
// switch and root element name.
CBinaryData ConvertJsonToXml(const JsonInput& json, const CJsonContext& context);
inline CBinaryData ConvertJsonToXml(std::wstring_view json, const CJsonContext& context) {
  return ConvertJsonToXml(JsonInput(json), context);
}

// The same straight into an empty document's tree, as an XML parser would
// build it from that text (names resolved against the "@xmlns" members).
void LoadJsonTree(CXmlDocument& document, const JsonInput& json, const CJsonContext& context);
inline void LoadJsonTree(CXmlDocument& document, std::wstring_view json,
                         const CJsonContext& context) {
  LoadJsonTree(document, JsonInput(json), context);
}

// True for an XML 1.0 qualified name: a name without a colon, or two such
// names joined by one.
bool IsXmlQualifiedName(std::wstring_view name) noexcept;
// True when every character may stand in XML 1.0 text.
bool IsXmlText(std::wstring_view text) noexcept;

}  // namespace Korvel::detail
