// SPDX-License-Identifier: MIT
// A loaded tree as one line, for comparing trees and for the vector files:
// {namespace}name @{namespace}attribute=value [text] (child)(child)...
#pragma once

#include <string>

#include <korvel/xml_document.h>

namespace Korvel::testing {

inline std::wstring TreeText(const CXmlElement* e) {
  if (e == nullptr) return L"";
  std::wstring out = L"{" + e->GetNamespaceURI() + L"}" + e->GetLocalName();
  for (const CXmlAttribute* a : e->GetAttributes()) {
    out += L" @{" + a->GetNamespaceURI() + L"}" + a->GetLocalName() + L"=" + a->GetValue();
  }
  if (!e->GetText().empty()) out += L" [" + e->GetText() + L"]";
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    out += L" (" + TreeText(c) + L")";
  }
  return out;
}

inline std::wstring TreeText(const CXmlDocument& document) {
  return TreeText(document.GetDocumentElement());
}

}  // namespace Korvel::testing
