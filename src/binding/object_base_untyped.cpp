// SPDX-License-Identifier: MIT
// Reading a bound object from untyped content (CElement).
//
// TODO(untyped content): CElement does not exist yet. Once include/korvel/untyped.h
// defines it, this body becomes:
//   const std::wstring text = element->ToXml(false, false, EOL_LF,
//                                            CSerializationContext::GetDefaultContext());
//   FromXml(text.c_str(), context);
#include <korvel/errors.h>
#include <korvel/object_base.h>

namespace Korvel {

void CXmlObjectBase::FromXmlElement(const CElement*, const CSerializationContext&) {
  throw CKvException(L"Reading from untyped content is not available in this build.");
}

}  // namespace Korvel
