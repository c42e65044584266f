// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a
// document, into a Fast Infoset writer in one step.
#pragma once

#include <string>
#include <string_view>
#include <typeinfo>

#include <korvel/fast_infoset_writer.h>
#include <korvel/item_type.h>

namespace Korvel::detail {

// What WriteFastInfosetTextElement does once the writer is known to be one.
bool WriteFastInfosetTextElementTo(CFastInfosetWriter& writer, const std::wstring& name,
                                   const std::wstring& namespaceUri, std::wstring_view text,
                                   ItemType itemType, bool isDefaultValue, bool lastingNames);

// When writer is a CFastInfosetWriter (of that class itself, so that no
// override is bypassed) and the element declares nothing (its namespace is
// its parent's default), writes it as StartElement, WriteText and EndElement
// would and returns true; false, with nothing written, otherwise. Inline, as
// WriteJsonTextElement. lastingNames tells that name and namespaceUri are
// strings that stay as they are for as long as the writer lives, such as the
// class metadata's: the writer then recognises them by their address alone.
inline bool WriteFastInfosetTextElement(CXmlWriter& writer, const std::wstring& name,
                                        const std::wstring& namespaceUri, std::wstring_view text,
                                        ItemType itemType, bool isDefaultValue,
                                        bool lastingNames = false) {
  return &typeid(writer) == &typeid(CFastInfosetWriter) &&
         WriteFastInfosetTextElementTo(static_cast<CFastInfosetWriter&>(writer), name, namespaceUri,
                                       text, itemType, isDefaultValue, lastingNames);
}

}  // namespace Korvel::detail
