// SPDX-License-Identifier: MIT
// CElement as XML: reading a document element into the tree, writing the tree
// to any writer, and the own namespace scope of an element with a default
// namespace.
#include <korvel/untyped.h>

#include <typeinfo>
#include <utility>
#include <vector>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "binding/messages.h"
#include "binding/namespace_wildcard.h"
#include "binding/untyped_support.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowNoElement() { throw CKvInvalidParamException(detail::kNoElementToRead); }

}  // namespace

// --- Reading ------------------------------------------------------------------------

CXmlElement* CElement::FromXml_Int(CXmlElement*, CXmlElement* current,
                                   const CSerializationContext& context, bool) {
  if (current == nullptr) return nullptr;
  if (!detail::IsNamespaceValid(current->GetNamespaceURI(), Restriction(), TargetNamespace())) {
    return current;
  }
  ReadNode(current, context);
  // Every element below takes any namespace, with this element's target;
  // elements in one namespace share the scope of their collections.
  const std::shared_ptr<const detail::UntypedScope> any = ChildScope();
  // Depth first with a stack of its own, so that deep nesting costs heap, not
  // call stack. Children go into the child collection as its own reading
  // would put them: every element of a child collection is admitted.
  std::vector<std::pair<CElement*, const CXmlElement*>> open{{this, current}};
  while (!open.empty()) {
    const auto [parent, source] = open.back();
    open.pop_back();
    for (CXmlElement* child = source->GetFirstElement(); child != nullptr;
         child = child->GetNextSiblingElement()) {
      const std::wstring& ns = child->GetNamespaceURI();
      CSmartPtr<CElement> element(new CElement(child->GetLocalName().c_str(), ns.c_str(),
                                               detail::AnyScopeOf(any, ns)));
      element->ReadNode(child, context);
      parent->Children().AppendItem(element);
      if (child->GetFirstElement() != nullptr) open.emplace_back(element.Get(), child);
    }
  }
  return current->GetNextSiblingElement();
}

void CElement::ReadNode(const CXmlElement* source, const CSerializationContext& context) {
  if (m_attributes) m_attributes->Clear();
  if (m_childElements) m_childElements->Clear();
  // An element that declares a default namespace has its own scope, which
  // writing it declares again. Without namespace processing the declaration
  // is an attribute.
  const std::wstring* declared = source->FindNamespaceDeclaration(std::wstring_view());
  m_defaultNamespace = declared ? *declared : std::wstring();
  for (const CXmlAttribute* attribute : source->GetAttributes()) {
    if (detail::IsDefaultNamespaceDeclaration(*attribute)) m_defaultNamespace = attribute->GetValue();
  }
  if (!source->GetAttributes().empty()) {
    CXmlObjectBase::FromXml_Int(&Attributes(), const_cast<CXmlElement*>(source), nullptr, context);
  }
  // Around child elements, whitespace at the ends is the layout of the
  // document, not content.
  const std::wstring& text = source->GetText();
  if (source->GetFirstElement() != nullptr) {
    m_text = detail::TrimXmlWhitespace(text);
  } else {
    m_text = text;
  }
  m_name = source->GetLocalName();
  SetElementName(m_name.c_str());
  m_namespaceUri = source->GetNamespaceURI();
}

void CElement::CopyXmlElement(const CXmlElement* element) {
  if (element == nullptr) ThrowNoElement();
  // Copying takes the element whatever its namespace: the wildcard is set
  // aside for the read and restored afterwards.
  const std::shared_ptr<const detail::UntypedScope> wildcard =
      std::exchange(m_wildcard, ChildScope());
  try {
    FromXml_Int(nullptr, const_cast<CXmlElement*>(element),
                CSerializationContext::GetDefaultContext(), false);
  } catch (...) {
    m_wildcard = wildcard;
    throw;
  }
  m_wildcard = wildcard;
}

// The document element, or an element a caller picked from a document: the
// element itself, not its first child, is this object. A default namespace in
// scope there that is the element's own namespace, declared by an ancestor,
// becomes the element's own scope: that is what writing the element produces.
void CElement::RootFromXml_Int(CXmlElement* root, const CSerializationContext& context) {
  if (root == nullptr) ThrowNoElement();
  detail::TestNamespace(root->GetNamespaceURI(), Restriction(), TargetNamespace());
  FromXml_Int(nullptr, root, context, false);
  if (m_defaultNamespace.empty() && !m_namespaceUri.empty() &&
      root->GetDefaultNamespaceInScope() == m_namespaceUri) {
    m_defaultNamespace = m_namespaceUri;
  }
}

void CElement::FromXml(const wchar_t* xml) {
  CXmlObjectBase::FromXml(xml, CSerializationContext::GetDefaultContext());
}

CElement::CElement(const CXmlObjectBase* object, const wchar_t* defaultNamespace)
    : CInstanceMonitor(L"CElement") {
  Init(L"", L"", L"##any", L"");
  if (object == nullptr) ThrowNoElement();
  CSerializationContext context;
  context.SetDefaultNamespaceURI(detail::OrEmpty(defaultNamespace));
  const CBinaryData bytes =
      object->ToXmlStream(false, false, XmlEncoding_UTF8, EOL_LF, context, ct_none);
  CXmlDocument document(context);
  document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
  RootFromXml_Int(document.GetDocumentElement(), context);
  if (defaultNamespace != nullptr) m_defaultNamespace = defaultNamespace;
}

// --- Writing ------------------------------------------------------------------------

void CElement::ToXml_Int(CXmlWriter* writer, bool, const wchar_t*,
                         const CSerializationContext& context, bool) const {
  if (!m_defaultNamespace.empty()) {
    // Only XML text has namespace scopes to open; other writers carry the
    // namespace of every name and write the element like any other.
    if (auto* textWriter = dynamic_cast<CXmlTextWriter*>(writer)) {
      WriteInOwnScope(*textWriter);
      return;
    }
  }
  WriteContent(*writer, context);
}

// Iterative like reading. Children of a derived class, and children with a
// namespace scope of their own, are written by their own ToXml_Int.
void CElement::WriteContent(CXmlWriter& writer, const CSerializationContext& context) const {
  struct Open {
    const CElement* element;
    CKvIterator<CElement> next;
  };
  std::vector<Open> open;
  const auto start = [&](const CElement& element) {
    writer.StartElement(element.m_name, element.m_namespaceUri);
    if (element.m_attributes) {
      CXmlObjectBase::ToXml_Int(element.m_attributes, &writer, false,
                                element.m_namespaceUri.c_str(), context, false);
    }
    if (!element.m_childElements) {
      open.push_back({&element, CKvIterator<CElement>()});
      return;
    }
    element.m_childElements->ValidateCount(context);
    open.push_back({&element, element.m_childElements->begin()});
  };
  start(*this);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == CKvIterator<CElement>()) {
      writer.WriteText(top.element->m_text, it_string, false);
      writer.EndElement();
      open.pop_back();
      continue;
    }
    const CElement& child = *top.next++;
    if (typeid(child) == typeid(CElement) && child.m_defaultNamespace.empty()) {
      start(child);
    } else {
      CXmlObjectBase::ToXml_Int(&child, &writer, false, child.m_namespaceUri.c_str(), context,
                                false);
    }
  }
}

// The subtree is written by a writer of its own whose document default
// namespace is the element's, so that the element declares it and the names
// in it go without prefix; the markup then joins the outer document.
void CElement::WriteInOwnScope(CXmlTextWriter& writer) const {
  CTextStream stream;
  CXmlTextWriter scoped(stream);
  scoped.Open();
  scoped.SetFormatted(writer.GetFormatted());
  scoped.SetEOLType(writer.GetEOLType());
  scoped.SetIndentChars(writer.GetIndentChars());
  scoped.SetWriteDefaultElementValues(writer.GetWriteDefaultElementValues());
  scoped.SetDefaultNamespace(m_defaultNamespace);
  // A fresh context rather than a copy: copying would create the caller's
  // root attributes, a change to a context that may be shared.
  CSerializationContext scopedContext;
  scopedContext.SetDefaultNamespaceURI(m_defaultNamespace.c_str());
  WriteContent(scoped, scopedContext);
  scoped.Close();
  writer.WriteRaw(stream.GetAllText());
}

}  // namespace Korvel
