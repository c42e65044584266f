// SPDX-License-Identifier: MIT
// The planner: maps complex types to classes, members to properties and simple
// types to item kinds, refusing what the runtime's descriptions cannot express.
#include "class_plan.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "names.h"

namespace KorvelXsd {
namespace {

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (u >> 18));
      out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// XSD's whitespace collapse: runs of space, tab, CR and LF become one space,
// none at the ends.
std::wstring Collapse(const std::wstring& text) {
  std::wstring out;
  bool space = false;
  for (wchar_t c : text) {
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
      space = !out.empty();
    } else {
      if (space) out += L' ';
      space = false;
      out += c;
    }
  }
  return out;
}

std::string Describe(const QName& name) {
  return name.ns.empty() ? Utf8(name.local) : Utf8(L"{" + name.ns + L"}" + name.local);
}

// Names of the base classes' members that a property's Get/Set must not hide.
const std::set<std::string> kReservedProperties = {
    "Base", "ClassAttributeInfo", "ClassElementInfo", "ClassElementInfoCount", "ClassInfo",
    "ElementName", "Namespace", "TargetNamespace", "Nil", "MetaData"};

class Planner {
 public:
  explicit Planner(const SchemaSet& set) : m_set(set), m_classNames({"CClassFactory"}) {}

  BindingPlan Run() {
    // Which types are derived from, and which heads have substitutes.
    for (const QName& name : m_set.orderedComplexTypes) {
      const ComplexType* type = m_set.complexTypes.at(name).get();
      if (type->derivation == ComplexType::extension ||
          (type->derivation == ComplexType::restriction && type->simpleContent)) {
        if (const ComplexType* base = FindComplex(type->base)) m_derivedBy[base].push_back(type);
      }
    }
    for (const QName& name : m_set.orderedElements) {
      const Element& element = *m_set.elements.at(name);
      if (!element.substitutionGroup.empty()) {
        m_substitutes[element.substitutionGroup].push_back(&element);
      }
    }
    // Named types and the anonymous types of global elements claim their names
    // first, in schema order; anonymous local types follow as they are met.
    for (const QName& name : m_set.orderedComplexTypes) {
      Claim(m_set.complexTypes.at(name).get(), name.local, name.local, name.ns, name.ns,
            "complexType " + Utf8(name.local) + ".");
    }
    for (const QName& name : m_set.orderedElements) {
      const Element& element = *m_set.elements.at(name);
      if (element.inlineComplex) {
        Claim(element.inlineComplex.get(), name.local, name.local, name.ns, name.ns,
              "The anonymous complexType of element " + Utf8(name.local) + ".");
      } else if (!element.type.empty()) {
        auto found = m_byType.find(FindComplex(element.type));
        if (found != m_byType.end() && !m_elementNamed.count(found->second)) {
          m_elementNamed.insert(found->second);
          found->second->defaultElementName = name.local;
          found->second->comment.pop_back();
          found->second->comment += ", also the class of the global element " +
                                    Utf8(name.local) + ".";
        }
      }
    }
    for (const QName& name : m_set.orderedElements) {
      const Element& element = *m_set.elements.at(name);
      const ComplexType* type = element.inlineComplex ? element.inlineComplex.get()
                                                       : FindComplex(element.type);
      if (element.nillable && type) m_byType.at(type)->nillable = true;
    }
    for (size_t i = 0; i < m_plan.classes.size(); ++i) Plan(*m_plan.classes[i]);
    for (const auto& plan : m_plan.classes) RefuseMandatoryCycle(*plan, {});
    NameOwnElements();
    for (const ClassPlan* derived : m_extended) {
      for (const ClassPlan* up = derived->base; up; up = up->base) {
        if (derived->nillable && up->nillable) {
          throw Refusal(derived->type->where, "a nillable type extending a nillable type is not "
                                              "supported yet");
        }
      }
    }
    return std::move(m_plan);
  }

  // The declared types of every element, by local name, for the names that
  // tell a derived class without xsi:type.
  void NameOwnElements() {
    std::map<std::wstring, std::set<const ComplexType*>> types;
    std::set<const ComplexType*> walked;
    std::function<void(const Particle&)> walkParticle;
    std::function<void(const ComplexType&)> walkType = [&](const ComplexType& type) {
      if (!walked.insert(&type).second) return;
      if (type.content) walkParticle(*type.content);
    };
    // Untyped and simple elements count as null, which no class owns.
    auto declare = [&](const Element& element) {
      const ComplexType* type = element.inlineComplex ? element.inlineComplex.get()
                                : element.type.empty() ? nullptr
                                                       : FindComplex(element.type);
      types[element.name.local].insert(type);
      if (element.inlineComplex) walkType(*element.inlineComplex);
    };
    walkParticle = [&](const Particle& particle) {
      if (particle.kind == Particle::element) {
        if (particle.elementDecl->ref.empty()) declare(*particle.elementDecl);
      }
      for (const Particle& child : particle.children) walkParticle(child);
    };
    for (const auto& element : m_set.elements) declare(*element.second);
    for (const auto& type : m_set.complexTypes) walkType(*type.second);
    for (const auto& group : m_set.groups) {
      if (group.second.content) walkParticle(*group.second.content);
    }
    for (const auto& entry : types) {
      if (entry.second.size() != 1 || *entry.second.begin() == nullptr) continue;
      auto plan = m_byType.find(*entry.second.begin());
      if (plan == m_byType.end() || !plan->second->base ||
          plan->second->infoName == entry.first) {
        continue;
      }
      plan->second->ownElementNames.push_back(entry.first);
    }
  }

  // A class that must hold itself, directly or through other mandatory
  // children, has no finite instance: Init would never end.
  void RefuseMandatoryCycle(const ClassPlan& plan, std::vector<const ClassPlan*> path) {
    if (m_acyclic.count(&plan)) return;
    for (const ClassPlan* seen : path) {
      if (seen == &plan) {
        throw Refusal(plan.where, "the type " + plan.name.substr(1) +
                                      " must contain itself (a mandatory element cycle)");
      }
    }
    path.push_back(&plan);
    for (const PropertyPlan& p : plan.properties) {
      // An abstract class is not created until a document or the user names one.
      if (p.kind == PropertyPlan::object && !p.optional && !p.itemClass->abstract) {
        RefuseMandatoryCycle(*p.itemClass, path);
      }
    }
    m_acyclic.insert(&plan);
  }

 private:
  ClassPlan* Claim(const ComplexType* type, const std::wstring& className,
                   const std::wstring& elementName, const std::wstring& ns,
                   const std::wstring& schemaNs, std::string comment) {
    auto plan = std::make_unique<ClassPlan>();
    plan->name = m_classNames.Claim("C" + PascalCase(className));
    plan->comment = std::move(comment);
    plan->infoName = className;
    plan->defaultElementName = elementName;
    plan->xmlNamespace = ns;
    plan->schemaNamespace = schemaNs;
    plan->type = type;
    plan->where = type->where;
    plan->abstract = type->abstract;
    ClassPlan* raw = plan.get();
    m_byType[type] = raw;
    m_mutable[raw] = raw;
    m_plan.classes.push_back(std::move(plan));
    return raw;
  }

  const ComplexType* FindComplex(const QName& name) const {
    auto found = m_set.complexTypes.find(name);
    return found == m_set.complexTypes.end() ? nullptr : found->second.get();
  }

  void Plan(ClassPlan& plan) {
    if (plan.state == 2) return;
    const ComplexType& type = *plan.type;
    if (plan.state == 1) throw Refusal(type.where, "the type derives from itself");
    plan.state = 1;
    NameScope names(kReservedProperties);
    const bool restriction = type.derivation == ComplexType::restriction && type.simpleContent;
    const ComplexType* baseType = type.derivation == ComplexType::extension || restriction
                                      ? FindComplex(type.base)
                                      : nullptr;
    if (baseType) {
      ClassPlan& base = *m_byType.at(baseType);
      Plan(base);
      bool simpleBase = false;
      for (const PropertyPlan& p : base.properties) simpleBase = simpleBase || p.simpleValue;
      // A simple-content extension adds attributes to its base's value, a
      // restriction narrows the value.
      if (simpleBase != type.simpleContent) {
        throw Refusal(type.where,
                      std::string(type.simpleContent ? "simpleContent" : "complexContent") +
                          (restriction ? " restriction of " : " extension of ") +
                          Describe(type.base) +
                          (simpleBase ? ", a type with simple content, "
                                      : ", a type without simple content, ") +
                          "is not supported");
      }
      plan.base = &base;
      base.extended = true;
      plan.group = base.group;
      plan.properties = base.properties;
      plan.inherited = base.properties.size();
      for (const PropertyPlan& p : base.properties) names.Claim(p.name);
      m_extended.push_back(&plan);
    }
    m_ownerNamespace = plan.schemaNamespace;
    if (baseType) {
      // The inherited members are in place; the extension's own follow.
    } else if (type.simpleContent && type.derivation == ComplexType::extension &&
        !FindComplex(type.base)) {
      PropertyPlan value;
      value.simpleValue = true;
      value.name = names.Claim("Value");
      value.member = "m_value";
      value.simple = MapSimpleName(type.base, type.where);
      plan.properties.push_back(std::move(value));
    } else if (type.derivation == ComplexType::restriction && !type.simpleContent &&
               type.base == QName{kXsdNamespaceUri, L"anyType"}) {
      // The long form of a plain complex type.
    } else if (type.derivation != ComplexType::none) {
      throw Refusal(type.where, std::string(type.simpleContent ? "simpleContent" : "complexContent") +
                                    (type.derivation == ComplexType::extension ? " extension"
                                                                               : " restriction") +
                                    " of " + Describe(type.base) + " is not supported yet");
    }
    if (restriction && plan.base) RestrictValue(plan, type);
    if (type.mixed && (plan.base || type.derivation != ComplexType::none)) {
      throw Refusal(type.where, "mixed content in a derived type is not supported yet");
    }
    if (type.content) AddContent(plan, *type.content, names);
    if (type.mixed) {
      // The runtime keeps an element's text beside its children, not between
      // them: the text is the class's simple content, written after the
      // children, so that none of it is lost.
      PropertyPlan text;
      text.simpleValue = true;
      text.mixedText = true;
      text.name = names.Claim("Text");
      text.member = "m_" + CamelCase(text.name);
      text.simple = MapSimpleName({kXsdNamespaceUri, L"string"}, type.where);
      plan.properties.push_back(std::move(text));
    }
    std::set<QName> groupsSeen;
    std::vector<Wildcard> wildcards;
    if (type.anyAttribute) {
      wildcards.push_back({type.anyAttributeNamespace, type.anyAttributeWhere});
    }
    AddAttributes(plan, type.attributes, names, groupsSeen, wildcards);
    if (!wildcards.empty()) AddAnyAttribute(plan, wildcards, names);
    FinishContent(plan);
    plan.state = 2;
  }

  // A type's own model group (an extension's follows its base's members).
  void AddContent(ClassPlan& plan, const Particle& particle, NameScope& names) {
    if (particle.maxOccurs == 0) return;
    const NamedGroup* named = nullptr;
    const Particle& content = ResolveGroup(particle, named);
    const bool once = particle.minOccurs == 1 && particle.maxOccurs == 1;
    bool inherited = false;  // the base has element members
    for (const PropertyPlan& p : plan.properties) {
      inherited = inherited || (!p.attribute && !p.simpleValue);
    }
    const ClassPlan::Group kind = GroupOf(content);
    if (once && !inherited) {
      plan.group = kind;
      AddMembers(plan, content, names);
    } else if (once && kind == ClassPlan::sequence && plan.group == ClassPlan::sequence) {
      AddMembers(plan, content, names);
    } else if (!inherited || plan.group == ClassPlan::sequence) {
      // Occurrences on the type's own group, or an extension's choice or
      // all after its base's sequence: the group becomes a member of its own.
      AddPseudo(plan, content, particle.minOccurs, particle.maxOccurs, named, names);
    } else {
      throw Refusal(content.where, "extension of a type whose content is not a sequence is not "
                                   "supported yet");
    }
  }

  static ClassPlan::Group GroupOf(const Particle& group) {
    return group.kind == Particle::choice ? ClassPlan::choice
           : group.kind == Particle::all  ? ClassPlan::all
                                          : ClassPlan::sequence;
  }

  // Decides what a class's members require once they are all in place.
  static void FinishContent(ClassPlan& plan) {
    bool mayBeEmpty = false, hasMembers = false;
    for (PropertyPlan& property : plan.properties) {
      if (property.attribute || property.simpleValue) continue;
      hasMembers = true;
      const bool many = property.kind == PropertyPlan::collection ||
                        property.kind == PropertyPlan::values ||
                        property.kind == PropertyPlan::untypedCol;
      // A member whose own content may be empty.
      const bool empty = property.minOccurs == 0 ||
                         (property.itemClass && property.itemClass->pseudo &&
                          !property.itemClass->requiresContent);
      if (plan.group == ClassPlan::choice) {
        // One member of a choice is there at a time: each may be absent.
        if (!many) property.optional = true;
        mayBeEmpty = mayBeEmpty || empty;
        continue;
      }
      if (!empty) plan.requiresContent = true;
    }
    if (plan.group == ClassPlan::choice && hasMembers && !mayBeEmpty) plan.requiresContent = true;
  }

  // A group reference stands for the group's model group; named is set to
  // the group it refers to.
  const Particle& ResolveGroup(const Particle& particle, const NamedGroup*& named) const {
    if (particle.kind != Particle::groupRef) return particle;
    auto found = m_set.groups.find(particle.ref);
    if (found == m_set.groups.end() || !found->second.content) {
      throw Refusal(particle.where, "the group " + Describe(particle.ref) + " is not declared");
    }
    named = &found->second;
    return *found->second.content;
  }

  void AddMembers(ClassPlan& plan, const Particle& group, NameScope& names) {
    for (const Particle& child : group.children) {
      const NamedGroup* named = nullptr;
      const Particle& member = ResolveGroup(child, named);
      if (child.maxOccurs == 0) continue;  // may not occur at all
      if (child.maxOccurs != kUnbounded && child.minOccurs > child.maxOccurs) {
        throw Refusal(child.where, "minOccurs is above maxOccurs");
      }
      if (member.kind == Particle::element) {
        AddElement(plan, member, names);
      } else if (member.kind == Particle::any) {
        AddAny(plan, member, names);
      } else if (!named && plan.group == ClassPlan::sequence &&
                 member.kind == Particle::sequence && child.minOccurs == 1 &&
                 child.maxOccurs == 1) {
        AddMembers(plan, member, names);  // a plain nested sequence adds nothing
      } else {
        AddPseudo(plan, member, child.minOccurs, child.maxOccurs, named, names);
      }
    }
  }

  // A model group inside another (or a named group's): a class of its own
  // whose members live in the owner's element.
  void AddPseudo(ClassPlan& owner, const Particle& group, int minOccurs, int maxOccurs,
                 const NamedGroup* named, NameScope& names) {
    const std::wstring kind = group.kind == Particle::choice ? L"choice"
                              : group.kind == Particle::all  ? L"all"
                                                             : L"sequence";
    ClassPlan* item = nullptr;
    auto shared = named ? m_groupClasses.find(named) : m_groupClasses.end();
    if (shared != m_groupClasses.end()) {
      item = shared->second;
    } else {
      auto plan = std::make_unique<ClassPlan>();
      const std::wstring infoName = named ? named->name.local : kind;
      plan->name = m_classNames.Claim(
          "C" + (named ? PascalCase(named->name.local)
                       : owner.name.substr(1) + PascalCase(kind)));
      plan->comment = named ? "The group " + Utf8(named->name.local) + "."
                            : "The " + Utf8(kind) + " in " + owner.name.substr(1) + ".";
      plan->infoName = plan->defaultElementName = infoName;
      plan->xmlNamespace = named ? named->name.ns : owner.xmlNamespace;
      plan->schemaNamespace = named ? named->name.ns : owner.schemaNamespace;
      plan->where = group.where;
      plan->pseudo = true;
      plan->group = GroupOf(group);
      item = plan.get();
      m_plan.classes.push_back(std::move(plan));
      if (named) m_groupClasses[named] = item;
      // Planned at once: its members are the owner's members' siblings.
      const std::wstring ownerNamespace = m_ownerNamespace;
      m_ownerNamespace = item->schemaNamespace;
      NameScope own(kReservedProperties);
      AddMembers(*item, group, own);
      FinishContent(*item);
      item->state = 2;
      m_ownerNamespace = ownerNamespace;
    }
    PropertyPlan property;
    property.xmlName = item->infoName;
    property.xmlNamespace = item->xmlNamespace;
    property.name = names.Claim(PascalCase(named ? named->name.local : kind));
    property.member = "m_" + CamelCase(property.name);
    property.minOccurs = minOccurs;
    property.maxOccurs = maxOccurs;
    property.itemClass = item;
    if (maxOccurs == kUnbounded || maxOccurs > 1) {
      property.kind = PropertyPlan::collection;
      property.collectionClass = m_classNames.Claim(item->name + "Col");
    } else {
      property.kind = PropertyPlan::object;
      property.optional = minOccurs == 0;
    }
    owner.properties.push_back(std::move(property));
  }

  // Every class an element of type declared may hold: its own unless
  // abstract, then the types derived from it, depth first in schema order.
  void Derivable(const ComplexType* declared, std::vector<const ClassPlan*>& classes,
                 std::set<const ComplexType*>& seen) {
    if (!seen.insert(declared).second) return;  // a derivation cycle is refused elsewhere
    const ClassPlan* plan = m_byType.at(declared);
    if (!plan->abstract) classes.push_back(plan);
    auto derived = m_derivedBy.find(declared);
    if (derived == m_derivedBy.end()) return;
    for (const ComplexType* type : derived->second) Derivable(type, classes, seen);
  }

  // The global elements that may stand for head, transitively.
  void Substitutes(const QName& head, std::vector<const Element*>& members) const {
    auto found = m_substitutes.find(head);
    if (found == m_substitutes.end()) return;
    for (const Element* member : found->second) {
      if (std::find(members.begin(), members.end(), member) != members.end()) continue;
      members.push_back(member);
      Substitutes(member->name, members);
    }
  }

  const ComplexType* ComplexOf(const Element& element, const Location& where) {
    if (element.inlineComplex) return element.inlineComplex.get();
    if (!element.type.empty()) return FindComplex(element.type);
    if (element.inlineSimple) return nullptr;
    if (!element.substitutionGroup.empty()) {
      // A member without a type has its head's.
      auto head = m_set.elements.find(element.substitutionGroup);
      if (head == m_set.elements.end()) {
        throw Refusal(where, "the element " + Describe(element.substitutionGroup) +
                                 " is not declared");
      }
      return ComplexOf(*head->second, where);
    }
    return nullptr;
  }

  // The element factory of an element whose class the document picks.
  const ElementChoice* Choose(const Element& element, const Location& where) {
    std::vector<const Element*> elements;
    if (!element.abstract) elements.push_back(&element);
    if (element.global) Substitutes(element.name, elements);
    const ComplexType* own = ComplexOf(element, where);
    const std::string key = Utf8(element.name.ns + L"|" + element.name.local + L"|" +
                                 m_ownerNamespace) +
                            "|" + (own && m_byType.count(own) ? m_byType.at(own)->name : "");
    auto known = m_choices.find(key);
    if (known != m_choices.end()) return known->second;
    auto choice = std::make_unique<ElementChoice>();
    choice->schemaNamespace = m_ownerNamespace;
    auto scope = m_factoryNames.emplace(m_ownerNamespace, NameScope({"CreateClass"})).first;
    choice->factory = scope->second.Claim("Create" + PascalCase(element.name.local));
    for (const Element* candidate : elements) {
      const ComplexType* type = ComplexOf(*candidate, where);
      if (!type) {
        throw Refusal(candidate->where, "a substitution group member of a simple type is not "
                                        "supported yet");
      }
      if (!m_byType.count(type)) {
        Claim(type, candidate->name.local, candidate->name.local, candidate->name.ns,
              m_ownerNamespace, "The anonymous complexType of element " +
                                    Utf8(candidate->name.local) + ".");
      }
      ElementChoice::Candidate entry;
      entry.element = candidate->name;
      entry.declared = m_byType.at(type);
      std::set<const ComplexType*> seen;
      Derivable(type, entry.classes, seen);
      if (candidate->name.ns != element.name.ns) {
        // Written through the head's description, in the head's namespace
        // unless the class knows better.
        for (const ClassPlan* c : entry.classes) {
          auto& foreign = m_mutable.at(c)->foreignSubstitutes;
          if (std::find(foreign.begin(), foreign.end(), candidate->name) == foreign.end()) {
            foreign.push_back(candidate->name);
          }
        }
      }
      choice->candidates.push_back(std::move(entry));
    }
    m_plan.choices.push_back(std::move(choice));
    m_choices[key] = m_plan.choices.back().get();
    return m_plan.choices.back().get();
  }

  // A simpleContent restriction of a class with simple content: the class
  // derives from its base's and checks the narrower facets of the value. The
  // attributes stay the base's: restating them is not supported.
  void RestrictValue(ClassPlan& plan, const ComplexType& type) {
    if (!type.attributes.empty() || type.anyAttribute) {
      throw Refusal(type.where, "a simpleContent restriction that restates attributes is not "
                                "supported yet");
    }
    if (!type.facets.enumeration.empty() || !type.facets.whiteSpace.empty()) {
      throw Refusal(type.where, "enumeration or whiteSpace facets in a simpleContent restriction "
                                "are not supported yet");
    }
    for (size_t i = 0; i < plan.properties.size(); ++i) {
      PropertyPlan& p = plan.properties[i];
      if (!p.simpleValue) continue;
      if (p.simple.enumeration || p.simple.text) {
        throw Refusal(type.where, "a simpleContent restriction of an enumeration, list or union "
                                  "is not supported yet");
      }
      SimpleType facets;
      facets.where = type.where;
      facets.facets = type.facets;
      p.simple = Restrict(p.simple, facets);
      plan.restrictedValue = static_cast<int>(i);
    }
  }

  // A repeated simple element that a typed collection cannot hold: a class
  // with the value as its simple content, and a collection of it.
  void AddValueClass(ClassPlan& owner, const Element& element, const Location& where,
                     PropertyPlan property) {
    if (property.simple.enumeration) {
      throw Refusal(where, "a repeated nillable or defaulted element of an enumeration is not "
                           "supported yet");
    }
    auto plan = std::make_unique<ClassPlan>();
    plan->name = m_classNames.Claim("C" + PascalCase(element.name.local) + "Value");
    plan->comment = "The value of an element " + Utf8(element.name.local) + " of " +
                    owner.name.substr(1) + (element.nillable ? ", which may be nil." : ".");
    plan->infoName = plan->defaultElementName = element.name.local;
    plan->xmlNamespace = element.name.ns;
    plan->schemaNamespace = owner.schemaNamespace;
    plan->where = where;
    plan->nillable = element.nillable;
    plan->state = 2;
    PropertyPlan value;
    value.simpleValue = true;
    value.name = "Value";
    value.member = "m_value";
    value.simple = property.simple;
    value.hasDefault = element.hasDefault;
    value.defaultValue = element.defaultValue;
    if (element.hasFixed) {
      value.hasDefault = true;
      value.defaultValue = value.fixedValue = element.fixedValue;
      RequireFixedValue(value, where);
    }
    plan->properties.push_back(std::move(value));
    property.kind = PropertyPlan::collection;
    property.itemClass = plan.get();
    property.collectionClass = m_classNames.Claim(plan->name + "Col");
    m_plan.classes.push_back(std::move(plan));
    owner.properties.push_back(std::move(property));
  }

  // Untyped content: an element wildcard (xs:any, named "AnyElement" as the
  // runtime expects) or an element without a type.
  void AddUntyped(ClassPlan& plan, const Particle& particle, PropertyPlan property,
                  const std::wstring& wildcard) {
    const bool repeated = particle.maxOccurs == kUnbounded || particle.maxOccurs > 1;
    property.kind = repeated ? PropertyPlan::untypedCol : PropertyPlan::untyped;
    property.optional = !repeated && particle.minOccurs == 0;
    property.wildcard = wildcard;
    property.wildcardTarget = plan.schemaNamespace;
    property.minOccurs = particle.minOccurs;
    property.maxOccurs = particle.maxOccurs;
    plan.properties.push_back(std::move(property));
  }

  void AddAny(ClassPlan& plan, const Particle& particle, NameScope& names) {
    if (particle.maxOccurs == 0) return;
    PropertyPlan property;
    property.xmlName = L"AnyElement";
    property.xmlNamespace = particle.anyNamespace;
    property.name = names.Claim("AnyElement");
    property.member = "m_" + CamelCase(property.name);
    AddUntyped(plan, particle, std::move(property), particle.anyNamespace);
  }

  void AddElement(ClassPlan& plan, const Particle& particle, NameScope& names) {
    const Element* element = particle.elementDecl.get();
    if (!element->ref.empty()) {
      auto found = m_set.elements.find(element->ref);
      if (found == m_set.elements.end()) {
        throw Refusal(element->where, "the element " + Describe(element->ref) + " is not declared");
      }
      element = found->second.get();
    }
    const Location& where = particle.where;
    std::vector<const Element*> substitutes;
    if (element->global) Substitutes(element->name, substitutes);
    if (particle.maxOccurs == 0) return;  // the element may not occur at all
    if (particle.maxOccurs != kUnbounded && particle.minOccurs > particle.maxOccurs) {
      throw Refusal(where, "minOccurs is above maxOccurs");
    }

    PropertyPlan property;
    property.xmlName = element->name.local;
    property.xmlNamespace = element->name.ns;
    property.name = names.Claim(PascalCase(element->name.local));
    property.member = "m_" + CamelCase(property.name);
    property.minOccurs = particle.minOccurs;
    property.maxOccurs = particle.maxOccurs;
    const bool repeated = particle.maxOccurs == kUnbounded || particle.maxOccurs > 1;

    const ComplexType* complex = ComplexOf(*element, where);
    if ((element->abstract || !substitutes.empty()) && !complex) {
      throw Refusal(where, "an abstract or substituted element of a simple type is not "
                           "supported yet");
    }
    if ((!complex && element->type.empty() && !element->inlineSimple) ||
        element->type == QName{kXsdNamespaceUri, L"anyType"}) {
      if (element->hasDefault || element->hasFixed) {
        throw Refusal(where, "a default or fixed value of an untyped element is not supported");
      }
      if (element->nillable) {
        throw Refusal(where, "a nillable untyped element is not supported: its content "
                             "cannot be nil");
      }
      if (element->name.local == L"AnyElement") {
        // The runtime's name for a wildcard: the element would match any name.
        throw Refusal(where, "an untyped element named AnyElement is not supported: the runtime "
                             "takes the name for a wildcard");
      }
      AddUntyped(plan, particle, std::move(property), std::wstring());
      return;
    }
    if (complex) {
      auto found = m_byType.find(complex);
      ClassPlan* item = found != m_byType.end()
                            ? found->second
                            : Claim(complex, element->name.local, element->name.local,
                                    element->name.ns, plan.schemaNamespace,
                                    "The anonymous complexType of element " +
                                        Utf8(element->name.local) + ".");
      property.itemClass = item;
      if (element->nillable) item->nillable = true;
      if (element->hasDefault || element->hasFixed) {
        throw Refusal(where, "a default or fixed value of an element of a complex type is not "
                             "supported yet");
      }
      if (element->abstract || !substitutes.empty() || complex->abstract ||
          m_derivedBy.count(complex)) {
        property.elementChoice = Choose(*element, where);
        for (const ElementChoice::Candidate& c : property.elementChoice->candidates) {
          for (const ClassPlan* k : c.classes) {
            if (element->nillable) m_mutable.at(k)->nillable = true;
          }
        }
      }
      if (repeated) {
        property.kind = PropertyPlan::collection;
        property.collectionClass = m_classNames.Claim("C" + PascalCase(element->name.local) + "Col");
      } else {
        property.kind = PropertyPlan::object;
        property.optional = particle.minOccurs == 0;
      }
    } else {
      m_nameHint = element->name.local;
      property.simple = element->inlineSimple ? MapSimple(*element->inlineSimple)
                                              : MapSimpleName(element->type, where);
      if (repeated) {
        // A typed collection holds values only: no nil item, no default for
        // an empty item, one pattern. Such elements get a class of their own.
        if (element->nillable || element->hasDefault || element->hasFixed ||
            !property.simple.morePatterns.empty()) {
          AddValueClass(plan, *element, where, std::move(property));
          return;
        }
        if (property.simple.text && property.simple.enumeration) {
          throw Refusal(where, "a repeated element of an enumerated list or union is not "
                               "supported");
        }
        for (const auto& e : m_plan.enums) {
          // The enumeration's collection class, shared by its repeated elements.
          if (e.get() == property.simple.enumeration && e->collectionClass.empty()) {
            e->collectionClass = m_classNames.Claim("C" + e->name + "Col");
          }
        }
        property.kind = PropertyPlan::values;
        plan.properties.push_back(std::move(property));
        return;
      }
      property.optional = particle.minOccurs == 0;
      property.nillable = element->nillable;
      // An element that may be absent as well as nil keeps nil beside the value.
      property.nilFlag =
          element->nillable && (property.optional || plan.group == ClassPlan::choice);
      property.hasDefault = element->hasDefault;
      property.defaultValue = element->defaultValue;
      if (element->hasFixed) {
        // An empty element reads as the fixed value, and any other is refused.
        property.hasDefault = true;
        property.defaultValue = property.fixedValue = element->fixedValue;
        RequireFixedValue(property, where);
      }
    }
    plan.properties.push_back(std::move(property));
  }

  struct Wildcard {
    std::wstring ns;
    Location where;
  };

  // The attribute wildcards of a type and of its attribute groups hold
  // together: an attribute must pass each. The runtime tests one list, so
  // they must agree.
  void AddAnyAttribute(ClassPlan& plan, const std::vector<Wildcard>& wildcards, NameScope& names) {
    for (const Wildcard& other : wildcards) {
      if (other.ns != wildcards[0].ns) {
        throw Refusal(other.where, "xs:anyAttribute with the namespaces \"" + Utf8(other.ns) +
                                       "\" beside another with \"" + Utf8(wildcards[0].ns) +
                                       "\" (their intersection) is not supported");
      }
    }
    PropertyPlan property;
    property.kind = PropertyPlan::anyAttribute;
    property.attribute = true;
    property.optional = true;
    property.xmlName = L"AnyAttribute";
    property.name = names.Claim("AnyAttribute");
    property.member = "m_" + CamelCase(property.name);
    property.wildcard = wildcards[0].ns;
    property.wildcardTarget = plan.schemaNamespace;
    plan.properties.push_back(std::move(property));
  }

  void AddAttributes(ClassPlan& plan, const std::vector<AttributeUse>& uses, NameScope& names,
                     std::set<QName>& groupsSeen, std::vector<Wildcard>& wildcards) {
    for (const AttributeUse& use : uses) {
      if (!use.groupRef.empty()) {
        auto found = m_set.attributeGroups.find(use.groupRef);
        if (found == m_set.attributeGroups.end()) {
          throw Refusal(use.where, "the attribute group " + Describe(use.groupRef) +
                                       " is not declared");
        }
        if (!groupsSeen.insert(use.groupRef).second) continue;
        if (found->second.anyAttribute) {
          wildcards.push_back(
              {found->second.anyAttributeNamespace, found->second.anyAttributeWhere});
        }
        AddAttributes(plan, found->second.attributes, names, groupsSeen, wildcards);
        continue;
      }
      const Attribute& local = *use.attribute;
      if (local.prohibited) continue;
      const Attribute* declared = &local;
      if (!local.ref.empty()) {
        auto found = m_set.attributes.find(local.ref);
        if (found == m_set.attributes.end()) {
          throw Refusal(local.where, "the attribute " + Describe(local.ref) + " is not declared");
        }
        declared = found->second.get();
      }
      PropertyPlan property;
      property.attribute = true;
      property.xmlName = declared->name.local;
      property.xmlNamespace = declared->name.ns;
      property.name = names.Claim(PascalCase(declared->name.local));
      property.member = "m_" + CamelCase(property.name);
      m_nameHint = declared->name.local;
      property.simple = declared->inlineType ? MapSimple(*declared->inlineType)
                        : declared->type.empty()
                            ? MapSimpleName({kXsdNamespaceUri, L"anySimpleType"}, local.where)
                            : MapSimpleName(declared->type, local.where);
      const bool hasFixed = local.hasFixed || declared->hasFixed;
      property.fixed = hasFixed;
      property.fixedValue = local.hasFixed ? local.fixedValue : declared->fixedValue;
      property.hasDefault = !hasFixed && (local.hasDefault || declared->hasDefault);
      property.defaultValue = local.hasDefault ? local.defaultValue : declared->defaultValue;
      property.optional = !local.required;
      if (hasFixed) RequireFixedValue(property, local.where);
      plan.properties.push_back(std::move(property));
    }
  }

  // A fixed value becomes a facet, so that reading any other value fails: a
  // pattern matching the text alone, or equal bounds for ordered kinds.
  static void RequireFixedValue(PropertyPlan& property, const Location& where) {
    Facets& facets = property.simple.facets;
    const std::string kind = property.simple.builtin->itemType;
    if (const EnumPlan* e = property.simple.enumeration) {
      // Reading converts through a function that accepts the one enumerator.
      const std::wstring fixed = e->collapse ? Collapse(property.fixedValue) : property.fixedValue;
      for (size_t i = 0; i < e->values.size(); ++i) {
        if (e->values[i] == fixed) property.fixedEnumerator = static_cast<int>(i);
      }
      if (property.fixedEnumerator < 0) {
        throw Refusal(where, "the fixed value \"" + Utf8(property.fixedValue) +
                                 "\" is no value of the enumeration");
      }
      return;
    }
    if (kind == "it_boolean" || kind == "it_hexBinary" || kind == "it_base64Binary") {
      throw Refusal(where, "a fixed value of this type is not supported yet");
    }
    if (kind == "it_string") {
      // The type's own pattern must still hold.
      if (!facets.pattern.empty()) property.simple.morePatterns.push_back(facets.pattern);
      facets.pattern.clear();
      for (wchar_t c : property.fixedValue) {
        if (std::wstring(L"\\|.-^?*+{}()[]$").find(c) != std::wstring::npos) facets.pattern += L'\\';
        facets.pattern += c;
      }
      return;
    }
    facets.minExclusive.clear();
    facets.maxExclusive.clear();
    facets.minInclusive = facets.maxInclusive = property.fixedValue;
  }

  SimpleMapping MapSimpleName(const QName& name, const Location& where) {
    if (name.ns == kXsdNamespaceUri) {
      const BuiltinType* builtin = FindBuiltin(name.local);
      if (!builtin) throw Refusal(where, "xs:" + Utf8(name.local) + " is not a simple type the binding maps");
      SimpleMapping mapping;
      mapping.builtin = builtin;
      mapping.whitespace = builtin->whitespace;
      if (builtin->minInclusive) mapping.facets.minInclusive = builtin->minInclusive;
      if (builtin->maxInclusive) mapping.facets.maxInclusive = builtin->maxInclusive;
      mapping.description = name.local;
      return mapping;
    }
    auto found = m_set.simpleTypes.find(name);
    if (found == m_set.simpleTypes.end()) {
      throw Refusal(where, FindComplex(name) ? "the complex type " + Describe(name) +
                                                   " cannot be used here"
                                             : "the type " + Describe(name) + " is not declared");
    }
    if (!m_resolving.insert(found->second.get()).second) {
      throw Refusal(found->second->where, "the simple type derives from itself");
    }
    SimpleMapping mapping = MapSimple(*found->second);
    m_resolving.erase(found->second.get());
    mapping.description = name.local;
    return mapping;
  }

  SimpleMapping MapSimple(const SimpleType& type) {
    if (type.variety != SimpleType::atomic) {
      // Lists and unions are held as their collapsed text: the runtime has
      // no list kind, and the item and member types are not checked.
      if (type.variety == SimpleType::list) {
        // The item type must still be one the binding knows.
        if (type.inlineBase) {
          MapSimple(*type.inlineBase);
        } else {
          MapSimpleName(type.base, type.where);
        }
      }
      SimpleMapping mapping;
      mapping.builtin = FindBuiltin(L"string");
      mapping.whitespace = "ws_collapse";
      mapping.text = true;
      mapping.description = type.variety == SimpleType::list ? L"list" : L"union";
      return mapping;
    }
    return Restrict(
        type.inlineBase ? MapSimple(*type.inlineBase) : MapSimpleName(type.base, type.where), type);
  }

  // The base's mapping with the facets of type, a restriction of it.
  SimpleMapping Restrict(SimpleMapping mapping, const SimpleType& type) {
    const Facets& own = type.facets;
    if (mapping.text && (own.length >= 0 || own.minLength >= 0 || own.maxLength >= 0)) {
      // Of a list they count items, and the value is held as one string.
      throw Refusal(type.where, "length facets on a list or union type are not supported");
    }
    if (!own.enumeration.empty()) {
      mapping.enumeration = Enumeration(type, mapping);
      return mapping;
    }
    Facets& facets = mapping.facets;
    // A derived type's pattern must hold as well as its base's.
    if (!own.pattern.empty()) {
      if (facets.pattern.empty()) {
        facets.pattern = own.pattern;
      } else if (facets.pattern != own.pattern) {
        if (std::string(mapping.builtin->itemType) != "it_string") {
          throw Refusal(type.where, "a pattern restricting a type that has a pattern of its own "
                                    "is supported for string types only: the runtime checks one "
                                    "pattern per value");
        }
        mapping.morePatterns.push_back(own.pattern);
      }
    }
    auto replaceBound = [&](const std::wstring& value, std::wstring& inclusive,
                            std::wstring& exclusive, std::wstring& target) {
      if (value.empty()) return;
      inclusive.clear();
      exclusive.clear();
      target = value;
    };
    std::wstring minInclusive = facets.minInclusive, minExclusive = facets.minExclusive;
    std::wstring maxInclusive = facets.maxInclusive, maxExclusive = facets.maxExclusive;
    if (!own.minInclusive.empty() && !own.minExclusive.empty()) {
      throw Refusal(type.where, "minInclusive and minExclusive together");
    }
    if (!own.maxInclusive.empty() && !own.maxExclusive.empty()) {
      throw Refusal(type.where, "maxInclusive and maxExclusive together");
    }
    replaceBound(own.minInclusive, minInclusive, minExclusive, minInclusive);
    replaceBound(own.minExclusive, minInclusive, minExclusive, minExclusive);
    replaceBound(own.maxInclusive, maxInclusive, maxExclusive, maxInclusive);
    replaceBound(own.maxExclusive, maxInclusive, maxExclusive, maxExclusive);
    facets.minInclusive = minInclusive;
    facets.minExclusive = minExclusive;
    facets.maxInclusive = maxInclusive;
    facets.maxExclusive = maxExclusive;
    for (auto [mine, theirs] : {std::pair{own.length, &facets.length},
                                {own.minLength, &facets.minLength},
                                {own.maxLength, &facets.maxLength},
                                {own.totalDigits, &facets.totalDigits},
                                {own.fractionDigits, &facets.fractionDigits}}) {
      if (mine >= 0) *theirs = mine;
    }
    if (!own.whiteSpace.empty()) {
      mapping.whitespace = own.whiteSpace == L"collapse" ? "ws_collapse"
                           : own.whiteSpace == L"replace" ? "ws_replace"
                                                          : "ws_none";
    }
    return mapping;
  }

  const EnumPlan* Enumeration(const SimpleType& type, const SimpleMapping& base) {
    auto found = m_enums.find(&type);
    if (found != m_enums.end()) return found->second;
    auto plan = std::make_unique<EnumPlan>();
    const std::wstring& xsdName = type.name.empty() ? m_nameHint : type.name.local;
    plan->xsdName = xsdName;
    plan->schemaNamespace = type.name.empty() ? m_ownerNamespace : type.name.ns;
    plan->name = m_classNames.Claim(PascalCase(xsdName));
    plan->collapse = std::string(base.whitespace) != "ws_none";
    NameScope enumerators;
    for (const std::wstring& value : type.facets.enumeration) {
      plan->values.push_back(value);
      plan->enumerators.push_back(enumerators.Claim(value.empty() ? "Empty" : PascalCase(value)));
    }
    m_enums[&type] = plan.get();
    m_plan.enums.push_back(std::move(plan));
    return m_plan.enums.back().get();
  }

  const SchemaSet& m_set;
  BindingPlan m_plan;
  std::map<const SimpleType*, const EnumPlan*> m_enums;
  std::wstring m_nameHint;        // names an anonymous enumeration after its element or attribute
  std::wstring m_ownerNamespace;  // of the class being planned, for its anonymous enumerations
  NameScope m_classNames;
  std::map<const ComplexType*, ClassPlan*> m_byType;
  std::set<ClassPlan*> m_elementNamed;
  std::set<const ClassPlan*> m_acyclic;
  std::vector<const ClassPlan*> m_extended;
  std::map<const ComplexType*, std::vector<const ComplexType*>> m_derivedBy;
  std::map<QName, std::vector<const Element*>> m_substitutes;  // by head, direct members
  std::map<const NamedGroup*, ClassPlan*> m_groupClasses;
  std::map<const ClassPlan*, ClassPlan*> m_mutable;  // the classes of complex types
  std::map<std::string, const ElementChoice*> m_choices;
  std::map<std::wstring, NameScope> m_factoryNames;  // per file set
  std::set<const SimpleType*> m_resolving;
};

}  // namespace

BindingPlan PlanBinding(const SchemaSet& set) { return Planner(set).Run(); }

}  // namespace KorvelXsd
