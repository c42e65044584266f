// SPDX-License-Identifier: MIT
// CXmlObjectBase's Fast Infoset entry points. This build has no Fast Infoset
// writer yet: each entry point refuses at once, before touching any file.
#include <korvel/errors.h>
#include <korvel/object_base.h>

namespace Korvel {

namespace {

[[noreturn]] void ThrowFastInfosetNotAvailable() {
  throw CKvException(L"Fast Infoset output is not available in this build.");
}

}  // namespace

CBinaryData CXmlObjectBase::ToFastInfosetStream(FInfoDecl, const CSerializationContext&,
                                                CompressionType) const {
  ThrowFastInfosetNotAvailable();
}

void CXmlObjectBase::ToFastInfosetFile(const wchar_t*, FInfoDecl, const CSerializationContext&,
                                       CompressionType) const {
  ThrowFastInfosetNotAvailable();
}

}  // namespace Korvel
