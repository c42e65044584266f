// SPDX-License-Identifier: MIT
// CXmlObjectBase's entry points for UTF-8 text, std::filesystem paths and
// std::wstring file names: each checks its argument and forwards to the wide
// or byte form.
#include <korvel/object_base.h>

#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "runtime/messages.h"
#include "runtime/utf8_argument.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

namespace {

std::string StringOf(const CBinaryData& bytes) {
  if (bytes.GetLength() == 0) return {};
  return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetLength());
}

}  // namespace

std::string CXmlObjectBase::ToXmlUtf8(bool includeDocHeader, bool formatted, EOLType eol,
                                      const CSerializationContext& context) const {
  return StringOf(
      ToXmlStream(includeDocHeader, formatted, XmlEncoding_UTF8, eol, context, ct_none));
}

void CXmlObjectBase::ToXmlFile(const std::filesystem::path& path, bool includeDocHeader,
                               bool formatted, XmlEncoding encoding, EOLType eol,
                               const CSerializationContext& context,
                               CompressionType compression) const {
  ToXmlFile(detail::WideFileName(path).c_str(), includeDocHeader, formatted, encoding, eol, context,
            compression);
}

void CXmlObjectBase::ToXmlFile(const std::wstring& path, bool includeDocHeader, bool formatted,
                               XmlEncoding encoding, EOLType eol,
                               const CSerializationContext& context,
                               CompressionType compression) const {
  ToXmlFile(path.c_str(), includeDocHeader, formatted, encoding, eol, context, compression);
}

std::string CXmlObjectBase::ToJsonUtf8(bool formatted, EOLType eol,
                                       const CSerializationContext& context) const {
  return StringOf(ToJsonStream(formatted, XmlEncoding_UTF8, eol, context, ct_none));
}

void CXmlObjectBase::ToJsonFile(const std::filesystem::path& path, bool formatted,
                                XmlEncoding encoding, EOLType eol,
                                const CSerializationContext& context,
                                CompressionType compression) const {
  ToJsonFile(detail::WideFileName(path).c_str(), formatted, encoding, eol, context, compression);
}

void CXmlObjectBase::ToJsonFile(const std::wstring& path, bool formatted, XmlEncoding encoding,
                                EOLType eol, const CSerializationContext& context,
                                CompressionType compression) const {
  ToJsonFile(path.c_str(), formatted, encoding, eol, context, compression);
}

void CXmlObjectBase::ToFastInfosetFile(const std::filesystem::path& path, FInfoDecl declaration,
                                       const CSerializationContext& context,
                                       CompressionType compression) const {
  ToFastInfosetFile(detail::WideFileName(path).c_str(), declaration, context, compression);
}

void CXmlObjectBase::ToFastInfosetFile(const std::wstring& path, FInfoDecl declaration,
                                       const CSerializationContext& context,
                                       CompressionType compression) const {
  ToFastInfosetFile(path.c_str(), declaration, context, compression);
}

void CXmlObjectBase::FromXml(std::string_view xml, const CSerializationContext& context) {
  detail::ObjectReadDocument document(context);
  document.LoadXml(xml);
  ReadDocument(document, context);
}

void CXmlObjectBase::FromXmlFile(const std::filesystem::path& path,
                                 const CSerializationContext& context) {
  FromXmlFile(detail::WideFileName(path).c_str(), context);
}

void CXmlObjectBase::FromXmlFile(const std::wstring& path, const CSerializationContext& context) {
  FromXmlFile(path.c_str(), context);
}

// JSON text is read as the characters it holds, as the wide form does.
void CXmlObjectBase::FromJson(std::string_view json, const CSerializationContext& context) {
  FromJson(detail::WideFromUtf8Argument(json, detail::kTextArgument).c_str(), context);
}

void CXmlObjectBase::FromJsonFile(const std::filesystem::path& path,
                                  const CSerializationContext& context) {
  FromJsonFile(detail::WideFileName(path).c_str(), context);
}

void CXmlObjectBase::FromJsonFile(const std::wstring& path, const CSerializationContext& context) {
  FromJsonFile(path.c_str(), context);
}

}  // namespace Korvel
