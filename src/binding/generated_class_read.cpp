// SPDX-License-Identifier: MIT
// CXmlGeneratedClass, reading: attributes, then the children by content model
// (sequence, choice, all), then the simple content.
#include <korvel/generated_class.h>

#include <memory>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "runtime/variant_reference.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

using namespace KorvelData;
using Builder = detail::XmlTreeBuilder;

namespace {

// Per-description flags without a heap allocation for ordinary classes.
class FoundFlags {
 public:
  explicit FoundFlags(int count) : m_flags(m_inline) {
    if (count > kInline) {
      m_heap = std::make_unique<bool[]>(static_cast<size_t>(count));
      m_flags = m_heap.get();
    }
  }
  bool& operator[](int i) { return m_flags[i]; }

 private:
  static constexpr int kInline = 32;
  bool m_inline[kInline] = {};
  std::unique_ptr<bool[]> m_heap;
  bool* m_flags;
};

// Objects read inside one another nest on the call stack as their elements
// nest: a document nested deeper than any schema needs is refused while the
// stack has room (a few hundred bytes a level), threads with small stacks
// included.
constexpr int kDeepestObjectRead = 1024;

class NestedObjectRead {
 public:
  explicit NestedObjectRead(const CXmlElement* element)
      : m_depth(element ? &Builder::NestedObjectReads(*element) : nullptr) {
    if (!m_depth) return;
    if (*m_depth >= kDeepestObjectRead) {
      detail::ThrowValidation(
          FormatString(detail::kObjectsNestedTooDeep, kDeepestObjectRead).c_str(),
          element->GetXPath());
    }
    ++*m_depth;
    m_element = element;
  }
  NestedObjectRead(const NestedObjectRead&) = delete;
  NestedObjectRead& operator=(const NestedObjectRead&) = delete;
  ~NestedObjectRead() {
    if (m_depth && --*m_depth == 0) Builder::ForgetMatches(*m_element);
  }

 private:
  int* m_depth;
  const CXmlElement* m_element = nullptr;
};

int CountOf(CAttributeInfo** attributes) {
  int count = 0;
  if (attributes) {
    while (attributes[count]) ++count;
  }
  return count;
}

// The owner namespace the descriptions are told: the class description's,
// which is what GetNamespace gives for a generated class, without a copy of
// it for every object read (the descriptions pass it on but judge elements by
// their own names).
const wchar_t* OwnerNamespace(const CXmlGeneratedClass& owner) {
  return owner.GetClassInfo()->GetElementNamespace().c_str();
}

// Whether any description from first on may start at element.
bool IsKnownFrom(const CSerializationContext& context, CElementInfo* const* first,
                 const CXmlElement* element) {
  for (; *first; ++first) {
    if ((*first)->MayStartAt(context, element)) return true;
  }
  return false;
}

}  // namespace

CXmlElement* CXmlGeneratedClass::FromXml_Int(CXmlElement* element, CXmlElement* current,
                                             const CSerializationContext& context,
                                             bool isOptional) {
  try {
    const NestedObjectRead nesting(element);
    if (!TakeMadeForRead()) Init();
    const CParentElementInfo* info = GetClassInfo();
    const bool isElement = info->GetElementType() == XmlElementType_Element;
    // Most objects already have the element's name: compared without a copy.
    if (isElement && !detail::SameName(ElementNameOf(this), Builder::NameOf(*element).localName)) {
      SetElementName(element->GetLocalName().c_str());
    }
    const Builder::GroupRead group(isElement ? nullptr : element);
    ProcessAttributesFromXml(context, element, info->GetFromXmlFailIfAttributeUnknown());
    if (const INillable* nillable = GetNillable(); nillable && nillable->IsNil()) {
      detail::ThrowIfNilHasContent(*element);
      return current;
    }
    CXmlElement* rest = ReadContent(element, current, context, isOptional);
    if (info->HasSimpleContent()) ReadSimpleContent(context, element);
    if (isElement) Builder::ReleaseReadContent(*element);
    return rest;
  } catch (const CKvException& e) {
    // The innermost element adds its path once; an error that has one travels
    // up as it is, keeping its class.
    if (!e.GetPath().empty()) throw;
    detail::ThrowFailedToProcess(*element, e);
  }
}

CXmlElement* CXmlGeneratedClass::ReadContent(CXmlElement* element, CXmlElement* current,
                                             const CSerializationContext& context,
                                             bool isOptional) {
  const CParentElementInfo* info = GetClassInfo();
  switch (info->GetElementGroupType()) {
    case XmlElementGroupType_Sequence:
      return ProcessElementSeqFromXml(context, element, current, info->GetElementType());
    case XmlElementGroupType_Choice:
      return ProcessElementChoiceFromXml(context, element, current, info->GetElementType(),
                                         isOptional);
    case XmlElementGroupType_All:
      return ProcessElementAllFromXml(context, element, current, info->GetElementType());
    default:
      throw CKvException(detail::kUnknownGroupType);
  }
}

void CXmlGeneratedClass::ProcessAttributesFromXml(const CSerializationContext& context,
                                                  CXmlElement* element, bool failIfUnknown) {
  CAttributeInfo** descriptions = GetClassAttributeInfo();
  const int count = CountOf(descriptions);
  FoundFlags found(count);
  // An in-line group shares its owner's element, not its attributes: the
  // owner has judged them and xsi:nil; the group takes only those it declares.
  const bool isElement = GetClassInfo()->GetElementType() == XmlElementType_Element;
  failIfUnknown = failIfUnknown && isElement;
  for (CXmlAttribute* attribute : element->GetAttributes()) {
    if (attribute->IsNamespaceAttribute()) continue;
    if (attribute->IsNilAttribute()) {
      if (!isElement) continue;
      auto* nillable = dynamic_cast<INillable*>(this);
      if (!nillable) detail::ThrowValidation(detail::kNilOnNonNillable, element->GetXPath());
      const int nil = detail::NilValue(attribute->GetValue());
      if (nil < 0) {
        detail::ThrowValidation(detail::kUnexpectedNilValue, attribute->GetValue(),
                                attribute->GetXPath());
      }
      nillable->SetNil(nil == 1);
      continue;
    }
    bool accepted = false;
    for (int i = 0; i < count && !accepted; ++i) {
      if (descriptions[i]->AttributeFromXml(context, this, attribute)) found[i] = accepted = true;
    }
    if (!accepted && failIfUnknown && !context.GetIgnoreUnknownAttributes()) {
      detail::ThrowValidation(detail::kUnexpectedAttribute, attribute->GetXPath());
    }
  }
  for (int i = 0; i < count; ++i) {
    descriptions[i]->Validate(context, found[i]);
    if (!found[i]) descriptions[i]->DefaultFromXml(context, this);
  }
}

CXmlElement* CXmlGeneratedClass::ProcessElementSeqFromXml(const CSerializationContext& context,
                                                          CXmlElement* element,
                                                          CXmlElement* current,
                                                          XmlElementType ownerType) {
  CElementInfo** descriptions = GetClassElementInfo();
  const wchar_t* const ns = OwnerNamespace(*this);
  const bool skipping = context.GetIgnoreUnknownElements();
  const bool isElement = ownerType == XmlElementType_Element;
  CXmlElement* const start = current;

  // Offers current to description i, skipping elements while that is allowed;
  // false when the sequence cannot go on.
  auto offer = [&](int i) {
    for (;;) {
      // An element that no remaining description knows is skipped at once, so
      // that optional members after it are still read.
      if (skipping && isElement) {
        while (current && !IsKnownFrom(context, descriptions + i, current)) {
          current = current->GetNextSiblingElement();
        }
      }
      if (descriptions[i]->ElementFromXml(context, this, element, &current, ns, ownerType)) {
        return true;
      }
      if (!skipping || current == nullptr) return false;
      current = current->GetNextSiblingElement();
    }
  };

  int count = 0;
  for (; descriptions && descriptions[count]; ++count) {
    if (!offer(count)) return start;
  }
  while (isElement && current != nullptr) {
    if (!skipping) detail::ThrowUnprocessedElement(*element, *current);
    current = current->GetNextSiblingElement();
    if (current == nullptr) return nullptr;
    if (count > 0 && !offer(count - 1)) return start;
  }
  return current;
}

CXmlElement* CXmlGeneratedClass::ProcessElementChoiceFromXml(const CSerializationContext& context,
                                                             CXmlElement* element,
                                                             CXmlElement* current,
                                                             XmlElementType ownerType,
                                                             bool isOptional) {
  CElementInfo** descriptions = GetClassElementInfo();
  const wchar_t* const ns = OwnerNamespace(*this);
  const bool skipping = context.GetIgnoreUnknownElements();
  const bool isElement = ownerType == XmlElementType_Element;
  CXmlElement* const start = current;
  bool matched = false;
  for (;;) {
    for (CElementInfo** d = descriptions; d && *d && !matched; ++d) {
      matched = (*d)->ElementFromXml(context, this, element, &current, ns, ownerType);
    }
    if (matched || !isElement || !skipping || current == nullptr) break;
    current = current->GetNextSiblingElement();
  }
  if (!matched && !isOptional) {
    if (ownerType == XmlElementType_PseudoElement) return skipping ? start : current;
    if (!isElement) return current;
    if (!DoesElementContainOptionalElements() && !context.GetIgnoreMissingChoice()) {
      detail::ThrowValidation(detail::kChoiceNotPopulated, element->GetLocalName(),
                              element->GetXPath());
    }
  }
  if (!isElement || current == nullptr || skipping) return current;
  detail::ThrowUnprocessedElement(*element, *current);
}

CXmlElement* CXmlGeneratedClass::ProcessElementAllFromXml(const CSerializationContext& context,
                                                          CXmlElement* element,
                                                          CXmlElement* current,
                                                          XmlElementType ownerType) {
  CElementInfo** descriptions = GetClassElementInfo();
  const int count = GetClassElementInfoCount();
  const wchar_t* const ns = OwnerNamespace(*this);
  const bool isElement = ownerType == XmlElementType_Element;
  const bool skipping = context.GetIgnoreUnknownElements();
  CXmlElement* const start = current;
  FoundFlags found(count);
  bool moved = true;
  while (current != nullptr && moved) {
    CXmlElement* const before = current;
    for (int i = 0; i < count && current != nullptr; ++i) {
      if (!found[i]) {
        found[i] = descriptions[i]->ElementFromXml(context, this, element, &current, ns, ownerType);
      }
    }
    // An element no member takes is passed over when unknown elements are ignored.
    if (current == before && skipping && isElement) current = current->GetNextSiblingElement();
    moved = current != before;
  }
  for (int i = 0; i < count; ++i) {
    if (!descriptions[i]->Validate(context, this, found[i], isElement)) return start;
  }
  if (!isElement || current == nullptr || skipping) return current;
  detail::ThrowUnprocessedElement(*element, *current);
}

void CXmlGeneratedClass::ReadSimpleContent(const CSerializationContext&, CXmlElement* element) {
  const CParentElementInfo* info = GetClassInfo();
  const std::wstring& text = element->GetText();
  // A class that takes its value as text parses it itself.
  const ItemType kind =
      info->GetOutputPrimitiveClassAsTextProperty() ? it_string : info->GetPrimitiveDataType();
  if (text.empty() && kind != it_string) return;  // the value stays unset, as it was written
  // The document's carrier for the kind, as simple children are read.
  KvVariant& value = Builder::ReadCarrier(*element, kind);
  if (std::wstring* own = kind == it_string ? Builder::TakeableText(*element) : nullptr) {
    detail::VariantAccess::RefillTaking(value, *own, kind, CWhitespaceUtils::ws_none);
  } else {
    detail::VariantAccess::Refill(value, text, kind, CWhitespaceUtils::ws_none);
  }
  // Read once by the setter, then emptied.
  detail::VariantAccess::HandOverOnNextGet(value);
  AccessProperty(info->GetPrimitiveValuePropertyIndex(), false, value);
}

bool CXmlGeneratedClass::StoreObjectProperty(int, CXmlObjectBase*) { return false; }

CXmlCollectionBase* CXmlGeneratedClass::MakeCollection(int) const { return nullptr; }

bool CXmlGeneratedClass::IsElementInList(const CSerializationContext& context,
                                         CXmlElement* element) const {
  return IsElementInList(context, GetClassElementInfo(), element);
}

bool CXmlGeneratedClass::IsElementInList(const CSerializationContext& context,
                                         CElementInfo* const* descriptions,
                                         const CXmlElement* element) {
  return descriptions && element && IsKnownFrom(context, descriptions, element);
}

}  // namespace Korvel
