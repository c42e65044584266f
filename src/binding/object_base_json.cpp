// SPDX-License-Identifier: MIT
// CXmlObjectBase's JSON entry points: JSON is written by the object's own
// serializer into a CJsonTextWriter, and read into a document tree that the
// object then reads as it reads XML.
#include <korvel/object_base.h>

#include <cstring>
#include <string>

#include <korvel/errors.h>
#include <korvel/json_text_writer.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>

#include "binding/document_file.h"
#include "json/json_to_xml.h"
#include "json/messages.h"
#include "values/compression.h"
#include "values/utf.h"
#include "xml/byte_text_stream.h"
#include "xml/messages.h"
#include "xml/output_switches.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

void CXmlObjectBase::WriteJsonText(CTextStream& stream, bool formatted, EOLType eol,
                                   const CSerializationContext& context) const {
  CJsonTextWriter writer(stream);
  writer.Open();
  writer.SetFormatted(formatted);
  writer.SetIndentChars(context.GetIndentChars());
  writer.SetEOLType(eol);
  writer.SetSupportRoundtrip(context.GetJsonContext().GetSupportRoundtrip());
  writer.WriteDocumentStart();
  const std::wstring targetNamespace = GetTargetNamespace();
  ToXml_Int(&writer, true, targetNamespace.c_str(), context, false);
  writer.WriteDocumentEnd();
  writer.Close();
}

std::wstring CXmlObjectBase::ToJson(bool formatted, EOLType eol,
                                    const CSerializationContext& context) const {
  CTextStream stream;
  WriteJsonText(stream, formatted, eol, context);
  return stream.GetAllText();
}

CBinaryData CXmlObjectBase::ToJsonStream(bool formatted, XmlEncoding encoding, EOLType eol,
                                         const CSerializationContext& context,
                                         CompressionType compression) const {
  detail::ByteTextStream stream(encoding);
  WriteJsonText(stream, formatted, eol, context);
  CBinaryData bytes = stream.TakeBytes();
  detail::CompressData(bytes, compression);
  return bytes;
}

void CXmlObjectBase::ToJsonFile(const wchar_t* path, bool formatted, XmlEncoding encoding,
                                EOLType eol, const CSerializationContext& context,
                                CompressionType compression) const {
  detail::RefuseZlibForFiles(compression);
  if (compression == ct_none && detail::AsyncToXmlFileEnabled()) {
    CFileTextStream stream(path ? path : L"", encoding);
    WriteJsonText(stream, formatted, eol, context);
    return;
  }
  detail::WriteDocumentFile(path, ToJsonStream(formatted, encoding, eol, context, ct_none),
                            encoding, compression);
}

void CXmlObjectBase::FromJson(const wchar_t* json, const CSerializationContext& context) {
  if (!json || *json == L'\0') detail::ThrowJsonError(detail::kJsonStringEmpty);
  FromJson_Int(detail::JsonInput(json), context);
}

void CXmlObjectBase::FromJson(const char* json, const CSerializationContext& context) {
  if (!json || *json == '\0') detail::ThrowJsonError(detail::kJsonStringEmpty);
  FromJson_Int(detail::JsonInput(reinterpret_cast<const unsigned char*>(json), std::strlen(json)),
               context);
}

void CXmlObjectBase::FromJsonFile(const wchar_t* path, const CSerializationContext& context) {
  FromJson_Int(detail::ReadJsonFile(path), context);
}

void CXmlObjectBase::FromJsonStream(const CBinaryData& data, const CSerializationContext& context) {
  FromJsonStream(data.GetData(), data.GetLength(), context);
}

void CXmlObjectBase::FromJsonStream(const unsigned char* data, size_t length,
                                    const CSerializationContext& context) {
  if (!data || length == 0) detail::ThrowJsonError(detail::kJsonStreamEmpty);
  FromJson_Int(detail::JsonInput(data, length), context);
}

// JSON read without the full round trip carries no namespaces, so the object
// reads it ignoring them: on a copy of the context, which the caller may share.
// Syntax and mapping errors pass unchanged; an error of the object's own
// reading is wrapped with the XML the JSON stands for.
void CXmlObjectBase::FromJson_Int(const detail::JsonInput& json,
                                  const CSerializationContext& context) {
  const CJsonContext& options = context.GetJsonContext();
  CSerializationContext withoutNamespaces;
  const bool full = options.GetSupportRoundtrip() == JsonRoundTrip_Full;
  if (!full) {
    withoutNamespaces = context;
    withoutNamespaces.SetIgnoreNamespaces(true);
  }
  const CSerializationContext& effective = full ? context : withoutNamespaces;
  detail::ObjectReadDocument document(effective);
  detail::LoadJsonTree(document, json, options);
  try {
    if (document.GetDocumentElement() == nullptr) {
      throw CKvException(detail::kInvalidXmlDocument);
    }
    ReadDocument(document, effective);
  } catch (const CKvException& e) {
    const CBinaryData xml = detail::ConvertJsonToXml(json, options);
    const std::wstring text = detail::Utf8ToWide(detail::ByteView(xml));
    throw CKvException(FormatString(detail::kJsonConversionFailed, text.c_str()), e);
  }
}

}  // namespace Korvel
