// SPDX-License-Identifier: MIT
// A tree with its prefixes resolved, for judging written objects: the prefixes
// a writer picks (JSON and Fast Infoset declare every namespace with one) and
// its namespace declarations are not part of the objects; xsi:type values
// are given with their namespace URI.
#pragma once

#include <string>

#include <korvel/xml_document.h>

namespace Korvel::testing {

inline std::wstring CanonicalTree(const CXmlElement* e) {
  std::wstring out = L"<{" + e->GetNamespaceURI() + L"}" + e->GetLocalName();
  for (const CXmlAttribute* a : e->GetAttributes()) {
    if (a->IsNamespaceAttribute()) continue;
    std::wstring value = a->GetValue();
    if (a->GetLocalName() == L"type" &&
        a->GetNamespaceURI() == L"http://www.w3.org/2001/XMLSchema-instance") {
      const size_t colon = value.find(L':');
      const std::wstring* ns = colon == std::wstring::npos
                                   ? &e->GetDefaultNamespaceInScope()
                                   : e->LookupNamespaceInScope(value.substr(0, colon));
      value = L"{" + (ns ? *ns : L"?") + L"}" + value.substr(colon + 1);
    }
    out += L" {" + a->GetNamespaceURI() + L"}" + a->GetLocalName() + L"=" + value;
  }
  out += L">" + e->GetText();
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    out += CanonicalTree(c);
  }
  return out + L"</>";
}

}  // namespace Korvel::testing
