// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a
// document, into a JSON text writer in one step.
#pragma once

#include <string>
#include <string_view>
#include <typeinfo>

#include <korvel/item_type.h>
#include <korvel/json_text_writer.h>

namespace Korvel::detail {

// What WriteJsonTextElement does once the writer is known to be one.
bool WriteJsonTextElementTo(CJsonTextWriter& writer, const std::wstring& name,
                            std::string_view asciiName, const std::wstring& namespaceUri,
                            std::wstring_view text, ItemType itemType);

// When writer is a CJsonTextWriter (of that class itself, so that no override
// is bypassed) and the element needs no namespace prefix or declaration,
// writes it as StartElement, WriteText and EndElement would and returns true;
// false, with nothing written, otherwise. Inline: every element of every
// writer asks, and the library's one type_info object for the class is
// compared by address.
inline bool WriteJsonTextElement(CXmlWriter& writer, const std::wstring& name,
                                 std::string_view asciiName, const std::wstring& namespaceUri,
                                 std::wstring_view text, ItemType itemType) {
  return &typeid(writer) == &typeid(CJsonTextWriter) &&
         WriteJsonTextElementTo(static_cast<CJsonTextWriter&>(writer), name, asciiName,
                                namespaceUri, text, itemType);
}

}  // namespace Korvel::detail
