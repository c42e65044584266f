// SPDX-License-Identifier: MIT
// CClassfactoryBase, the base of the class factories a schema compiler
// generates, and the creation functions the element descriptions call.
#pragma once

#include <string>
#include <string_view>

#include <korvel/export.h>
#include <korvel/object_base.h>
#include <korvel/smart_ptr.h>

namespace Korvel {

class CXmlElement;

// A new object of the class classId names, for an element called elementName;
// never null.
using ClassFactory = CSmartPtr<CXmlObjectBase> (*)(int classId, const wchar_t* elementName);
// A new object of the concrete class that fits element (its name, its
// xsi:type), or null when none does.
using ElementFactory = CSmartPtr<CXmlObjectBase> (*)(CXmlElement* element);

// What every generated factory needs to pick a class from an element's xsi:type.
class KORVEL_API CClassfactoryBase {
 public:
  CClassfactoryBase() = default;
  CClassfactoryBase(const CClassfactoryBase&) = default;
  CClassfactoryBase& operator=(const CClassfactoryBase&) = default;
  virtual ~CClassfactoryBase();

 protected:
  // The local part of the element's xsi:type (empty without one).
  static std::wstring GetElementType(CXmlElement* element);
  // The namespace of the element's xsi:type, resolved in scope at the element:
  // the one its prefix is bound to there, the default namespace there for an
  // unprefixed type, or the element's own when it has no xsi:type or a prefix
  // that nothing binds.
  static std::wstring GetElementTypeNamespaceUri(CXmlElement* element);

  // Both of the above without copies, as views into the element's document
  // (valid while it lives); both empty when the element has no xsi:type.
  struct ElementTypeName {
    std::wstring_view localName;
    std::wstring_view namespaceUri;
  };
  static ElementTypeName GetElementTypeName(CXmlElement* element);
};

}  // namespace Korvel
