// SPDX-License-Identifier: MIT
// CJsonReaderToXmlHandler and ConvertJsonToXml: JSON events to XML.
#include "json/json_to_xml.h"

#include <utility>

#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

#include "json/json_tree_writer.h"
#include "json/messages.h"

namespace Korvel::detail {

namespace {

constexpr std::wstring_view kTextMember = L"#text";
constexpr std::wstring_view kCdataStart = L"<![CDATA[";
constexpr std::wstring_view kXmlnsPrefix = L"xmlns:";
// The partial level carries no namespaces; this is how it writes the nil of
// an element that has attributes.
constexpr std::wstring_view kPartialNil = L"xsi:nil";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// XML 1.0 (fifth edition) name characters, without the colon.
bool IsNameStartChar(char32_t c) noexcept {
  if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) noexcept {
  return IsNameStartChar(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

}  // namespace

// In one pass: names on both sides of at most one colon.
bool IsXmlQualifiedName(std::wstring_view name) noexcept {
  bool start = true;
  bool prefixed = false;
  for (const wchar_t w : name) {
    const auto c = static_cast<char32_t>(w);
    if (c == U':') {
      if (start || prefixed) return false;
      prefixed = true;
      start = true;
    } else if (start ? !IsNameStartChar(c) : !IsNameChar(c)) {
      return false;
    } else {
      start = false;
    }
  }
  return !start;
}

bool IsXmlText(std::wstring_view text) noexcept {
  for (wchar_t w : text) {
    const auto c = static_cast<char32_t>(w);
    if (c >= 0x20 && c <= 0xD7FF) continue;
    if (c == 0x9 || c == 0xA || c == 0xD || (c >= 0xE000 && c <= 0xFFFD) ||
        (c >= 0x10000 && c <= 0x10FFFF)) {
      continue;
    }
    return false;
  }
  return true;
}

// --- CJsonReaderToXmlHandler ----------------------------------------------------

CJsonReaderToXmlHandler::CJsonReaderToXmlHandler(CXmlWriter& writer, JsonRoundTrip roundTrip,
                                                 IErrorPathProvider& errorPath)
    : m_writer(writer), m_roundTrip(roundTrip), m_errorPath(errorPath) {}

void CJsonReaderToXmlHandler::StartDocument() {
  m_frames.clear();
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::EndDocument() {}

void CJsonReaderToXmlHandler::OnName(const std::wstring& name) {
  m_memberName = name;
  if (name.empty()) {
    // Without round trip, the writer puts text beside attributes there.
    if (m_roundTrip != JsonRoundTrip_None) Fail(kJsonEmptyName);
    m_pending = Pending::kText;
  } else if (m_roundTrip != JsonRoundTrip_None && name == kTextMember) {
    m_pending = Pending::kText;
  } else if (m_roundTrip != JsonRoundTrip_None && name[0] == L'@') {
    m_pending = Pending::kAttribute;
    m_pendingName.assign(name, 1);
  } else {
    m_pending = Pending::kElement;
    m_pendingName = name;
  }
}

const std::wstring* CJsonReaderToXmlHandler::ElementNameForValue() const {
  if (m_pending == Pending::kElement) return &m_pendingName;
  if (m_pending == Pending::kNone && !m_frames.empty() && m_frames.back().array) {
    return &m_frames.back().arrayName;
  }
  return nullptr;
}

void CJsonReaderToXmlHandler::StartObject() {
  if (m_pending == Pending::kAttribute || m_pending == Pending::kText) RejectContainerValue();
  if (const std::wstring* name = ElementNameForValue()) {
    OpenElement(*name);
    m_frames.push_back({false, true, false, {}});
  } else if (m_frames.empty()) {
    // The outermost object stands for the document: its members are
    // elements at document level.
    m_frames.push_back({false, false, false, {}});
  } else {
    Fail(kJsonValueHasNoName);
  }
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::EndObject() {
  const Frame frame = std::move(m_frames.back());
  m_frames.pop_back();
  if (frame.ownsElement && !frame.textClosed) CloseElement();
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::StartArray() {
  if (m_pending == Pending::kAttribute || m_pending == Pending::kText) RejectContainerValue();
  if (m_pending != Pending::kElement) Fail(kJsonArrayHasNoName);
  // Each item opens its own element, so an empty array stands for no element.
  m_frames.push_back({true, false, false, std::move(m_pendingName)});
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::EndArray() {
  m_frames.pop_back();
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::OnString(const std::wstring& value) { Scalar(&value); }
void CJsonReaderToXmlHandler::OnNumber(const std::wstring& value) { Scalar(&value); }
void CJsonReaderToXmlHandler::OnNull() { Scalar(nullptr); }

void CJsonReaderToXmlHandler::OnBoolean(bool value) {
  static const std::wstring kTrue = L"true", kFalse = L"false";
  Scalar(value ? &kTrue : &kFalse);
}

// A null attribute is left out, a null element is nil.
void CJsonReaderToXmlHandler::Scalar(const std::wstring* text) {
  if (m_pending == Pending::kAttribute) {
    if (text) WriteAttribute(*text);
  } else if (m_pending == Pending::kText) {
    // The text closes the element of the enclosing object.
    if (m_frames.empty() || !m_frames.back().ownsElement || m_frames.back().textClosed) {
      Fail(kJsonValueHasNoName);
    }
    if (text) WriteElementText(*text);
    CloseElement();
    m_frames.back().textClosed = true;
  } else {
    const std::wstring* name = ElementNameForValue();
    if (name == nullptr) Fail(kJsonValueHasNoName);
    OpenElement(*name);
    if (text) {
      WriteElementText(*text);
    } else {
      m_writer.WriteNil();
    }
    CloseElement();
  }
  m_pending = Pending::kNone;
}

void CJsonReaderToXmlHandler::WriteAttribute(const std::wstring& text) {
  // An attribute after the element's text would land on its parent.
  if (!m_frames.empty() && m_frames.back().textClosed) {
    ThrowJsonConversionError(kJsonBadAttributeValue, text);
  }
  if (m_roundTrip == JsonRoundTrip_Partial && m_pendingName == kPartialNil) {
    if (text == L"true" || text == L"1") {
      m_writer.WriteNil();
    } else if (text != L"false" && text != L"0") {
      ThrowJsonConversionError(kJsonBadAttributeValue, text);
    }
    return;
  }
  if (!IsXmlQualifiedName(m_pendingName))
    ThrowJsonConversionError(kJsonBadElementName, m_memberName);
  if (!IsXmlText(text)) ThrowJsonConversionError(kJsonBadAttributeValue, text);
  try {
    m_writer.WriteAttribute(m_pendingName, std::wstring(), text, it_string);
  } catch (const CKvValidationException&) {
    throw;
  } catch (const CKvException&) {
    ThrowJsonConversionError(kJsonBadAttributeValue, text);
  }
  // Declared prefixes are made known to the writer, so that the prefix it
  // generates for xsi:nil cannot hide one of them.
  if (std::wstring_view(m_pendingName).substr(0, kXmlnsPrefix.size()) == kXmlnsPrefix) {
    m_writer.AddNamespaceAlias(m_pendingName.substr(kXmlnsPrefix.size()), text);
  }
}

void CJsonReaderToXmlHandler::OpenElement(const std::wstring& name) {
  if (!IsXmlQualifiedName(name)) ThrowJsonConversionError(kJsonBadElementName, name);
  try {
    m_writer.StartElement(name, std::wstring());
  } catch (const CKvValidationException&) {
    throw;
  } catch (const CKvException&) {
    ThrowJsonConversionError(kJsonBadElementName, name);
  }
}

void CJsonReaderToXmlHandler::CloseElement() { m_writer.EndElement(); }

void CJsonReaderToXmlHandler::WriteElementText(const std::wstring& text) {
  if (!IsXmlText(text)) ThrowJsonConversionError(kJsonBadElementValue, text);
  try {
    // The text writer passes text that starts as a CDATA section through as
    // markup; from JSON it is text, so its '<' goes first, on its own, to be
    // escaped.
    if (!text.empty() && text[0] == L'<' &&
        std::wstring_view(text).substr(0, kCdataStart.size()) == kCdataStart) {
      m_writer.WriteText(L"<", it_string, false);
      m_writer.WriteText(text.substr(1), it_string, false);
    } else {
      m_writer.WriteText(text, it_string, false);
    }
  } catch (const CKvValidationException&) {
    throw;
  } catch (const CKvException&) {
    ThrowJsonConversionError(kJsonBadElementValue, text);
  }
}

void CJsonReaderToXmlHandler::RejectContainerValue() {
  ThrowJsonValidationError(FormatString(kJsonValueNotScalar, m_memberName.c_str()),
                           m_errorPath.GetErrorPath());
}

void CJsonReaderToXmlHandler::Fail(const wchar_t* message) {
  ThrowJsonValidationError(message, m_errorPath.GetErrorPath());
}

// --- Conversion -----------------------------------------------------------------

namespace {

// Describes the JSON to the writer, which the caller opens and closes.
void Map(const JsonInput& json, const CJsonContext& context, CXmlWriter& writer) {
  CJsonReaderDefaultHandler path;
  CJsonReaderToXmlHandler toXml(writer, context.GetSupportRoundtrip(), path);
  path.SetInner(&toXml);
  const auto parse = [&](auto text) {
    using Reader = BasicJsonTextReader<typename decltype(text)::value_type>;
    Reader reader(path, &path, Reader::kDepthLimit, context.GetAllowComments(),
                  context.GetRootElementName(), text);
    reader.Parse();
  };
  if (json.IsUtf8()) {
    std::string_view text = json.Utf8();
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
      text.remove_prefix(kUtf8ByteOrderMark.size());
    }
    parse(text);
  } else {
    std::wstring_view text = json.Wide();
    if (!text.empty() && text[0] == L'\xFEFF') text.remove_prefix(1);
    parse(text);
  }
}

}  // namespace

CBinaryData ConvertJsonToXml(const JsonInput& json, const CJsonContext& context) {
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.WriteXmlDeclaration();
  Map(json, context, writer);
  writer.Close();
  return stream.GetBytes();
}

void LoadJsonTree(CXmlDocument& document, const JsonInput& json, const CJsonContext& context) {
  XmlTreeWriter writer(document);
  Map(json, context, writer);
  writer.Close();
}

}  // namespace Korvel::detail
