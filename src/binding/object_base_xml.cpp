// SPDX-License-Identifier: MIT
// CXmlObjectBase's XML text entry points: they set up the writer or the
// document and hand over to the object's ToXml_Int / FromXml_Int.
#include <korvel/object_base.h>

#include <cstring>
#include <limits>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "binding/document_file.h"
#include "binding/messages.h"
#include "values/compression.h"
#include "xml/byte_text_stream.h"
#include "xml/output_switches.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

void CXmlObjectBase::WriteXmlText(CTextStream& stream, bool includeDocHeader, bool formatted,
                                  EOLType eol, const CSerializationContext& context) const {
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.SetFormatted(formatted);
  writer.SetIndentChars(context.GetIndentChars());
  writer.SetEOLType(eol);
  writer.SetWriteDefaultElementValues(context.GetWriteDefaultElementValues());
  if (includeDocHeader) writer.WriteXmlDeclaration();
  const std::wstring targetNamespace = GetTargetNamespace();
  ToXml_Int(&writer, true, targetNamespace.c_str(), context, false);
  writer.Close();
}

std::wstring CXmlObjectBase::ToXml(bool includeDocHeader, bool formatted, EOLType eol,
                                   const CSerializationContext& context) const {
  CTextStream stream;
  WriteXmlText(stream, includeDocHeader, formatted, eol, context);
  return stream.GetAllText();
}

CBinaryData CXmlObjectBase::ToXmlStream(bool includeDocHeader, bool formatted, XmlEncoding encoding,
                                        EOLType eol, const CSerializationContext& context,
                                        CompressionType compression) const {
  detail::ByteTextStream stream(encoding);
  WriteXmlText(stream, includeDocHeader, formatted, eol, context);
  CBinaryData bytes = stream.TakeBytes();
  detail::CompressData(bytes, compression);
  return bytes;
}

void CXmlObjectBase::ToXmlFile(const wchar_t* path, bool includeDocHeader, bool formatted,
                               XmlEncoding encoding, EOLType eol,
                               const CSerializationContext& context,
                               CompressionType compression) const {
  detail::RefuseZlibForFiles(compression);
  if (compression == ct_none && detail::AsyncToXmlFileEnabled()) {
    // Written while it is produced.
    CFileTextStream stream(path ? path : L"", encoding);
    WriteXmlText(stream, includeDocHeader, formatted, eol, context);
    return;
  }
  detail::WriteDocumentFile(
      path, ToXmlStream(includeDocHeader, formatted, encoding, eol, context, ct_none), encoding,
      compression);
}

void CXmlObjectBase::ReadDocument(const CXmlDocument& document,
                                  const CSerializationContext& context) {
  // The document is this read's own: what has been read is given back as
  // the read goes on.
  detail::XmlTreeBuilder::ConsumeByRead(document);
  CXmlElement* root = document.GetDocumentElement();
  if (root == nullptr) {
    FromXml_Int(nullptr, nullptr, context, false);
  } else {
    RootFromXml_Int(root, context);
  }
}

void CXmlObjectBase::RootFromXml_Int(CXmlElement* root, const CSerializationContext& context) {
  FromXml_Int(root, root->GetFirstElement(), context, false);
}

void CXmlObjectBase::FromXml(const wchar_t* xml, const CSerializationContext& context) {
  detail::ObjectReadDocument document(context);
  document.LoadXml(xml);
  ReadDocument(document, context);
}

void CXmlObjectBase::FromXml(const char* xml, const CSerializationContext& context) {
  detail::ObjectReadDocument document(context);
  document.LoadXml(xml);
  ReadDocument(document, context);
}

void CXmlObjectBase::FromXmlFile(const wchar_t* path, const CSerializationContext& context) {
  detail::ObjectReadDocument document(context);
  document.Load(path);
  ReadDocument(document, context);
}

void CXmlObjectBase::FromXmlStream(const CBinaryData& data, const CSerializationContext& context) {
  FromXmlStream(data.GetData(), data.GetLength(), context);
}

void CXmlObjectBase::FromXmlStream(const unsigned char* data, size_t length,
                                   const CSerializationContext& context) {
  detail::ObjectReadDocument document(context);
  document.LoadXmlStream(data, length);
  ReadDocument(document, context);
}

void CXmlObjectBase::FromXmlElement(const CXmlElement* element,
                                    const CSerializationContext& context) {
  if (element == nullptr) throw CKvInvalidParamException(detail::kNoElementToRead);
  // The reader consumes the element's content without changing the tree.
  RootFromXml_Int(const_cast<CXmlElement*>(element), context);
}

}  // namespace Korvel
