// SPDX-License-Identifier: MIT
// What the emitter writes, decided from the schema model: one plan per class
// with its properties in schema order. Every refusal is made here, so the
// emitter never meets a construct it would have to leave out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "builtin_types.h"
#include "schema_model.h"

namespace KorvelXsd {

// An enumeration: a C++ enum with converters to and from the schema's values.
struct EnumPlan {
  std::string name;
  std::wstring xsdName;
  std::wstring schemaNamespace;  // target namespace of the schema that declares it
  std::vector<std::wstring> values;
  std::vector<std::string> enumerators;
  bool collapse = false;  // the text is whitespace-collapsed before it is compared
  std::string collectionClass;  // set when some element repeats: the enumeration's collection
};

// A simple type reduced to what the runtime checks.
struct SimpleMapping {
  const BuiltinType* builtin = nullptr;
  const EnumPlan* enumeration = nullptr;  // set: the value is one of the enumerators
  const char* whitespace = nullptr;
  Facets facets;  // the built-in's implied bounds included; no enumeration
  std::wstring description;  // for the comment beside the accessor
  bool text = false;  // a list or union: held as its text, items not checked
  // Patterns of other derivation steps, which must hold as well as facets.pattern
  // (string kinds only: the generated accessor checks them).
  std::vector<std::wstring> morePatterns;
};

struct ClassPlan;
struct ElementChoice;

struct PropertyPlan {
  // values: a typed collection (of an enumeration too); untyped: a CElement,
  // untypedCol: a CElementCol; anyAttribute: the CAttributeCol of a wildcard.
  enum Kind { primitive, object, collection, values, untyped, untypedCol, anyAttribute };
  Kind kind = primitive;
  bool attribute = false;
  bool simpleValue = false;  // the element's own text (simple content)
  std::wstring xmlName, xmlNamespace;
  std::string name;    // Pascal case: GetName, Property_Name
  std::string member;  // m_name
  bool optional = false;  // std::optional field, or an object that may be absent
  bool fixed = false;     // attribute with a fixed value: no setter
  bool nillable = false;  // primitive: a std::optional that is empty when the element is nil
  bool nilFlag = false;   // nillable and optional: nil is a flag of its own beside the value
  bool mixedText = false;  // simpleValue: the text of mixed content
  std::wstring wildcard;   // untyped kinds: the namespace constraint, empty for a named element
  std::wstring wildcardTarget;  // the target namespace the wildcard is read against
  std::wstring fixedValue;
  int fixedEnumerator = -1;  // a fixed value of an enumeration: the only enumerator read
  bool hasDefault = false;
  std::wstring defaultValue;
  SimpleMapping simple;           // primitive
  ClassPlan* itemClass = nullptr;  // object and collection: the declared type's class
  // The element factory picks the class from the element's name (substitution
  // groups) and xsi:type; set for elements whose type is abstract or derived
  // from, and for references to heads of substitution groups.
  const ElementChoice* elementChoice = nullptr;
  std::string collectionClass;     // collection
  int minOccurs = 1, maxOccurs = 1;
};

// The elements an abstract-class property accepts and the classes each may
// hold: the element's declared type (unless abstract) and the types derived
// from it, named in documents with xsi:type.
struct ElementChoice {
  struct Candidate {
    QName element;
    std::vector<const ClassPlan*> classes;  // the declared type's first, if not abstract
    const ClassPlan* declared = nullptr;
  };
  std::string factory;  // CClassFactory's creation function
  std::wstring schemaNamespace;  // of the file set whose factory holds it
  std::vector<Candidate> candidates;
};

struct ClassPlan {
  enum Group { sequence, choice, all };
  std::string name;  // C++ class name
  Group group = sequence;
  std::string comment;
  std::wstring infoName, xmlNamespace;  // the class description's element name and namespace
  std::wstring schemaNamespace;  // target namespace of the schema that declares the type
  std::wstring defaultElementName;
  const ComplexType* type = nullptr;  // null for a model group (pseudo element)
  Location where;
  bool requiresContent = false;
  bool nillable = false;  // some element of the class may be nil: the class is INillable
  ClassPlan* base = nullptr;  // the class a complexContent extension derives from
  size_t inherited = 0;       // the first properties are the base class's
  bool extended = false;      // some class derives from this one
  bool pseudo = false;        // a model group: its members live in the owner's element
  bool abstract = false;      // never created for an element of its own
  // A simpleContent restriction: the index of the inherited value, whose
  // facets the class narrows; -1 otherwise.
  int restrictedValue = -1;
  int minOccurs = 1, maxOccurs = 1;  // a pseudo element's occurrences in its owner
  // Global elements of this class that substitute a head in another
  // namespace: written in their own namespace.
  std::vector<QName> foreignSubstitutes;
  // Local names that every element declared with them has this class for its
  // type: the name tells the class, so a derived class needs no xsi:type there.
  std::vector<std::wstring> ownElementNames;
  int state = 0;              // planning: 0 not yet, 1 under way, 2 done
  std::vector<PropertyPlan> properties;
};

struct BindingPlan {
  std::vector<std::unique_ptr<ClassPlan>> classes;  // class id order
  std::vector<std::unique_ptr<EnumPlan>> enums;
  std::vector<std::unique_ptr<ElementChoice>> choices;
};

// Throws Refusal for a construct the runtime cannot express (yet).
BindingPlan PlanBinding(const SchemaSet& set);

}  // namespace KorvelXsd
