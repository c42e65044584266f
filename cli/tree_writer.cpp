// SPDX-License-Identifier: MIT
// The document tree walked without recursion (through parent and sibling
// links), so that deep documents cannot exhaust the stack.
#include "tree_writer.h"

#include <string>
#include <unordered_set>
#include <vector>

#include <korvel/item_type.h>
#include <korvel/json_text_writer.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "progress.h"

namespace korvel_cli {

namespace {

using Korvel::CJsonTextWriter;
using Korvel::CXmlAttribute;
using Korvel::CXmlElement;

// Text other than the layout whitespace between child elements.
bool HasText(const CXmlElement& element) {
  const std::wstring& text = element.GetText();
  return !text.empty() &&
         !(element.GetFirstElement() && text.find_first_not_of(L" \t\n") == std::wstring::npos);
}

// Names are interned once per document, so equal names are the same strings.
bool SameName(const CXmlElement& a, const CXmlElement& b) {
  return &a.GetLocalName() == &b.GetLocalName() && &a.GetNamespaceURI() == &b.GetNamespaceURI();
}

// The next element in document order after element's subtree, and how many
// levels that climbs (each one an element to end).
const CXmlElement* NextAfterSubtree(const CXmlElement* element, int& levelsUp) {
  levelsUp = 0;
  while (element) {
    ++levelsUp;
    if (const CXmlElement* sibling = element->GetNextSiblingElement()) return sibling;
    element = element->GetParentElm();
  }
  return nullptr;
}

}  // namespace

TreeWriter::TreeWriter(const Korvel::CXmlDocument& document) : m_document(document) {
  // Each qualified name holds its own copy of its URI: names are few, so the
  // URIs are collected once per name rather than once per node.
  std::unordered_set<const std::wstring*> names;
  std::unordered_set<std::wstring> namespaces;
  auto note = [&](const std::wstring& uri) {
    if (!uri.empty() && names.insert(&uri).second) namespaces.insert(uri);
  };
  uint64_t depth = 1;
  for (const CXmlElement* element = document.GetDocumentElement(); element;) {
    ++m_counts.elements;
    if (depth > m_counts.depth) m_counts.depth = depth;
    note(element->GetNamespaceURI());
    for (const CXmlAttribute* attribute : element->GetAttributes()) {
      ++m_counts.attributes;
      note(attribute->GetNamespaceURI());
    }
    if (HasText(*element)) m_counts.textCharacters += element->GetText().size();
    if (const CXmlElement* child = element->GetFirstElement()) {
      element = child;
      ++depth;
      continue;
    }
    int levelsUp = 0;
    element = NextAfterSubtree(element, levelsUp);
    depth -= static_cast<uint64_t>(levelsUp) - 1;
  }
  m_counts.namespaces = namespaces.size();
}

void TreeWriter::WriteStart(const CXmlElement& element, Korvel::CXmlWriter& writer) const {
  writer.StartElement(element.GetLocalName(), element.GetNamespaceURI());
  for (const CXmlAttribute* attribute : element.GetAttributes()) {
    writer.WriteAttribute(attribute->GetLocalName(), attribute->GetNamespaceURI(),
                          attribute->GetValue(), Korvel::it_string);
  }
  if (!(m_jsonLayout && element.GetFirstElement()) && HasText(element)) {
    writer.WriteText(element.GetText(), Korvel::it_string, false);
  }
}

void TreeWriter::WriteEnd(const CXmlElement& element, Korvel::CXmlWriter& writer) const {
  if (m_jsonLayout && element.GetFirstElement() && HasText(element)) {
    writer.WriteText(element.GetText(), Korvel::it_string, false);
  }
  writer.EndElement();
}

void TreeWriter::Write(Korvel::CXmlWriter& writer, Progress* progress) const {
  const CXmlElement* root = m_document.GetDocumentElement();
  if (!root) return;
  // The document's own prefixes rather than generated ones, declared once on
  // the root as the document most likely had them.
  const std::wstring defaultNamespace = m_document.LookupNamespaceFromAlias(L"");
  if (!defaultNamespace.empty()) writer.SetDefaultNamespace(defaultNamespace);
  std::unordered_set<const std::wstring*> seen;  // as in the constructor
  std::unordered_set<std::wstring> declared;
  std::unordered_set<std::wstring> prefixes;
  for (const CXmlElement* element = root; element;) {
    auto declare = [&](const std::wstring& uri) {
      if (uri.empty() || !seen.insert(&uri).second) return;
      if (!declared.insert(uri).second || uri == defaultNamespace) return;
      const std::wstring prefix = m_document.LookupAliasFromNamespace(uri.c_str());
      // A prefix the document bound to two URIs in turn is used for one; the
      // writer makes up prefixes for the other.
      if (!prefix.empty() && uri != Korvel::CXmlWriter::XML_NAMESPACE &&
          prefixes.insert(prefix).second) {
        writer.AddNamespaceAlias(prefix, uri);
      }
    };
    if (declared.size() == m_counts.namespaces) break;
    declare(element->GetNamespaceURI());
    for (const CXmlAttribute* attribute : element->GetAttributes()) {
      declare(attribute->GetNamespaceURI());
    }
    int levelsUp = 0;
    element = element->GetFirstElement() ? element->GetFirstElement()
                                         : NextAfterSubtree(element, levelsUp);
  }

  uint64_t written = 0;
  for (const CXmlElement* element = root; element;) {
    // A run of same-named siblings is one collection to the JSON writer: marked
    // pending before its first item, finished after its last.
    if (m_jsonLayout && element != root) {
      const CXmlElement* next = element->GetNextSiblingElement();
      auto* owner = writer.GetCurrentElement();
      if (next && SameName(*element, *next) &&
          owner->GetWriterState() != CJsonTextWriter::ARRAY_OPEN) {
        owner->SetWriterState(CJsonTextWriter::ARRAY_PENDING);
      }
    }
    WriteStart(*element, writer);
    if (progress) progress->Update(++written);
    if (const CXmlElement* child = element->GetFirstElement()) {
      element = child;
      continue;
    }
    // End this element and every ancestor whose last child it is.
    for (;;) {
      WriteEnd(*element, writer);
      const CXmlElement* next = element->GetNextSiblingElement();
      if (m_jsonLayout && element != root) {
        auto* owner = writer.GetCurrentElement();
        if (owner->GetWriterState() == CJsonTextWriter::ARRAY_OPEN &&
            !(next && SameName(*element, *next))) {
          owner->SetWriterState(CJsonTextWriter::ARRAY_FINISHED);
        }
      }
      if (next) {
        element = next;
        break;
      }
      element = element->GetParentElm();
      if (!element) break;
    }
  }
}

}  // namespace korvel_cli
