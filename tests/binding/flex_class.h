// SPDX-License-Identifier: MIT
// A generated class whose metadata is given at run time, so that one test can
// describe many class shapes: properties are held in a map of variants.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <korvel/collection.h>
#include <korvel/decimal.h>
#include <korvel/element_infos.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "test_support.h"

namespace Korvel::testing {

using namespace KorvelData;

// The metadata of one shape; owns its descriptions.
struct Shape {
  Shape(XmlElementGroupType group, const wchar_t* name, const wchar_t* ns,
        std::vector<CElementInfo*> elementList, std::vector<CAttributeInfo*> attributeList = {},
        int simpleIndex = -1, ItemType simpleType = it_none, bool asText = false,
        bool hasBase = false, XmlElementType type = XmlElementType_Element)
      : info(group, type, name, ns, type == XmlElementType_Element, hasBase, simpleIndex,
             simpleType, nullptr, asText),
        elements(std::move(elementList)),
        attributes(std::move(attributeList)),
        ns(ns) {
    elements.push_back(nullptr);
    attributes.push_back(nullptr);
  }
  ~Shape() {
    for (CElementInfo* e : elements) delete e;
    for (CAttributeInfo* a : attributes) delete a;
  }
  CParentElementInfo info;
  std::vector<CElementInfo*> elements;
  std::vector<CAttributeInfo*> attributes;
  std::wstring ns;
  // Run by Init after the properties are cleared (creates mandatory children).
  std::function<void(class CFlex&)> init;
};

class CFlex : public CXmlGeneratedClass {
 public:
  CFlex(const Shape& shape, const wchar_t* name) : m_shape(shape) {
    SetElementName(name);
    Init();
  }

  void AccessProperty(int index, bool get, KvVariant& value) override {
    if (index == failingProperty) throw CKvException(L"accessor failed");
    if (get) {
      auto found = properties.find(index);
      if (found == properties.end()) {
        value.SetInvalid();
      } else {
        value = found->second;
      }
    } else {
      properties[index] = value;
    }
  }
  CParentElementInfo* GetClassInfo() const override {
    return const_cast<CParentElementInfo*>(&m_shape.info);
  }
  CElementInfo** GetClassElementInfo() const override {
    return const_cast<CElementInfo**>(m_shape.elements.data());
  }
  CAttributeInfo** GetClassAttributeInfo() const override {
    return const_cast<CAttributeInfo**>(m_shape.attributes.data());
  }
  void Init() override {
    properties.clear();
    if (m_shape.init) m_shape.init(*this);
  }
  CXmlObjectBase* GetBase() override { return this; }
  using CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return m_shape.ns; }

  // The object a property holds, as a CFlex.
  CFlex* Child(int index) {
    return properties.count(index) ? dynamic_cast<CFlex*>(properties[index].GetXmlObject().Get())
                                   : nullptr;
  }
  using CXmlObjectBase::GetElementName;

  std::map<int, KvVariant> properties;
  int failingProperty = -1;

 protected:
  std::wstring GetTargetNamespace() const override { return m_shape.ns; }

 private:
  const Shape& m_shape;
};

class CNillableFlex : public CFlex, public INillable {
 public:
  using CFlex::CFlex;
  bool IsNil() const override { return m_nil; }
  void SetNil(bool nil) override { m_nil = nil; }
  void Init() override {
    m_nil = false;
    CFlex::Init();
  }

 private:
  bool m_nil = false;
};

// Class ids of the factory below: index into the registered shapes.
inline std::vector<const Shape*>& FlexShapes() {
  static std::vector<const Shape*> shapes;
  return shapes;
}
inline CSmartPtr<CXmlObjectBase> CreateFlex(int classId, const wchar_t* name) {
  return new CFlex(*FlexShapes().at(static_cast<size_t>(classId)), name);
}
inline int RegisterFlex(const Shape& shape) {
  FlexShapes().push_back(&shape);
  return static_cast<int>(FlexShapes().size()) - 1;
}

// The full message (with its inner ones) of a failure that must come as
// CKvValidationException.
template <class Read>
std::wstring ValidationFailure(Read read) {
  try {
    read();
  } catch (const CKvValidationException& e) {
    return e.GetFullMessage();
  } catch (const CKvException& e) {
    return L"wrong class: " + e.GetFullMessage();
  }
  return L"no exception";
}

// The enumeration home (0) / work (1) of the fixtures.
inline const wchar_t* KindToString(int value) { return value == 0 ? L"home" : L"work"; }
inline int StringToKind(const wchar_t* text) {
  if (std::wstring(text) == L"home") return 0;
  if (std::wstring(text) == L"work") return 1;
  throw CKvInvalidValueException(FormatString(L"Bad kind [%s]", text));
}

// A generated collection of CFlex items: each element whose name is one of
// names (a class or the members of a substitution group) becomes an item of
// its shape; the run ends at the first other element.
class CFlexCol : public CXmlCollection {
 public:
  CFlexCol(const Shape& shape, std::vector<std::wstring> names, const wchar_t* ns,
           int32_t minOccurs, int32_t maxOccurs)
      : CXmlCollection(names.front().c_str(), ns, minOccurs, maxOccurs),
        m_shape(shape),
        m_names(std::move(names)),
        m_ns(ns) {}

 protected:
  void ToXml_Int(CXmlWriter* writer, bool, const wchar_t* ns, const CSerializationContext& context,
                 bool) const override {
    for (const CNode* node = GetFirstNode(); node; node = node->next) {
      CXmlObjectBase::ToXml_Int(node->item, writer, false, ns, context, false);
    }
  }
  CXmlElement* FromXml_Int(CXmlElement*, CXmlElement* current, const CSerializationContext& context,
                           bool) override {
    for (; current && Accepts(context, current); current = current->GetNextSiblingElement()) {
      CSmartPtr<CXmlObjectBase> item = new CFlex(m_shape, current->GetLocalName().c_str());
      CXmlObjectBase::FromXml_Int(item, current, current->GetFirstElement(), context);
      AppendItem(item);
    }
    return current;
  }

 private:
  bool Accepts(const CSerializationContext& context, const CXmlElement* element) const {
    for (const std::wstring& name : m_names) {
      if (DoesElementNameMatch(context, element, name.c_str(), m_ns.c_str())) return true;
    }
    return false;
  }
  const Shape& m_shape;
  std::vector<std::wstring> m_names;
  std::wstring m_ns;
};

}  // namespace Korvel::testing
