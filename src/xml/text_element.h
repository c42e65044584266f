// SPDX-License-Identifier: MIT
// Writing an element that holds only text, the commonest element of a document,
// and starting one whose names need no copy.
#pragma once

#include <string>
#include <string_view>

#include <korvel/item_type.h>

namespace Korvel {
class CXmlWriter;
}  // namespace Korvel

namespace Korvel::detail {

// The text of a simple element as a writer gets it: a view, and
// the string it views when there is one (a number printed on the caller's
// stack has none; a writer that needs a string is given a copy). printed
// tells that the text is a number or date printed just now: ASCII that no
// format escapes, which a writer copies as it is.
struct ElementText {
  std::wstring_view view;
  const std::wstring* string = nullptr;
  bool printed = false;
};

// A simple element as the writers get it, handed on as one reference.
// asciiName, when not empty, is the name's spelling in bytes, made once by a
// caller that writes the same name again and again, from a name and namespace
// that stay as they are (the class metadata's).
struct TextElement {
  const std::wstring& name;
  const std::wstring& namespaceUri;
  ElementText text;
  ItemType itemType;
  bool isDefaultValue;
  std::string_view asciiName;
};

// StartElement, WriteText and EndElement on writer. A CXmlTextWriter or a
// CJsonTextWriter (of that class itself, so that no override is bypassed)
// writes the whole element in one step when no namespace declaration or
// prefix is involved.
void WriteTextElement(CXmlWriter& writer, const TextElement& element);
inline void WriteTextElement(CXmlWriter& writer, const std::wstring& name,
                             const std::wstring& namespaceUri, const ElementText& text,
                             ItemType itemType, bool isDefaultValue,
                             std::string_view asciiName = {}) {
  WriteTextElement(writer,
                   TextElement{name, namespaceUri, text, itemType, isDefaultValue, asciiName});
}
inline void WriteTextElement(CXmlWriter& writer, const std::wstring& name,
                             const std::wstring& namespaceUri, const std::wstring& text,
                             ItemType itemType, bool isDefaultValue,
                             std::string_view asciiName = {}) {
  WriteTextElement(writer, name, namespaceUri, ElementText{text, &text}, itemType, isDefaultValue,
                   asciiName);
}

// StartElement, WriteText and EndElement one by one, the text as a string
// (printed text copied into one the thread keeps): for the elements a writer
// cannot write in one step.
void WriteTextElementInPieces(CXmlWriter& writer, const TextElement& element);

// writer.StartElement(name, namespaceUri) for a caller whose strings outlive
// the element: names kept by the class metadata or by the object written, a
// namespace held by the parent element or by the caller until it ends the
// element. The library's own writers then refer to them in the element's
// record instead of copying them.
void StartElementKeepingNames(CXmlWriter& writer, const std::wstring& name,
                              const std::wstring& namespaceUri);

}  // namespace Korvel::detail
