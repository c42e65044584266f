// SPDX-License-Identifier: MIT
// CXmlObjectBase's JSON entry points. This build has no JSON reader or writer
// yet: each entry point refuses at once, before touching any file.
#include <korvel/errors.h>
#include <korvel/object_base.h>

namespace Korvel {

namespace {

[[noreturn]] void ThrowJsonNotAvailable() {
  throw CKvException(L"JSON is not available in this build.");
}

}  // namespace

std::wstring CXmlObjectBase::ToJson(bool, EOLType, const CSerializationContext&) const {
  ThrowJsonNotAvailable();
}

CBinaryData CXmlObjectBase::ToJsonStream(bool, XmlEncoding, EOLType, const CSerializationContext&,
                                         CompressionType) const {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::ToJsonFile(const wchar_t*, bool, XmlEncoding, EOLType,
                                const CSerializationContext&, CompressionType) const {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::FromJson(const wchar_t*, const CSerializationContext&) {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::FromJson(const char*, const CSerializationContext&) {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::FromJsonFile(const wchar_t*, const CSerializationContext&) {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::FromJsonStream(const CBinaryData& data, const CSerializationContext& context) {
  FromJsonStream(data.GetData(), data.GetLength(), context);
}

void CXmlObjectBase::FromJsonStream(const unsigned char*, size_t, const CSerializationContext&) {
  ThrowJsonNotAvailable();
}

void CXmlObjectBase::FromJson_Int(const CBinaryData&, const CSerializationContext&) {
  ThrowJsonNotAvailable();
}

}  // namespace Korvel
