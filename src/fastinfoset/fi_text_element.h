// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a
// document, into a Fast Infoset writer in one step.
#pragma once

#include <string>

#include <korvel/item_type.h>

namespace Korvel {
class CXmlWriter;
}  // namespace Korvel

namespace Korvel::detail {

// When writer is a CFastInfosetWriter (of that class itself, so that no
// override is bypassed) and the element declares nothing (its namespace is
// its parent's default), writes it as StartElement, WriteText and EndElement
// would and returns true; false, with nothing written, otherwise.
bool WriteFastInfosetTextElement(CXmlWriter& writer, const std::wstring& name,
                                 const std::wstring& namespaceUri, const std::wstring& text,
                                 ItemType itemType, bool isDefaultValue);

}  // namespace Korvel::detail
