// SPDX-License-Identifier: MIT
// CXmlObjectBase's Fast Infoset entry points: the object as the document
// element of a Fast Infoset document. Reading needs no entry point of its own:
// every byte input recognises Fast Infoset.
#include <korvel/errors.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>

#include "binding/messages.h"
#include "values/binary_stream.h"
#include "values/compression.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowZlibOnlyForStreams() { throw CKvException(detail::kZlibOnlyForStreams); }

}  // namespace

CBinaryData CXmlObjectBase::ToFastInfosetStream(FInfoDecl declaration,
                                                const CSerializationContext& context,
                                                CompressionType compression) const {
  CBinaryData bytes;
  {
    CFastInfosetWriter writer(bytes, context.GetFIContext());
    writer.SetWriteDefaultElementValues(context.GetWriteDefaultElementValues());
    writer.WriteHeader(declaration);
    const std::wstring targetNamespace = GetTargetNamespace();
    ToXml_Int(&writer, true, targetNamespace.c_str(), context, false);
    writer.Close();
  }
  detail::CompressData(bytes, compression);
  return bytes;
}

void CXmlObjectBase::ToFastInfosetFile(const wchar_t* path, FInfoDecl declaration,
                                       const CSerializationContext& context,
                                       CompressionType compression) const {
  if (compression == ct_zlib) ThrowZlibOnlyForStreams();
  CFileBinaryStream file(path ? path : L"", XmlEncoding_UTF8);
  file.GetData() = ToFastInfosetStream(declaration, context, compression);
  file.WriteToFile();
}

}  // namespace Korvel
