// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a
// document, into a JSON text writer in one step.
#pragma once

#include <string>

#include <korvel/item_type.h>

namespace Korvel {
class CXmlWriter;
}  // namespace Korvel

namespace Korvel::detail {

// When writer is a CJsonTextWriter (of that class itself, so that no override
// is bypassed) and the element needs no namespace prefix or declaration,
// writes it as StartElement, WriteText and EndElement would and returns true;
// false, with nothing written, otherwise.
bool WriteJsonTextElement(CXmlWriter& writer, const std::wstring& name,
                          const std::wstring& namespaceUri, const std::wstring& text,
                          ItemType itemType);

}  // namespace Korvel::detail
