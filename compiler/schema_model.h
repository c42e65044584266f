// SPDX-License-Identifier: MIT
// The schema model of korvel-xsd: the components of a set of schema files, with
// the file and line each came from so that refusals can point at them.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace KorvelXsd {

struct Location {
  std::string file;
  int line = 0;
};

// What the compiler cannot express (yet): names the construct and where it is.
class Refusal : public std::runtime_error {
 public:
  Refusal(const Location& where, const std::string& what)
      : std::runtime_error(where.file + ":" + std::to_string(where.line) + ": " + what) {}
};

struct QName {
  std::wstring ns;
  std::wstring local;
  bool empty() const { return local.empty(); }
  bool operator<(const QName& o) const { return ns != o.ns ? ns < o.ns : local < o.local; }
  bool operator==(const QName& o) const { return ns == o.ns && local == o.local; }
};

constexpr int kUnbounded = -1;

struct Facets {
  std::wstring pattern;  // several patterns of one step are joined with |
  std::wstring minInclusive, maxInclusive, minExclusive, maxExclusive;
  int length = -1, minLength = -1, maxLength = -1, totalDigits = -1, fractionDigits = -1;
  std::vector<std::wstring> enumeration;
  std::wstring whiteSpace;  // preserve, replace or collapse; empty when not restricted
};

struct SimpleType {
  enum Variety { atomic, list, union_ };
  QName name;  // empty for an anonymous type
  Location where;
  Variety variety = atomic;
  QName base;                          // restriction base, list item type
  std::unique_ptr<SimpleType> inlineBase;  // anonymous base or item type
  Facets facets;
};

struct Attribute {
  QName name;
  Location where;
  QName type;  // empty: inline or anySimpleType
  std::unique_ptr<SimpleType> inlineType;
  QName ref;  // a reference to a global attribute
  bool required = false;
  bool prohibited = false;
  bool hasDefault = false, hasFixed = false;
  std::wstring defaultValue, fixedValue;
};

struct ComplexType;

struct Element {
  QName name;
  Location where;
  QName type;
  std::unique_ptr<ComplexType> inlineComplex;
  std::unique_ptr<SimpleType> inlineSimple;
  QName ref;
  QName substitutionGroup;
  bool global = false;
  bool nillable = false, abstract = false;
  bool hasDefault = false, hasFixed = false;
  std::wstring defaultValue, fixedValue;
};

struct Particle {
  enum Kind { element, sequence, choice, all, any, groupRef };
  Kind kind = sequence;
  Location where;
  int minOccurs = 1, maxOccurs = 1;
  std::unique_ptr<Element> elementDecl;  // kind element
  std::vector<Particle> children;         // model groups
  QName ref;                              // groupRef
  std::wstring anyNamespace;              // any
};

struct AttributeUse {
  // Either an attribute or a reference to an attribute group.
  std::unique_ptr<Attribute> attribute;
  QName groupRef;
  Location where;
};

struct ComplexType {
  enum Derivation { none, extension, restriction };
  QName name;  // empty for an anonymous type
  Location where;
  bool abstract = false, mixed = false;
  bool simpleContent = false;
  Derivation derivation = none;
  QName base;
  std::unique_ptr<Particle> content;  // null: empty content
  Facets facets;  // a simpleContent restriction's facets on its base's value
  std::vector<AttributeUse> attributes;
  bool anyAttribute = false;
  Location anyAttributeWhere;
  std::wstring anyAttributeNamespace;  // the xs:anyAttribute namespace list
};

struct NamedGroup {
  QName name;
  Location where;
  std::unique_ptr<Particle> content;
};

struct AttributeGroup {
  QName name;
  Location where;
  std::vector<AttributeUse> attributes;
  bool anyAttribute = false;
  Location anyAttributeWhere;
  std::wstring anyAttributeNamespace;  // the xs:anyAttribute namespace list
};

struct SchemaDocument {
  std::string file;
  std::wstring targetNamespace;
  bool elementsQualified = false, attributesQualified = false;
};

// Every schema file read, and the global components by qualified name, in
// document order (the ordered lists) for predictable output. Local element and
// attribute names already carry the namespace their form gives them.
struct SchemaSet {
  std::vector<SchemaDocument> documents;
  std::map<QName, std::unique_ptr<Element>> elements;
  std::map<QName, std::unique_ptr<ComplexType>> complexTypes;
  std::map<QName, std::unique_ptr<SimpleType>> simpleTypes;
  std::map<QName, std::unique_ptr<Attribute>> attributes;
  std::map<QName, NamedGroup> groups;
  std::map<QName, AttributeGroup> attributeGroups;
  std::vector<QName> orderedElements, orderedComplexTypes, orderedSimpleTypes;
};

}  // namespace KorvelXsd
