// SPDX-License-Identifier: MIT
// Reading a bound object from untyped content (CElement), by way of its text.
#include <korvel/errors.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>

#include "binding/messages.h"

namespace Korvel {

void CXmlObjectBase::FromXmlElement(const CElement* element, const CSerializationContext& context) {
  if (element == nullptr) throw CKvInvalidParamException(detail::kNoElementToRead);
  const std::wstring text =
      element->ToXml(false, false, EOL_LF, CSerializationContext::GetDefaultContext());
  FromXml(text.c_str(), context);
}

}  // namespace Korvel
