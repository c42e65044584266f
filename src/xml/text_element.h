// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a document.
#pragma once

#include <string>
#include <string_view>

#include <korvel/item_type.h>

namespace Korvel {
class CXmlWriter;
}  // namespace Korvel

namespace Korvel::detail {

// StartElement, WriteText and EndElement on writer. A CXmlTextWriter or a
// CJsonTextWriter (of that class itself, so that no override is bypassed)
// writes the whole element in one step when no namespace declaration or
// prefix is involved. asciiName, when not empty, is the name's spelling in
// bytes, made once by a caller that writes the same name again and again.
void WriteTextElement(CXmlWriter& writer, const std::wstring& name,
                      const std::wstring& namespaceUri, const std::wstring& text, ItemType itemType,
                      bool isDefaultValue, std::string_view asciiName = {});

}  // namespace Korvel::detail
