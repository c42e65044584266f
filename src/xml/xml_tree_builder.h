// SPDX-License-Identifier: MIT
// The document's builder operations, for library code that builds trees
// without being one of the document's reader classes.
#pragma once

#include <cstddef>
#include <string_view>

#include <korvel/xml_document.h>

namespace Korvel::detail {

class XmlTreeBuilder {
 public:
  static CXmlElement* AddDocElement(CXmlDocument& document, const wchar_t* namespaceUri,
                                    const wchar_t* localName) {
    return document.AddDocElement(namespaceUri, localName);
  }
  static CXmlElement* AddChildElement(CXmlDocument& document, const wchar_t* namespaceUri,
                                      const wchar_t* localName) {
    return document.AddChildElement(namespaceUri, localName);
  }
  static void EndElement(CXmlDocument& document) { document.EndElement(); }
  static void AddElementAttribute(CXmlElement* element, const wchar_t* localName,
                                  const wchar_t* value, const wchar_t* namespaceUri) {
    CXmlDocument::AddElementAttribute(element, localName, value, namespaceUri);
  }
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text) {
    CXmlDocument::AppendTextExcludingCR(element, text);
  }
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text, size_t length) {
    CXmlDocument::AppendTextExcludingCR(element, text, length);
  }
  static void AddNamespaceDeclaration(CXmlDocument& document, std::wstring_view prefix,
                                      std::wstring_view namespaceUri) {
    document.AddNamespaceDeclaration(prefix, namespaceUri);
  }

  // The element operations meant for readers.
  static void AppendText(CXmlElement* element, const wchar_t* text, size_t length) {
    element->AppendText(text, length);
  }
  static CXmlElement* CreateNewChildElement(CXmlElement* element) {
    return element->CreateNewChildElement();
  }
  static CXmlElement* RemoveLastChildElement(CXmlElement* element) {
    return element->RemoveLastChildElement();
  }
  static void SetElementName(CXmlElement* element, const wchar_t* localName) {
    element->SetElementName(localName);
  }
  static void SetNamespace(CXmlElement* element, const wchar_t* namespaceUri) {
    element->SetNamespace(namespaceUri);
  }
};

}  // namespace Korvel::detail
