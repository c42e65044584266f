// SPDX-License-Identifier: MIT
// The code emitter: writes the planned classes in the shape of the
// hand-written purchase-order binding.
#include "emitter.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "class_plan.h"
#include "names.h"

namespace KorvelXsd {
namespace {

// A wide string literal; characters outside printable ASCII become universal
// character names or octal escapes, which stop where they should.
std::string Literal(const std::wstring& text) {
  std::string out = "L\"";
  for (wchar_t c : text) {
    const uint32_t u = static_cast<uint32_t>(c);
    char buffer[16];
    if (c == L'\\' || c == L'"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (u >= 0x20 && u < 0x7F) {
      out += static_cast<char>(c);
    } else if (u < 0xA0) {
      std::snprintf(buffer, sizeof buffer, "\\%03o", u);
      out += buffer;
    } else {
      std::snprintf(buffer, sizeof buffer, "\\U%08X", u);
      out += buffer;
    }
  }
  return out + "\"";
}

// Whether collapsing whitespace leaves text as it is.
bool IsCollapsed(const std::wstring& text) {
  if (!text.empty() && (text.front() == L' ' || text.back() == L' ')) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\t' || c == L'\n' || c == L'\r') return false;
    if (c == L' ' && i + 1 < text.size() && text[i + 1] == L' ') return false;
  }
  return true;
}

// Text for a comment: printable ASCII, the rest as U+XXXX.
std::string CommentText(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u >= 0x20 && u < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "U+%04X", u);
      out += buffer;
    }
  }
  return out;
}

bool IsEnum(const PropertyPlan& p) { return p.simple.enumeration != nullptr; }
bool IsString(const PropertyPlan& p) {
  return !IsEnum(p) && std::string(p.simple.builtin->cppType) == "std::wstring";
}
// Object and collection members are held by a counted pointer.
bool IsCollectionKind(const PropertyPlan& p) {
  return p.kind == PropertyPlan::collection || p.kind == PropertyPlan::values ||
         p.kind == PropertyPlan::untypedCol || p.kind == PropertyPlan::anyAttribute;
}
bool IsObjectKind(const PropertyPlan& p) {
  return p.kind == PropertyPlan::object || p.kind == PropertyPlan::untyped;
}
// A property that ViewMember shows where it is kept: an object, a collection
// or a plain value, optional or not. Nil flags, enumerations written as text,
// further patterns and mixed text are left to AccessProperty.
bool IsViewable(const PropertyPlan& p) {
  if (IsCollectionKind(p) || IsObjectKind(p)) return true;
  return !p.nilFlag && !p.nillable && !p.mixedText && !(p.simpleValue && IsEnum(p)) &&
         (p.simpleValue || p.simple.morePatterns.empty());
}
// Class types are passed by reference, scalars and enumerations by value.
bool IsClassType(const PropertyPlan& p) {
  return !IsEnum(p) && std::string(p.simple.builtin->cppType).find("::") != std::string::npos;
}
std::string Restrictions(const Facets& f) {
  auto text = [](const std::wstring& value) { return value.empty() ? "nullptr" : Literal(value); };
  std::ostringstream out;
  out << "(" << text(f.pattern) << ", " << f.minLength << ", " << f.maxLength
      << ", " << text(f.minInclusive) << ", " << text(f.maxInclusive) << ", "
      << text(f.minExclusive) << ", " << text(f.maxExclusive) << ", " << f.length << ", "
      << f.totalDigits << ", " << f.fractionDigits << ")";
  return out.str();
}

// Breaks a call longer than 100 columns after its commas, continuing under
// the first argument as the house format does. Commas inside literals stay.
std::string Wrap(const std::string& indent, const std::string& call) {
  if (indent.size() + call.size() <= 100) return indent + call;
  const std::string continuation(indent.size() + call.find('(') + 1, ' ');
  std::string out = indent, line;
  bool quoted = false;
  size_t column = indent.size();
  for (size_t i = 0; i < call.size(); ++i) {
    line += call[i];
    if (call[i] == '"' && (i == 0 || call[i - 1] != '\\')) quoted = !quoted;
    const bool breakable = !quoted && call[i] == ',' && i + 1 < call.size() && call[i + 1] == ' ';
    if (breakable || i + 1 == call.size()) {
      if (column + line.size() > 100 && column > continuation.size()) {
        out += "\n" + continuation;
        column = continuation.size();
        if (line[0] == ' ') line.erase(0, 1);
      }
      out += line;
      column += line.size();
      line.clear();
    }
  }
  return out;
}

bool HasFacets(const Facets& f) {
  return !f.pattern.empty() || f.minLength >= 0 || f.maxLength >= 0 || !f.minInclusive.empty() ||
         !f.maxInclusive.empty() || !f.minExclusive.empty() || !f.maxExclusive.empty() ||
         f.length >= 0 || f.totalDigits >= 0 || f.fractionDigits >= 0;
}

struct FileGroup {
  std::string cppNamespace;
  std::string baseName;
};

class Writer {
 public:
  Writer(const BindingPlan& plan, const std::map<std::wstring, FileGroup>& groups,
         const std::wstring& mine)
      : m_plan(plan), m_groups(groups), m_mine(mine), m_files(groups.at(mine)) {
    std::string upper;
    for (char c : m_files.cppNamespace) {
      upper += c == ':' ? '_' : static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    m_macro = upper + "_METADATA_STRUCT";
  }

  GeneratedCode Run() {
    Order();
    GeneratedCode code;
    code.header = Header();
    code.source = Source();
    return code;
  }

  // The namespaces whose classes or enumerations this file set refers to.
  std::set<std::wstring> ReferencedGroups() const {
    std::set<std::wstring> found;
    for (const ClassPlan* plan : m_order) {
      if (plan->base && !Mine(plan->base)) found.insert(plan->base->schemaNamespace);
      for (const PropertyPlan& p : plan->properties) {
        if (p.itemClass && !Mine(p.itemClass)) found.insert(p.itemClass->schemaNamespace);
        if (p.simple.enumeration && !Mine(p.simple.enumeration)) {
          found.insert(p.simple.enumeration->schemaNamespace);
        }
      }
    }
    for (const ElementChoice* choice : MyChoices()) {
      for (const ElementChoice::Candidate& c : choice->candidates) {
        for (const ClassPlan* k : c.classes) {
          if (!Mine(k)) found.insert(k->schemaNamespace);
        }
      }
    }
    return found;
  }

  // The namespaces some class of this file set derives from: their classes
  // must be complete before this one's.
  std::set<std::wstring> BaseGroups() const {
    std::set<std::wstring> found;
    for (const auto& plan : m_plan.classes) {
      if (Mine(plan.get()) && plan->base && !Mine(plan->base)) {
        found.insert(plan->base->schemaNamespace);
      }
    }
    return found;
  }

  std::vector<const ElementChoice*> MyChoices() const {
    std::vector<const ElementChoice*> mine;
    for (const auto& choice : m_plan.choices) {
      if (choice->schemaNamespace == m_mine) mine.push_back(choice.get());
    }
    return mine;
  }

 private:
  // Classes before the classes that hold them, in class-id order otherwise.
  void Order() {
    std::set<const ClassPlan*> visited;
    std::function<void(const ClassPlan*)> visit = [&](const ClassPlan* plan) {
      if (!visited.insert(plan).second) return;
      if (plan->base) visit(plan->base);
      for (const PropertyPlan& p : plan->properties) {
        if (p.itemClass) visit(p.itemClass);
      }
      if (Mine(plan)) m_order.push_back(plan);
    };
    for (const auto& plan : m_plan.classes) visit(plan.get());
  }

  std::string Header() {
    std::ostringstream out;
    std::set<std::string> headers = {"korvel/class_factory.h", "korvel/collection.h",
                                     "korvel/element_infos.h", "korvel/generated_class.h",
                                     "korvel/smart_ptr.h"};
    for (const ClassPlan* plan : m_order) {
      for (const PropertyPlan& p : plan->properties) {
        if (p.kind == PropertyPlan::primitive && p.simple.builtin->header) {
          headers.insert(p.simple.builtin->header);
        }
        // Typed collections also check what descriptions cannot: the facets
        // of simple content and further patterns.
        if (p.kind == PropertyPlan::values || !p.simple.morePatterns.empty() ||
            (p.simpleValue && HasFacets(p.simple.facets))) {
          headers.insert("korvel/typed_collections.h");
        }
        if (p.kind == PropertyPlan::untyped || p.kind == PropertyPlan::untypedCol ||
            p.kind == PropertyPlan::anyAttribute) {
          headers.insert("korvel/untyped.h");
        }
      }
    }
    for (const auto& e : m_plan.enums) {
      if (!e->collectionClass.empty() && Mine(e.get())) {
        headers.insert("korvel/typed_collections.h");
      }
    }
    out << "// Generated by korvel-xsd from the schema; do not edit.\n#pragma once\n\n"
           "#include <cstdint>\n#include <optional>\n#include <string>\n\n";
    for (const std::string& h : headers) out << "#include <" << h << ">\n";
    out << "\nnamespace " << m_files.cppNamespace << " {\n\n";
    out << "// Class ids handed to the factory by the element descriptions.\nenum ClassId : int {\n";
    int classId = 0;
    for (const auto& plan : m_plan.classes) {
      if (Mine(plan.get())) out << "  ClassId_" << plan->name.substr(1) << " = " << classId++ << ",\n";
    }
    out << "};\n\n";
    for (const auto& e : m_plan.enums) {
      if (!Mine(e.get())) continue;
      out << "// The values of " << CommentText(e->xsdName) << ".\nenum class " << e->name
          << " : int32_t {\n";
      for (size_t i = 0; i < e->enumerators.size(); ++i) {
        out << "  " << e->enumerators[i] << " = " << i << ",  // " << CommentText(e->values[i])
            << "\n";
      }
      out << "};\n// The schema's text of value; throws CKvInvalidValueException for a number "
             "that is no enumerator.\nconst wchar_t* "
          << e->name << "ToString(int value);\n// The enumerator of text; throws "
                        "CKvInvalidValueException for other text.\nint StringTo"
          << e->name << "(const wchar_t* text);\n\n";
      if (!e->collectionClass.empty() && Mine(e.get())) EnumCollectionDeclaration(out, *e);
    }
    for (const ClassPlan* plan : m_order) out << "class " << plan->name << ";\n";
    out << "\n// Creates the class classId names, for an element called elementName.\n"
           "class CClassFactory : public Korvel::CClassfactoryBase {\n public:\n"
           "  static CSmartPtr<Korvel::CXmlObjectBase> CreateClass(int classId, const wchar_t* "
           "elementName);\n";
    for (const ElementChoice* choice : MyChoices()) {
      out << "  // The object for an element named ";
      for (size_t i = 0; i < choice->candidates.size(); ++i) {
        out << (i == 0 ? "" : i + 1 == choice->candidates.size() ? " or " : ", ")
            << CommentText(choice->candidates[i].element.local);
      }
      out << ", of the class its xsi:type names;\n  // null for any other element or type.\n"
             "  static "
             "CSmartPtr<Korvel::CXmlObjectBase> "
          << choice->factory << "(Korvel::CXmlElement* element);\n";
    }
    out << "};\n";
    // Other namespaces' files come after this one's declarations, so that
    // files that refer to each other see each other's names; those that
    // derive from this one's classes come after its classes.
    const std::set<std::wstring> bases = BaseGroups();
    std::vector<std::wstring> before, after;
    for (const std::wstring& ns : ReferencedGroups()) {
      const bool derivesFromMine = Writer(m_plan, m_groups, ns).BaseGroups().count(m_mine) > 0;
      if (derivesFromMine && bases.count(ns)) {
        const ClassPlan* derived = nullptr;
        for (const auto& plan : m_plan.classes) {
          if (Mine(plan.get()) && plan->base && plan->base->schemaNamespace == ns) {
            derived = plan.get();
          }
        }
        throw Refusal(derived->where, "classes of two namespaces that derive from each other's "
                                      "are not supported");
      }
      if (derivesFromMine) {
        // Its enumerations would come too late for this file's classes.
        for (const ClassPlan* plan : m_order) {
          for (const PropertyPlan& p : plan->properties) {
            if (p.simple.enumeration && p.simple.enumeration->schemaNamespace == ns) {
              throw Refusal(plan->where, "an enumeration of a namespace whose classes derive "
                                         "from this one's is not supported yet");
            }
          }
        }
      }
      (derivesFromMine ? after : before).push_back(ns);
    }
    if (!before.empty()) {
      out << "\n}  // namespace " << m_files.cppNamespace << "\n\n";
      for (const std::wstring& ns : before) {
        out << "#include \"" << m_groups.at(ns).baseName << ".h\"\n";
      }
      out << "\nnamespace " << m_files.cppNamespace << " {\n";
    }
    for (const ClassPlan* plan : m_order) {
      for (const PropertyPlan* p : OwnProperties(*plan)) {
        if (p->kind == PropertyPlan::collection) CollectionDeclaration(out, *plan, *p);
      }
      ClassDeclaration(out, *plan);
    }
    out << "\n}  // namespace " << m_files.cppNamespace << "\n";
    if (!after.empty()) out << "\n";
    for (const std::wstring& ns : after) {
      out << "#include \"" << m_groups.at(ns).baseName << ".h\"\n";
    }
    return out.str();
  }

  // Repeated elements of an enumeration: the values as enumerators, read and
  // written as the schema's text.
  void EnumCollectionDeclaration(std::ostringstream& out, const EnumPlan& e) {
    const std::string& c = e.collectionClass;
    out << "// Repeated elements of " << CommentText(e.xsdName) << ".\nclass " << c
        << " : public Korvel::CTypedCollectionBase<int32_t> {\n public:\n  " << c
        << "(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,\n"
        << std::string(c.size() + 3, ' ') << "int32_t maxOccurs);\n\n  " << e.name
        << " Item(int32_t index) const {\n    return static_cast<" << e.name
        << ">(CTypedCollectionBase::Item(index));\n  }\n  void Add(" << e.name
        << " value) { InsertChecked(GetCount(), static_cast<int32_t>(value)); }\n"
           "  void AddAt(int32_t index, "
        << e.name
        << " value) { InsertChecked(index, static_cast<int32_t>(value)); }\n\n protected:\n"
           "  std::wstring ItemText(const int32_t& value) const override;\n"
           "  Korvel::ItemType WrittenItemType() const override { return Korvel::it_string; }\n"
           "  void AddFromString(const std::wstring& text) override;\n};\n\n";
  }

  void EnumCollectionDefinition(std::ostringstream& out, const EnumPlan& e) {
    const std::string& c = e.collectionClass;
    out << c << "::" << c
        << "(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,\n"
        << std::string(c.size() * 2 + 3, ' ')
        << "int32_t maxOccurs)\n    : CTypedCollectionBase(it_i4, elementName, namespaceUri, "
           "minOccurs, maxOccurs, nullptr, -1, -1,\n                           nullptr, nullptr, "
           "nullptr, nullptr, -1, -1, -1, CWhitespaceUtils::ws_none,\n"
           "                           nullptr) {}\n\nstd::wstring "
        << c << "::ItemText(const int32_t& value) const { return " << e.name
        << "ToString(value); }\n\nvoid " << c
        << "::AddFromString(const std::wstring& text) {\n  InsertChecked(GetCount(), StringTo"
        << e.name << "(text.c_str()));\n}\n\n";
  }

  void CollectionDeclaration(std::ostringstream& out, const ClassPlan& owner,
                             const PropertyPlan& p) {
    const std::string item = QClass(p.itemClass);
    out << "\n// The " << CommentText(p.xmlName) << " elements of " << owner.name.substr(1)
        << ": minOccurs " << p.minOccurs << ", maxOccurs "
        << (p.maxOccurs == kUnbounded ? std::string("unbounded") : std::to_string(p.maxOccurs))
        << ".\nclass " << p.collectionClass << " : public Korvel::CXmlCollection {\n public:\n  "
        << p.collectionClass << "();\n\n"
        << "  // The items' namespace, kept here rather than copied into every collection.\n"
        << "  std::wstring GetNamespace() const override { return " << Literal(p.xmlNamespace)
        << "; }\n  CSmartPtr<" << item
        << "> GetAt(int32_t index) const;\n  void Add(" << item << "* item);\n";
    if (!p.itemClass->abstract) {
      out << "  // A new item, appended.\n  CSmartPtr<" << item << "> AddNew();\n";
    }
    out << "\n protected:\n"
           "  using Korvel::CXmlObjectBase::FromXml_Int;\n"
           "  using Korvel::CXmlObjectBase::ToXml_Int;\n"
           "  void ToXml_Int(Korvel::CXmlWriter* writer, bool isRoot, const wchar_t* ns,\n"
           "                 const Korvel::CSerializationContext& context, bool isOptional) const "
           "override;\n"
           "  Korvel::CXmlElement* FromXml_Int(Korvel::CXmlElement* element, Korvel::CXmlElement* "
           "current,\n"
           "                                   const Korvel::CSerializationContext& context,\n"
           "                                   bool isOptional) override;\n};\n";
  }

  // The properties a class declares itself: a derived class's follow its base's.
  static std::vector<const PropertyPlan*> OwnProperties(const ClassPlan& plan) {
    std::vector<const PropertyPlan*> own;
    for (size_t i = plan.inherited; i < plan.properties.size(); ++i) {
      own.push_back(&plan.properties[i]);
    }
    return own;
  }

  std::string BaseClass(const ClassPlan& plan) const {
    return plan.base ? QClass(plan.base) : "Korvel::CXmlGeneratedClass";
  }

  // The get half of AccessProperty for the viewable properties, pointing the
  // writers at each member instead of copying it.
  void ViewMemberDefinition(std::ostringstream& out, const ClassPlan& plan,
                            const std::vector<const PropertyPlan*>& own) const {
    std::ostringstream cases;
    for (const PropertyPlan* p : own) {
      if (!IsViewable(*p)) continue;
      cases << "    case Property_" << p->name << ":\n";
      if (IsCollectionKind(*p) || IsObjectKind(*p)) {
        cases << "      return member.Set(" << p->member << ".Get());\n";
        continue;
      }
      cases << "      " << ShowSimple(*p, "member") << "\n      return true;\n";
    }
    ViewSwitch(out, plan, "ViewMember", "KorvelData::CMemberView& member", "member",
               cases.str());
  }

  // The statement that points view, a CMemberView, at the viewable simple
  // member of p.
  static std::string ShowSimple(const PropertyPlan& p, const std::string& view) {
    const std::string& m = p.member;
    const std::string v = IsEnum(p) ? "I4" : p.simple.builtin->variant;
    if (p.optional && !(p.fixed && IsString(p))) {
      return "GetOptional(" + m + ", " + view + ", [](CMemberView& v, auto& f) { v.Set" + v + "(" +
             (IsEnum(p) ? "static_cast<int32_t>(f)" : "f") + "); });";
    }
    return view + ".Set" + v + "(" + (IsEnum(p) ? "static_cast<int32_t>(" + m + ")" : m) + ");";
  }

  static bool HasElements(const ClassPlan& plan) {
    return std::any_of(plan.properties.begin(), plan.properties.end(),
                       [](const PropertyPlan& p) { return !p.attribute && !p.simpleValue; });
  }
  // A sequence class writes its elements from its members (MembersToXml),
  // sparing the descriptions' walk a virtual call and a view per member; so
  // does a choice class of its own.
  static bool WritesOwnSequence(const ClassPlan& plan) {
    return plan.group == ClassPlan::sequence && HasElements(plan);
  }
  static bool WritesOwnElements(const ClassPlan& plan) {
    return WritesOwnSequence(plan) ||
           (plan.group == ClassPlan::choice && !plan.base && HasElements(plan));
  }

  // The statement that writes the element of p, described by e, from the
  // member where the member is shown in place, else through the description;
  // chosen for a choice member, whose statement returns true once written.
  static std::string MemberToXml(const PropertyPlan& p, const std::string& e, bool chosen) {
    const std::string mandatory = !chosen && !p.optional ? "true" : "false";
    const auto statement = [chosen](const std::string& call, const std::string& indent) {
      return indent + (chosen ? "if (" + call + ") return true;\n" : call + ";\n");
    };
    if (!IsViewable(p) || p.kind == PropertyPlan::untyped) {
      return statement(e + "->ElementToXml(context, this, writer)", "  ");
    }
    if (IsCollectionKind(p)) {
      const std::string cast = "static_cast<const CColElementInfo*>(" + e + ")";
      const std::string call = "CollectionToXml(context, " + p.member + ".Get(), writer" +
                               (chosen ? ", true)" : ")");
      return chosen ? "  if (" + cast + "\n          ->" + call + ") {\n    return true;\n  }\n"
                    : "  " + cast + "\n      ->" + call + ";\n";
    }
    if (IsObjectKind(p)) {
      // A chosen object may have empty content of its own; not so a substitute.
      return statement(e + "->ObjectToXml(context, " + p.member + ".Get(), writer, " + mandatory +
                           (chosen && !p.elementChoice ? ", true)" : ")"),
                       "  ");
    }
    return "  {\n    CMemberView member;\n    " + ShowSimple(p, "member") + "\n" +
           statement(e + "->SimpleToXml(context, member, writer, " + mandatory + ")", "    ") +
           "  }\n";
  }

  // SequenceToXml: the base class's elements through the base's, the others
  // each as MemberToXml writes it; MembersToXml calls it for objects of this
  // very class. A choice's MembersToXml stops at the first member written.
  void MembersToXmlDefinition(std::ostringstream& out, const ClassPlan& plan) const {
    if (!WritesOwnElements(plan)) return;
    const std::string& c = plan.name;
    const bool sequence = plan.group == ClassPlan::sequence;
    const bool baseWrites = plan.base && WritesOwnSequence(*plan.base);
    std::ostringstream body;
    if (baseWrites) body << "  " << QClass(plan.base) << "::SequenceToXml(e, writer, context);\n";
    size_t index = 0;
    for (size_t i = 0; i < plan.properties.size(); ++i) {
      const PropertyPlan& p = plan.properties[i];
      if (p.attribute || p.simpleValue) continue;
      const std::string e = "e[" + std::to_string(index++) + "]";
      if (i < plan.inherited && baseWrites) continue;
      if (sequence && i < plan.inherited) {
        body << "  " << e << "->ElementToXml(context, this, writer);\n";
      } else {
        body << MemberToXml(p, e, !sequence);
      }
    }
    const std::string head = "\nstd::optional<bool> " + c + "::MembersToXml(CXmlWriter* writer,\n" +
                             std::string(c.size() + 35, ' ') +
                             "const CSerializationContext& context) const {\n" +
                             "  if (typeid(*this) != typeid(" + c + ")) return std::nullopt;\n";
    if (!sequence) {
      out << head << "  CElementInfo* const* e = GetMetaData().elementInfo;\n"
          << body.str() << "  return false;\n}\n";
      return;
    }
    out << "\nvoid " << c
        << "::SequenceToXml(CElementInfo* const* e, CXmlWriter* writer,\n"
        << std::string(c.size() + 21, ' ') << "const CSerializationContext& context) const {\n"
        << body.str() << "}\n" << head
        << "  SequenceToXml(GetMetaData().elementInfo, writer, context);\n  return true;\n}\n";
  }

  static bool IsNamedAttribute(const PropertyPlan& p) {
    return p.attribute && p.kind != PropertyPlan::anyAttribute;
  }
  static bool HasNamedAttributes(const ClassPlan& plan) {
    return std::any_of(plan.properties.begin(), plan.properties.end(), IsNamedAttribute);
  }
  static bool IsGroup(const PropertyPlan& p) {
    return !p.attribute && p.itemClass != nullptr && p.itemClass->pseudo;
  }
  // The class writes its attributes from its members. Its in-line groups
  // have none (a schema's model groups hold elements only), which spares
  // them the descriptions' walk, a visit to each group object.
  static bool WritesOwnAttributes(const ClassPlan& plan) {
    return std::any_of(plan.properties.begin(), plan.properties.end(),
                       [](const PropertyPlan& p) { return p.attribute || IsGroup(p); });
  }

  // As MembersToXmlDefinition for the attributes: the named ones first, the
  // base class's through the base's NamedAttributesToXml, then the wildcards,
  // as the class's descriptions list them.
  void AttributeMembersToXmlDefinition(std::ostringstream& out, const ClassPlan& plan) const {
    if (!WritesOwnAttributes(plan)) return;
    const std::string& c = plan.name;
    std::ostringstream named, wildcards;
    if (plan.base && HasNamedAttributes(*plan.base)) {
      named << "  " << QClass(plan.base) << "::NamedAttributesToXml(a, writer, context);\n";
    }
    size_t index = 0;
    for (size_t i = 0; i < plan.properties.size(); ++i) {
      const PropertyPlan& p = plan.properties[i];
      if (!IsNamedAttribute(p)) continue;
      const std::string a = "a[" + std::to_string(index++) + "]";
      if (i < plan.inherited) continue;
      if (IsViewable(p)) {
        named << "  {\n    CMemberView member;\n    " << ShowSimple(p, "member") << "\n    " << a
              << "->SimpleToXml(context, member, writer);\n  }\n";
      } else {
        named << "  " << a << "->AttributeToXml(context, this, writer);\n";
      }
    }
    for (const PropertyPlan& p : plan.properties) {
      if (p.kind != PropertyPlan::anyAttribute) continue;
      wildcards << "  a[" << index++ << "]->AttributeToXml(context, this, writer);\n";
    }
    if (HasNamedAttributes(plan)) {
      out << "\nvoid " << c
          << "::NamedAttributesToXml(CAttributeInfo* const* a, CXmlWriter* writer,\n"
          << std::string(c.size() + 28, ' ') << "const CSerializationContext& context) const {\n"
          << named.str() << "}\n";
    }
    // A class with in-line groups but no attributes writes none.
    const bool writes = HasNamedAttributes(plan) || !wildcards.str().empty();
    out << "\nbool " << c << "::AttributeMembersToXml(CXmlWriter*" << (writes ? " writer" : "")
        << ",\n"
        << std::string(c.size() + 29, ' ') << "const CSerializationContext&"
        << (writes ? " context" : "") << ") const {\n  if (typeid(*this) != typeid(" << c
        << ")) return false;\n";
    if (writes) out << "  CAttributeInfo* const* a = GetMetaData().attributeInfo;\n";
    out << (HasNamedAttributes(plan) ? "  NamedAttributesToXml(a, writer, context);\n" : "")
        << wildcards.str() << "  return true;\n}\n";
  }

  // A view function over the class's own properties (nothing without cases):
  // the others are the base class's to show, none without one.
  void ViewSwitch(std::ostringstream& out, const ClassPlan& plan, const std::string& function,
                  const std::string& parameter, const std::string& argument,
                  const std::string& cases) const {
    if (cases.empty()) return;
    out << "\nbool " << plan.name << "::" << function << "(int propertyIndex, " << parameter
        << ") const {\n  switch (propertyIndex) {\n"
        << cases << "    default:\n      return "
        << (plan.base ? QClass(plan.base) + "::" + function + "(propertyIndex, " + argument + ")"
                      : "false")
        << ";\n  }\n}\n";
  }

  // The set half of AccessProperty for object and collection members, which
  // readers call without a KvVariant.
  void StoreObjectPropertyDefinition(std::ostringstream& out, const ClassPlan& plan,
                                     const std::vector<const PropertyPlan*>& own) const {
    std::ostringstream cases;
    for (const PropertyPlan* p : own) {
      if (!IsCollectionKind(*p) && !IsObjectKind(*p)) continue;
      const std::string& m = p->member;
      cases << "    case Property_" << p->name << ":\n";
      if (IsObjectKind(*p)) {
        cases << "      " << m << " = dynamic_cast<"
              << (p->kind == PropertyPlan::untyped ? std::string("CElement") : QClass(p->itemClass))
              << "*>(object);\n      return true;\n";
        continue;
      }
      const std::string type = p->kind == PropertyPlan::values         ? ValuesClass(*p)
                               : p->kind == PropertyPlan::untypedCol   ? "CElementCol"
                               : p->kind == PropertyPlan::anyAttribute ? "CAttributeCol"
                                                                       : p->collectionClass;
      if (MadeOnFirstUse(*p)) {
        // Null lets the collection go, to be made again on first use.
        cases << "      if (!object) {\n        " << m
              << " = nullptr;\n      } else if (auto* typed = dynamic_cast<" << type
              << "*>(object)) {\n        " << m << " = typed;\n      }\n      return true;\n";
      } else {
        cases << "      if (auto* items = dynamic_cast<" << type << "*>(object)) " << m
              << " = items;\n      return true;\n";
      }
    }
    if (cases.str().empty()) return;
    out << "\nbool " << plan.name
        << "::StoreObjectProperty(int propertyIndex, CXmlObjectBase* object) {\n"
           "  switch (propertyIndex) {\n"
        << cases.str() << "    default:\n      return " << BaseClass(plan)
        << "::StoreObjectProperty(propertyIndex, object);\n  }\n}\n";
  }

  void ClassDeclaration(std::ostringstream& out, const ClassPlan& plan) {
    const std::vector<const PropertyPlan*> own = OwnProperties(plan);
    out << "\n// " << plan.comment << "\nclass " << plan.name << " : public " << BaseClass(plan)
        << (plan.nillable ? ", public Korvel::INillable" : "") << " {\n public:\n  explicit "
        << plan.name << "(const wchar_t* elementName = " << Literal(plan.defaultElementName)
        << ");\n";
    if (plan.pseudo) {
      out << "\n  // Whether the group's content may start at element, for its collections.\n"
             "  static bool MayStartAt(const Korvel::CSerializationContext& context,\n"
             "                         const Korvel::CXmlElement* element);\n";
    }
    if (plan.nillable) {
      out << "\n  // The element is nil (xsi:nil): written without content.\n"
             "  bool IsNil() const override { return m_nil; }\n"
             "  void SetNil(bool nil) override { m_nil = nil; }\n"
             "  const Korvel::INillable* GetNillable() const override { return this; }\n";
    }
    if (!own.empty()) out << "\n";
    for (const PropertyPlan* p : own) Accessors(out, *p);
    const std::string ns = Literal(plan.xmlNamespace);
    std::ostringstream properties;
    if (!own.empty()) {
      properties << "  enum Property {\n";
      for (size_t i = 0; i < own.size(); ++i) {
        properties << "    Property_" << own[i]->name
                   << (i == 0 && plan.inherited ? " = " + std::to_string(plan.inherited) : "")
                   << (i + 1 < own.size() ? ",\n" : "\n");
      }
      properties << "  };\n";
    }
    const bool viewable =
        std::any_of(own.begin(), own.end(), [](const PropertyPlan* p) { return IsViewable(*p); });
    const bool members = std::any_of(own.begin(), own.end(), [](const PropertyPlan* p) {
      return IsCollectionKind(*p) || IsObjectKind(*p);
    });
    out << "\n  void AccessProperty(int propertyIndex, bool get, Korvel::KvVariant& value) "
           "override;\n"
        << (viewable ? "  bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) "
                       "const override;\n"
                     : "")
        << (members ? "  bool StoreObjectProperty(int propertyIndex, Korvel::CXmlObjectBase* object) "
                      "override;\n"
                    : "")
        << "  KorvelData::CParentElementInfo* GetClassInfo() const override;\n"
           "  KorvelData::CElementInfo** GetClassElementInfo() const override;\n"
           "  KorvelData::CAttributeInfo** GetClassAttributeInfo() const override;\n"
           "  void Init() override;\n"
           "  Korvel::CXmlObjectBase* GetBase() override { return this; }\n"
           "  using Korvel::CXmlObjectBase::GetBase;\n"
           "  std::wstring GetNamespace() const override { return "
        << ns << "; }\n\n protected:\n  std::wstring GetTargetNamespace() const override { return "
        << ns << "; }\n";
    if (plan.choiceMayBeEmpty) {
      out << "  // A member of the choice may be absent: the choice may be empty.\n"
             "  bool DoesElementContainOptionalElements() const override { return true; }\n";
    }
    if (std::any_of(own.begin(), own.end(), [](const PropertyPlan* p) { return IsCollection(*p); })) {
      out << "  CSmartPtr<Korvel::CXmlCollectionBase> PeekCollection(int propertyIndex) const "
             "override;\n";
      if (std::any_of(own.begin(), own.end(),
                      [](const PropertyPlan* p) { return MadeOnFirstUse(*p); })) {
        out << "  Korvel::CXmlCollectionBase* MakeCollection(int propertyIndex) const override;\n";
      }
    }
    if (WritesOwnAttributes(plan)) {
      out << "  bool AttributeMembersToXml(Korvel::CXmlWriter* writer,\n"
             "                             const Korvel::CSerializationContext& context) const "
             "override;\n";
    }
    if (HasNamedAttributes(plan)) {
      out << "  // The attributes but wildcards from the members, described by a.\n"
             "  void NamedAttributesToXml(KorvelData::CAttributeInfo* const* a,\n"
             "                            Korvel::CXmlWriter* writer,\n"
             "                            const Korvel::CSerializationContext& context) const;\n";
    }
    if (WritesOwnElements(plan)) {
      out << "  std::optional<bool> MembersToXml(\n"
             "      Korvel::CXmlWriter* writer,\n"
             "      const Korvel::CSerializationContext& context) const override;\n";
    }
    if (WritesOwnSequence(plan)) {
      out << "  // The elements from the members, described by e, the class's descriptions.\n"
             "  void SequenceToXml(KorvelData::CElementInfo* const* e,\n"
             "                     Korvel::CXmlWriter* writer,\n"
             "                     const Korvel::CSerializationContext& context) const;\n";
    }
    if (!plan.ownElementNames.empty()) {
      out << "  // No xsi:type where the element's name tells the class.\n"
             "  bool NeedsTypeAttribute() const override;\n";
    }
    if (!plan.foreignSubstitutes.empty()) {
      out << "  // Written in the namespace of the element it substitutes for.\n"
             "  void ToXml_Int(Korvel::CXmlWriter* writer, bool isRoot, const wchar_t* ns,\n"
             "                 const Korvel::CSerializationContext& context, bool isOptional) "
             "const override;\n  using Korvel::CXmlObjectBase::ToXml_Int;\n";
    }
    // Derived classes describe their base's properties too.
    if (plan.extended) out << properties.str();
    out << "\n private:\n  struct MetaData;\n  static const MetaData& GetMetaData();\n";
    if (plan.base) {
      out << "  // Init for the members this class adds to its base's.\n  void InitMembers();\n";
    }
    if (!plan.extended) out << properties.str();
    if (!own.empty()) {
      out << "\n";
      for (const PropertyPlan* p : own) {
        out << "  " << (MadeOnFirstUse(*p) ? "mutable " : "") << FieldType(*p) << " " << p->member
            << ";\n";
        if (p->nilFlag) out << "  bool " << p->member << "Nil = false;\n";
      }
    }
    if (plan.nillable) out << "  bool m_nil = false;\n";
    out << "};\n";
  }

  // Checks the patterns a description cannot hold on the string value: each
  // by a one-value collection, one per thread, emptied after each check.
  void PatternChecks(std::ostringstream& out, const PropertyPlan& p, const std::string& value) {
    for (size_t i = 0; i < p.simple.morePatterns.size(); ++i) {
      const std::string name = "pattern" + std::to_string(i + 1);
      out << "      {\n"
          << Wrap("        ", "thread_local CstringCol " + name + "(" + Literal(p.xmlName) + ", " +
                                 Literal(p.xmlNamespace) + ", 0, -1, " +
                                 Literal(p.simple.morePatterns[i]) +
                                 ", -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1, -1, "
                                 "CWhitespaceUtils::ws_none, nullptr);")
          << "\n        " << name << ".Add(" << value << ");\n        " << name
          << ".Clear();\n      }\n";
    }
  }

  // The ItemType of a class's simple content; an enumeration is its text.
  static std::string SimpleItemType(const PropertyPlan& p) {
    return IsEnum(p) ? "it_string" : p.simple.builtin->itemType;
  }

  // A condition that holds when some child element of the class was read.
  static std::string ChildrenRead(const ClassPlan& plan) {
    std::string any;
    for (const PropertyPlan& p : plan.properties) {
      if (p.attribute || p.simpleValue) continue;
      std::string one;
      switch (p.kind) {
        case PropertyPlan::collection:
        case PropertyPlan::values:
        case PropertyPlan::untypedCol:
          one = MadeOnFirstUse(p) ? "(" + p.member + " && " + p.member + "->GetCount() > 0)"
                                  : p.member + "->GetCount() > 0";
          break;
        case PropertyPlan::object:
        case PropertyPlan::untyped:
          if (!p.optional) return "true";
          one = p.member;
          break;
        default:
          if (!p.optional && !p.nillable) return "true";
          one = p.nilFlag ? p.member + " || " + p.member + "Nil" : p.member;
          if (p.nillable && !p.nilFlag) return "true";
          break;
      }
      any += (any.empty() ? "" : " || ") + one;
    }
    return any.empty() ? "false" : any;
  }

  static std::string UntypedNote(const PropertyPlan& p) {
    if (!p.wildcard.empty() && p.xmlName == L"AnyElement") {
      return std::string(p.kind == PropertyPlan::untypedCol ? "Elements" : "The element") +
             " of the wildcard (namespaces \"" + CommentText(p.wildcard) + "\")";
    }
    return "Untyped content of the " + CommentText(p.xmlName) + " element" +
           (p.kind == PropertyPlan::untypedCol ? "s" : "");
  }

  void Accessors(std::ostringstream& out, const PropertyPlan& p) {
    const std::string get = "Get" + p.name, set = "Set" + p.name;
    if (p.kind == PropertyPlan::object && p.elementChoice) {
      // The element factory may store a derived class: a pointer either way.
      out << "  // Of the declared class or one derived from it"
          << (p.optional ? "; null when the element is absent" : "") << ".\n  "
          << QClass(p.itemClass) << "* " << get << "() const { return " << p.member
          << ".Get(); }\n  void " << set << "(" << QClass(p.itemClass) << "* value);\n";
      return;
    }
    if (p.kind == PropertyPlan::object && !p.optional) {
      out << "  " << QClass(p.itemClass) << "& " << get << "() const { return *" << p.member
          << "; }\n";
      return;
    }
    if (p.kind == PropertyPlan::object) {
      // The setter is out of line: the item class may not be complete here.
      out << "  // Null when the element is absent.\n  " << QClass(p.itemClass) << "* " << get
          << "() const { return " << p.member << ".Get(); }\n  void " << set << "("
          << QClass(p.itemClass) << "* value);\n";
      return;
    }
    if (p.kind == PropertyPlan::collection || p.kind == PropertyPlan::values) {
      const std::string type = p.kind == PropertyPlan::values ? ValuesClass(p) : p.collectionClass;
      if (MadeOnFirstUse(p)) {
        out << "  // Made on first use.\n  " << type << "& " << get << "() const;\n";
      } else {
        out << "  " << type << "& " << get << "() const { return *" << p.member << "; }\n";
      }
      return;
    }
    if (p.kind == PropertyPlan::untyped) {
      out << "  // " << UntypedNote(p) << (p.optional ? "; null when absent" : "")
          << ".\n  Korvel::CElement* " << get << "() const { return " << p.member
          << ".Get(); }\n  void " << set << "(Korvel::CElement* value) { " << p.member
          << " = value; }\n";
      return;
    }
    if (p.kind == PropertyPlan::untypedCol) {
      out << "  // " << UntypedNote(p) << (MadeOnFirstUse(p) ? "; made on first use" : "")
          << ".\n  Korvel::CElementCol& " << get << "() const"
          << (MadeOnFirstUse(p) ? ";\n" : " { return *" + p.member + "; }\n");
      return;
    }
    if (p.kind == PropertyPlan::anyAttribute) {
      out << "  // The attributes of the wildcard (namespaces \"" << CommentText(p.wildcard)
          << "\"); made on first use.\n  Korvel::CAttributeCol& " << get << "() const;\n";
      return;
    }
    std::string note;
    if (p.attribute) {
      note = "Attribute " + CommentText(p.xmlName);
      if (!p.optional) note += ", required";
      if (p.fixed) note += ", fixed \"" + CommentText(p.fixedValue) + "\"";
      if (p.hasDefault) note += ", default \"" + CommentText(p.defaultValue) + "\"";
    } else if (p.hasDefault) {
      note = "Default \"" + CommentText(p.defaultValue) + "\"";
    }
    const std::wstring& typeName = p.simple.description;
    if (!IsEnum(p) && (FindBuiltin(typeName) == nullptr || HasFacets(p.simple.facets))) {
      note += (note.empty() ? "" : ", ") + CommentText(typeName);
      if (!p.simple.facets.pattern.empty()) note += " (" + CommentText(p.simple.facets.pattern) + ")";
    }
    if (p.nillable && !p.nilFlag) note += std::string(note.empty() ? "" : ", ") + "Empty when nil";
    if (p.nilFlag) note += std::string(note.empty() ? "" : ", ") + "Empty when absent or nil";
    if (p.mixedText) note = "The text of the mixed content, written after the child elements";
    if (!note.empty()) out << "  // " << note << ".\n";
    const std::string type = FieldType(p);
    const bool byReference = type.find('<') != std::string::npos || IsClassType(p) || IsString(p);
    out << "  " << (byReference ? "const " + type + "&" : type) << " " << get
        << "() const { return " << p.member << "; }\n";
    if (p.nilFlag) {
      out << "  // The element is there, nil (xsi:nil); setting a value clears it.\n  bool Is"
          << p.name << "Nil() const { return " << p.member << "Nil; }\n  void Set" << p.name
          << "Nil() {\n    " << p.member << ".reset();\n    " << p.member << "Nil = true;\n  }\n";
    }
    if (p.fixed) return;
    if (p.nilFlag) {
      out << "  void " << set << "(" << type << " value) {\n    " << p.member
          << " = std::move(value);\n    " << p.member << "Nil = false;\n  }\n";
    } else if (p.optional || p.nillable) {
      out << "  void " << set << "(" << type << " value) { " << p.member
          << " = std::move(value); }\n";
    } else {
      out << "  void " << set << "(" << (byReference ? "const " + type + "&" : type)
          << " value) { " << p.member << " = value; }\n";
    }
  }

  std::string Source() {
    std::ostringstream out;
    bool anyOptional = false;
    std::set<std::string> rules;
    for (const ClassPlan* plan : m_order) {
      for (const PropertyPlan& p : plan->properties) {
        if (p.kind != PropertyPlan::primitive) continue;
        if (!IsEnum(p) && !p.simpleValue) rules.insert(p.simple.whitespace);
        if (p.optional && !(p.fixed && IsString(p))) anyOptional = true;
      }
    }
    out << "// Generated by korvel-xsd from the schema; do not edit.\n#include \""
        << m_files.baseName << ".h"
        << "\"\n\n#include <korvel/conversions.h>\n#include <korvel/critical_section.h>\n"
           "#include <korvel/errors.h>\n#include <korvel/variant.h>\n#include <korvel/xml_document.h>\n\n#include <string_view>\n\nnamespace "
        << m_files.cppNamespace
        << " {\n\nusing namespace Korvel;\nusing namespace KorvelData;\n"
           "using namespace std::string_view_literals;\n\nnamespace {\n\n";
    for (const std::string& rule : rules) {
      out << "constexpr auto " << RuleConstant(rule) << " = CWhitespaceUtils::" << rule << ";\n";
    }
    if (anyOptional) {
      out << "\n// Property helpers shared by the generated accessors.\n"
             "// Carrier is the KvVariant of AccessProperty or the CMemberView of ViewMember.\n"
             "template <class T, class Carrier, class Set>\n"
             "void GetOptional(const std::optional<T>& field, Carrier& value, Set set) {\n"
             "  if (field) {\n    set(value, *field);\n  } else {\n    value.SetInvalid();\n  }\n}\n\n"
             "bool HasValue(const KvVariant& value) { return value.IsValid() && !value.IsNil(); }\n";
    }
    for (const ClassPlan* plan : m_order) {
      for (const PropertyPlan& p : plan->properties) {
        if (p.fixedEnumerator < 0) continue;
        out << "\n// " << CommentText(p.xmlName) << " of " << plan->name.substr(1)
            << " has the fixed value \"" << CommentText(p.fixedValue) << "\".\nint "
            << FixedReader(*plan, p) << "(const wchar_t* text) {\n  const int value = "
            << StringTo(p.simple.enumeration) << "(text);\n  if (value != " << p.fixedEnumerator
            << ") {\n    throw CKvInvalidValueException(\n        FormatString(L\"[%s] is not the "
               "fixed value %s\", text, "
            << Literal(p.fixedValue) << "));\n  }\n  return value;\n}\n";
      }
    }
    out << "\n}  // namespace\n\n"
           "// The metadata of one class, built on first use under m_csInit and released at "
           "exit.\n";
    const std::vector<std::string> macro = {
        "#define " + m_macro + "(Class)",
        "  struct Class::MetaData {",
        "    MetaData();",
        "    ~MetaData() {",
        "      CKVCriticalSectionLock lock(m_csInit);",
        "      CleanMetaData(classInfo, elementInfo, attributeInfo);",
        "    }",
        "    CParentElementInfo* classInfo = nullptr;",
        "    CElementInfo** elementInfo = nullptr;",
        "    CAttributeInfo** attributeInfo = nullptr;",
        "  };",
        "  const Class::MetaData& Class::GetMetaData() {",
        "    static const MetaData metaData;",
        "    return metaData;",
        "  }",
        "  CParentElementInfo* Class::GetClassInfo() const { return GetMetaData().classInfo; }",
        "  CElementInfo** Class::GetClassElementInfo() const { return GetMetaData().elementInfo; }",
        "  CAttributeInfo** Class::GetClassAttributeInfo() const { return "
        "GetMetaData().attributeInfo; }"};
    size_t width = 0;
    for (const std::string& line : macro) width = std::max(width, line.size());
    for (size_t i = 0; i < macro.size(); ++i) {
      out << macro[i];
      if (i + 1 < macro.size()) out << std::string(width + 1 - macro[i].size(), ' ') << "\\";
      out << "\n";
    }
    out << "\n";
    for (const auto& e : m_plan.enums) {
      if (!Mine(e.get())) continue;
      // Views of the literals: a text is compared by its length first, and
      // neither it nor the values are measured or copied per comparison.
      out << "// " << e->name << ".\n\nnamespace {\nconstexpr std::wstring_view k" << e->name
          << "Values[] = {";
      for (const std::wstring& value : e->values) out << Literal(value) << "sv, ";
      const std::string values = "k" + e->name + "Values";
      const std::string find = "  for (int i = 0; i < " + std::to_string(e->values.size()) +
                               "; ++i) {\n    if (value == " + values + "[i]) return i;\n  }\n";
      out << "};\n}  // namespace\n\nconst wchar_t* " << e->name
          << "ToString(int value) {\n  if (value < 0 || value >= " << e->values.size()
          << ") {\n    throw CKvInvalidValueException(\n        FormatString(L\"%d is no value of "
             "the enumeration %s\", value, "
          << Literal(e->xsdName) << "));\n  }\n  return " << values
          << "[value].data();\n}\n\nint StringTo" << e->name << "(const wchar_t* text) {\n";
      if (!e->collapse) {
        out << "  const std::wstring_view value(text);\n" << find;
      } else if (std::all_of(e->values.begin(), e->values.end(), IsCollapsed)) {
        // Text already in its collapsed form, as documents mostly hold it,
        // is found without collapsing a copy.
        out << "  const std::wstring_view exact(text);\n  for (int i = 0; i < " << e->values.size()
            << "; ++i) {\n    if (exact == " << values << "[i]) return i;\n  }\n"
            << "  const std::wstring value = CWhitespaceUtils::Collapse(text);\n" << find;
      } else {
        out << "  const std::wstring value = CWhitespaceUtils::Collapse(text);\n" << find;
      }
      out << "  throw CKvInvalidValueException(\n      FormatString(L\"[%s] is no value of the "
             "enumeration %s\", text, "
          << Literal(e->xsdName) << "));\n}\n\n";
      if (!e->collectionClass.empty()) EnumCollectionDefinition(out, *e);
    }
    out << "// CClassFactory.\n\nCSmartPtr<CXmlObjectBase> CClassFactory::CreateClass(int classId, "
           "const wchar_t* elementName) {\n  switch (classId) {\n";
    for (const ClassPlan* plan : m_order) {
      out << "    case ClassId_" << plan->name.substr(1) << ":\n      return new " << plan->name
          << "(elementName);\n";
    }
    out << "    default:\n      throw CKvInvalidParamException(FormatString(L\"Unknown class id "
           "%d\", classId));\n  }\n}\n";
    for (const ElementChoice* choice : MyChoices()) FactoryDefinition(out, *choice);
    for (const ClassPlan* plan : m_order) {
      for (const PropertyPlan* p : OwnProperties(*plan)) {
        if (p->kind == PropertyPlan::collection) CollectionDefinition(out, *p);
      }
      ClassDefinition(out, *plan);
    }
    out << "\n#undef " << m_macro << "\n\n}  // namespace " << m_files.cppNamespace << "\n";
    return out.str();
  }

  // Names of classes, enumerations and class ids, qualified when they live in
  // another namespace's files.
  std::string Qualify(const std::wstring& ns, const std::string& name) const {
    return ns == m_mine ? name : m_groups.at(ns).cppNamespace + "::" + name;
  }
  std::string QClass(const ClassPlan* c) const { return Qualify(c->schemaNamespace, c->name); }
  std::string QEnum(const EnumPlan* e) const { return Qualify(e->schemaNamespace, e->name); }
  std::string QId(const ClassPlan* c) const {
    return Qualify(c->schemaNamespace, "ClassId_" + c->name.substr(1));
  }
  std::string QFactory(const ClassPlan* c) const {
    return c->schemaNamespace == m_mine ? "factory"
                                        : "&" + Qualify(c->schemaNamespace, "CClassFactory::CreateClass");
  }
  std::string QChoice(const ElementChoice* c) const {
    return Qualify(c->schemaNamespace, "CClassFactory::" + c->factory);
  }
  std::string StringTo(const EnumPlan* e) const {
    return Qualify(e->schemaNamespace, "StringTo" + e->name);
  }
  bool Mine(const ClassPlan* c) const { return c->schemaNamespace == m_mine; }
  bool Mine(const EnumPlan* e) const { return e->schemaNamespace == m_mine; }

  std::string ValueType(const PropertyPlan& p) {
  return IsEnum(p) ? QEnum(p.simple.enumeration) : p.simple.builtin->cppType;
}

  // The facet check of a simple value, by a collection of its kind that holds
  // nothing. Collections of the plain kinds check without adding; the date
  // and enumeration collections add the value and empty themselves again, one
  // collection per thread, so that reading allocates nothing.
  std::string FacetCheck(const ClassPlan& plan, const PropertyPlan& p, const std::string& value) {
    const std::string facets = Restrictions(p.simple.facets);
    const std::string made = ValuesClass(p) + " facets(" + Literal(plan.infoName) + ", " +
                             Literal(plan.xmlNamespace) + ", 0, -1, " +
                             facets.substr(1, facets.size() - 2) +
                             ", CWhitespaceUtils::ws_none, nullptr);";
    static const std::set<std::string> kDateKinds = {"it_date", "it_datetime", "it_time",
                                                     "it_yearMonth", "it_monthDay"};
    if (p.simple.enumeration == nullptr && kDateKinds.count(p.simple.builtin->itemType) == 0) {
      return "      {\n" + Wrap("        ", "static const " + made) +
             "\n        facets.CheckValue(" + value + ");\n      }\n";
    }
    return "      {\n" + Wrap("        ", "thread_local " + made) + "\n        facets.Add(" +
           value + ");\n        facets.Clear();\n      }\n";
  }

  // The library's typed collection of the property's kind, such as Ci4Col.
  // For an enumeration, its generated collection.
  std::string ValuesClass(const PropertyPlan& p) const {
    if (const EnumPlan* e = p.simple.enumeration) {
      return Qualify(e->schemaNamespace, e->collectionClass);
    }
    return "Korvel::C" + std::string(p.simple.builtin->itemType).substr(3) + "Col";
  }

  // A new, empty collection for a collection, values or attribute wildcard property.
  std::string NewCollection(const PropertyPlan& p) {
    if (p.kind == PropertyPlan::collection) return "new " + p.collectionClass;
    if (p.kind == PropertyPlan::anyAttribute) {
      return "new CAttributeCol(L\"\", " + Literal(p.wildcard) + ", " + Literal(p.wildcardTarget) + ")";
    }
    if (p.kind == PropertyPlan::untypedCol) {
      return "new CElementCol(" + Literal(p.wildcard.empty() ? p.xmlNamespace : NewElementNamespace(p)) +
             ", " + Literal(Constraint(p)) + ", " + Literal(p.wildcardTarget) + ", " +
             std::to_string(p.minOccurs) + ", " + std::to_string(p.maxOccurs) + ")";
    }
    std::string made = "new " + ValuesClass(p) + "(" + Literal(p.xmlName) + ", " +
                       Literal(p.xmlNamespace) + ", " + std::to_string(p.minOccurs) + ", " +
                       std::to_string(p.maxOccurs);
    if (IsEnum(p)) return made + ")";
    const std::string facets = Restrictions(p.simple.facets);
    return made + ", " + facets.substr(1, facets.size() - 2) + ", CWhitespaceUtils::" +
           p.simple.whitespace + ", nullptr)";
  }

  // Every element name an object of the class (or of a class derived from
  // it, whose constructor passes its name through) may be made for: the
  // default first, then the names of the members and substitutes of its type.
  std::vector<std::wstring> ElementNamesOf(const ClassPlan& plan) const {
    std::vector<std::wstring> names{plan.defaultElementName};
    const auto add = [&names](const std::wstring& name) {
      if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
      }
    };
    const auto isOrDerives = [&plan](const ClassPlan* c) {
      for (; c != nullptr; c = c->base) {
        if (c == &plan) return true;
      }
      return false;
    };
    for (const auto& c : m_plan.classes) {
      if (!isOrDerives(c.get())) continue;
      add(c->defaultElementName);
      for (const std::wstring& name : c->ownElementNames) add(name);
    }
    for (const auto& c : m_plan.classes) {
      for (const PropertyPlan& p : c->properties) {
        if ((p.kind == PropertyPlan::object || p.kind == PropertyPlan::collection) &&
            isOrDerives(p.itemClass)) {
          add(p.xmlName);
        }
      }
    }
    for (const auto& choice : m_plan.choices) {
      for (const ElementChoice::Candidate& candidate : choice->candidates) {
        if (std::any_of(candidate.classes.begin(), candidate.classes.end(), isOrDerives)) {
          add(candidate.element.local);
        }
      }
    }
    return names;
  }

  // Typed collections (of enumerations too) are made as copies of one
  // prototype per member: copies share the facets (parsed once, not once per object), the
  // element name and the namespace, so that each costs only itself.
  static bool IsCopiedFromPrototype(const PropertyPlan& p) { return p.kind == PropertyPlan::values; }
  // Wildcard collections are clones of an empty prototype, sharing its wildcard.
  static bool IsClonedFromPrototype(const PropertyPlan& p) {
    return p.kind == PropertyPlan::anyAttribute || p.kind == PropertyPlan::untypedCol;
  }
  std::string PrototypeClass(const PropertyPlan& p) const {
    if (p.kind == PropertyPlan::anyAttribute) return "CAttributeCol";
    if (p.kind == PropertyPlan::untypedCol) return "CElementCol";
    return ValuesClass(p);
  }

  // "static const Korvel::CstringCol prototype(...);" for such a member.
  std::string PrototypeDefinition(const PropertyPlan& p, const std::string& indent) {
    const std::string type = PrototypeClass(p);
    const std::string made = NewCollection(p);
    return Wrap(indent, "static const " + type + " prototype" + made.substr(4 + type.size()) + ";");
  }
  // A new collection made from that prototype.
  std::string FromPrototype(const PropertyPlan& p) const {
    if (IsClonedFromPrototype(p)) return "prototype.Clone()";
    return "new " + PrototypeClass(p) + "(prototype)";
  }

  static bool IsCollection(const PropertyPlan& p) {
    return p.kind == PropertyPlan::collection || p.kind == PropertyPlan::values ||
           p.kind == PropertyPlan::untypedCol || p.kind == PropertyPlan::anyAttribute;
  }

  // A collection made on first use: the attributes of a wildcard, and a
  // collection of elements with no lower bound, so that an absent one reads
  // and writes as an empty one. Most objects leave most of their collections
  // empty.
  static bool MadeOnFirstUse(const PropertyPlan& p) {
    if (p.kind == PropertyPlan::anyAttribute) return true;
    const bool elements = p.kind == PropertyPlan::values || p.kind == PropertyPlan::collection ||
                          p.kind == PropertyPlan::untypedCol;
    return elements && p.minOccurs == 0 && p.maxOccurs != 0;
  }

  std::string FieldType(const PropertyPlan& p) {
  switch (p.kind) {
    case PropertyPlan::object:
      return "CSmartPtr<" + QClass(p.itemClass) + ">";
    case PropertyPlan::collection:
      return "CSmartPtr<" + p.collectionClass + ">";
    case PropertyPlan::values:
      return "CSmartPtr<" + ValuesClass(p) + ">";
    case PropertyPlan::untyped:
      return "CSmartPtr<Korvel::CElement>";
    case PropertyPlan::untypedCol:
      return "CSmartPtr<Korvel::CElementCol>";
    case PropertyPlan::anyAttribute:
      return "CSmartPtr<Korvel::CAttributeCol>";
    case PropertyPlan::primitive:
      break;
  }
  const std::string type = ValueType(p);
  const bool plain = (!p.optional && !p.nillable) || (p.fixed && IsString(p));
  return plain ? type : "std::optional<" + type + ">";
}

  static std::string RuleConstant(const std::string& rule) {
    return rule == "ws_none" ? "kNone" : rule == "ws_replace" ? "kReplace" : "kCollapse";
  }

  void CollectionDefinition(std::ostringstream& out, const PropertyPlan& p) {
    const std::string& c = p.collectionClass;
    const std::string item = QClass(p.itemClass);
    const std::string name = Literal(p.xmlName), ns = Literal(p.xmlNamespace);
    // The collections of every object share their element name.
    out << "\n// " << c << ".\n\n" << c << "::" << c << "() : CXmlCollection(nullptr, nullptr, "
        << p.minOccurs << ", " << p.maxOccurs << ") {\n  static const std::wstring kElementName("
        << name << ");\n  SetElementName(kElementName.c_str(), kElementName);\n}\n\n"
        << "CSmartPtr<" << item << "> " << c << "::GetAt(int32_t index) const {\n  return static_cast<"
        << item << "*>(GetNodeAtIndex(index)->item.Get());\n}\n\n"
        << "void " << c << "::Add(" << item << "* item) { AppendItem(item); }\n\n";
    if (!p.itemClass->abstract) {
      out << "CSmartPtr<" << item << "> " << c << "::AddNew() {\n  CSmartPtr<" << item
          << "> item = new " << item << "(" << name
          << ");\n  AppendItem(item);\n  return item;\n}\n\n";
    }
    out << "void " << c
        << "::ToXml_Int(CXmlWriter* writer, bool, const wchar_t* ns,\n"
           "                const CSerializationContext& context, bool) const {\n"
           "  ItemsToXml_Int(writer, ns, context);\n}\n\n";
    if (p.itemClass->pseudo) {
      // The items are groups in the owner's element: each reads from where
      // the last one stopped, until one reads nothing.
      out << "CXmlElement* " << c
          << "::FromXml_Int(CXmlElement* element, CXmlElement* current,\n"
             "                const CSerializationContext& context, bool) {\n"
             "  // No item is made where none may start, unless unknown elements are skipped.\n"
             "  const bool skipping = context.GetIgnoreUnknownElements();\n"
             "  while (current && (GetMaxOccurs() < 0 || GetCount() < GetMaxOccurs())) {\n"
             "    if (!skipping && !"
          << item << "::MayStartAt(context, current)) break;\n"
             "    CSmartPtr<"
          << item << "> item = new " << item << "(" << name
          << ");\n    CXmlElement* rest = FromXmlNew_Int(item, element, current, context);\n"
             "    if (rest == current) break;\n    AppendItem(item);\n    current = rest;\n  }\n"
             "  return current;\n}\n";
      return;
    }
    if (p.elementChoice) {
      // The element factory knows the substitutes and xsi:type.
      out << "CXmlElement* " << c
          << "::FromXml_Int(CXmlElement*, CXmlElement* current,\n"
             "                const CSerializationContext& context, bool) {\n"
             "  while (current) {\n    CSmartPtr<CXmlObjectBase> item = "
          << QChoice(p.elementChoice)
          << "(current);\n    if (!item) break;\n"
             "    FromXmlNew_Int(item, current, current->GetFirstElement(), context);\n"
             "    AppendItem(item);\n    current = current->GetNextSiblingElement();\n  }\n"
             "  return current;\n}\n";
      return;
    }
    out << "CXmlElement* " << c
        << "::FromXml_Int(CXmlElement*, CXmlElement* current,\n"
           "                const CSerializationContext& context, bool) {\n"
           "  while (current && DoesElementNameMatch(context, current, "
        << name << "sv, " << ns << "sv)) {\n    CSmartPtr<" << item << "> item = new " << item
        << "("
        << name
        << ");\n    FromXmlNew_Int(item, current, current->GetFirstElement(), context);\n"
           "    AppendItem(item);\n    current = current->GetNextSiblingElement();\n  }\n"
           "  return current;\n}\n";
  }

  // The getters that make their collection on first use, and PeekCollection,
  // which shows every collection member as it stands.
  void FirstUseDefinitions(std::ostringstream& out, const ClassPlan& plan,
                           const std::vector<const PropertyPlan*>& own) {
    std::string cases, made;
    for (const PropertyPlan* p : own) {
      if (!IsCollection(*p)) continue;
      const std::string& m = p->member;
      cases += "    case Property_" + p->name + ":\n      return " + m + ".Get();\n";
      if (!MadeOnFirstUse(*p)) continue;
      made += "    case Property_" + p->name + ":\n      return &Get" + p->name + "();\n";
      const std::string type = p->kind == PropertyPlan::values         ? ValuesClass(*p)
                               : p->kind == PropertyPlan::anyAttribute ? std::string("CAttributeCol")
                               : p->kind == PropertyPlan::untypedCol   ? std::string("CElementCol")
                                                                       : p->collectionClass;
      out << type << "& " << plan.name << "::Get" << p->name << "() const {\n";
      if (IsCopiedFromPrototype(*p) || IsClonedFromPrototype(*p)) {
        out << PrototypeDefinition(*p, "  ") << "\n  if (!" << m << ") " << m << " = "
            << FromPrototype(*p) << ";\n";
      } else {
        out << "  if (!" << m << ") " << m << " = " << NewCollection(*p) << ";\n";
      }
      out << "  return *" << m << ";\n}\n\n";
    }
    if (cases.empty()) return;
    out << "CSmartPtr<CXmlCollectionBase> " << plan.name
        << "::PeekCollection(int propertyIndex) const {\n  switch (propertyIndex) {\n" << cases
        << "    default:\n      return " << BaseClass(plan)
        << "::PeekCollection(propertyIndex);\n  }\n}\n\n";
    if (made.empty()) return;
    out << "CXmlCollectionBase* " << plan.name
        << "::MakeCollection(int propertyIndex) const {\n  switch (propertyIndex) {\n" << made
        << "    default:\n      return " << BaseClass(plan)
        << "::MakeCollection(propertyIndex);\n  }\n}\n\n";
  }

  void ClassDefinition(std::ostringstream& out, const ClassPlan& plan) {
    const std::string& c = plan.name;
    m_group = plan.group;
    m_class = &plan;
    out << "\n// " << c << ".\n\n" << m_macro << "(" << c << ")\n\n" << c
        << "::MetaData::MetaData() {\n  CKVCriticalSectionLock lock(m_csInit);\n";
    bool usesFactory = false, usesNone = false;
    const PropertyPlan* simple = nullptr;
    for (const PropertyPlan& p : plan.properties) {
      if (p.simpleValue) simple = &p;
    }
    size_t elements = 0, attributes = 0;
    for (const PropertyPlan& p : plan.properties) {
      if (p.simpleValue) continue;
      (p.attribute ? attributes : elements)++;
      usesFactory = usesFactory ||
                    (p.kind == PropertyPlan::object && !p.elementChoice && Mine(p.itemClass));
      usesNone = usesNone || (p.kind == PropertyPlan::primitive && !p.simpleValue && !IsEnum(p) &&
                              !HasFacets(p.simple.facets));
    }
    if (usesFactory) out << "  const ClassFactory factory = &CClassFactory::CreateClass;\n";
    if (usesNone) out << "  const CPrimitiveRestrictions none;\n";
    for (const PropertyPlan& p : plan.properties) {
      if (NeedsRestrictions(p)) {
        out << Wrap("  ", "const CPrimitiveRestrictions r" + p.name + Restrictions(p.simple.facets) + ";")
            << "\n";
      }
    }
    out << "  elementInfo = new CElementInfo*[" << elements + 1 << "]{\n";
    for (const PropertyPlan& p : plan.properties) {
      if (!p.attribute && !p.simpleValue) out << Wrap("      ", ElementInfo(p) + ",") << "\n";
    }
    out << "      nullptr};\n  attributeInfo = new CAttributeInfo*[" << attributes + 1 << "]{\n";
    // Wildcards last: the first description that accepts an attribute keeps it.
    for (const bool wildcard : {false, true}) {
      for (const PropertyPlan& p : plan.properties) {
        if (p.attribute && (p.kind == PropertyPlan::anyAttribute) == wildcard) {
          out << Wrap("      ", AttributeInfo(p) + ",") << "\n";
        }
      }
    }
    out << "      nullptr};\n  classInfo = new CParentElementInfo(XmlElementGroupType_"
        << (plan.group == ClassPlan::choice ? "Choice" : plan.group == ClassPlan::all ? "All" : "Sequence")
        << (plan.pseudo ? ", XmlElementType_PseudoElement," : ", XmlElementType_Element,")
        << "\n                                     "
        << Literal(plan.infoName) << ", " << Literal(plan.xmlNamespace)
        // A group reads its owner's element, whose attributes are the owner's.
        << (plan.pseudo ? ", false, " : ", true, ")
        << (plan.base ? "true, " : "false, ")
        << (simple ? "Property_" + simple->name + ", " + SimpleItemType(*simple)
                   : std::string("-1, it_none"))
        // Simple content other than text reaches the class as text, to be
        // parsed under its type's whitespace rule.
        << ", nullptr, " << (simple && !IsString(*simple) ? "true" : "false") << ");\n}\n\n";

    // Constructor and Init.
    const std::vector<const PropertyPlan*> own = OwnProperties(plan);
    const std::string base = plan.base ? QClass(plan.base) : "";
    out << c << "::" << c << "(const wchar_t* elementName)";
    bool first = true;
    if (plan.base) {
      out << "\n    : " << base << "(elementName)";
      first = false;
    }
    std::string prototypeCopies;
    for (const PropertyPlan* p : own) {
      if (MadeOnFirstUse(*p)) {
        continue;
      } else if (IsCopiedFromPrototype(*p) || IsClonedFromPrototype(*p)) {
        prototypeCopies += "  {\n" + PrototypeDefinition(*p, "    ") + "\n    " + p->member +
                           " = " + FromPrototype(*p) + ";\n  }\n";
        continue;
      } else if (p->kind == PropertyPlan::collection) {
        out << (first ? "\n    : " : ", ") << p->member << "(" << NewCollection(*p) << ")";
      } else {
        continue;
      }
      first = false;
    }
    // Objects under the default name share it instead of copying it.
    // Objects share their element name with the class instead of copying it.
    std::string names;
    for (const std::wstring& name : ElementNamesOf(plan)) {
      names += (names.empty() ? "" : ", ") + Literal(name);
    }
    out << " {\n" << prototypeCopies
        << Wrap("  ", "static const std::wstring kElementNames[] = {" + names + "};")
        << "\n  SetElementName(elementName, kElementNames);\n";
    if (plan.base) {
      // Each constructor initialises its own level once.
      out << "  // The base's constructor has initialised the base's members.\n  InitMembers();\n"
          << "}\n\nvoid " << c << "::Init() {\n  " << base << "::Init();\n  InitMembers();\n"
          << "}\n\nvoid " << c << "::InitMembers() {\n";
    } else {
      out << "  Init();\n}\n\nvoid " << c << "::Init() {\n";
    }
    if (plan.nillable) out << "  m_nil = false;\n";
    for (const PropertyPlan* own_p : own) {
      const PropertyPlan& p = *own_p;
      const std::string& m = p.member;
      switch (p.kind) {
        case PropertyPlan::object:
          out << "  " << m << " = "
              << (p.optional || p.itemClass->abstract
                      ? "nullptr"
                      : "new " + QClass(p.itemClass) + "(" + Literal(p.xmlName) + ")")
              << ";\n";
          break;
        case PropertyPlan::collection:
        case PropertyPlan::values:
        case PropertyPlan::untypedCol:
        case PropertyPlan::anyAttribute:
          out << "  " << (MadeOnFirstUse(p) ? "if (" + m + ") " : "") << m << "->Clear();\n";
          break;
        case PropertyPlan::untyped:
          // A mandatory element of a given name starts out empty; a wildcard
          // has no name to start with.
          if (p.optional || !p.wildcard.empty()) {
            out << "  " << m << " = nullptr;\n";
          } else {
            out << "  " << m << " = new CElement(" << Literal(p.xmlName) << ", "
                << Literal(p.xmlNamespace) << ", " << Literal(Constraint(p)) << ", "
                << Literal(p.wildcardTarget) << ");\n";
          }
          break;
        case PropertyPlan::primitive:
          if (p.nilFlag) out << "  " << m << "Nil = false;\n";
          if (p.fixed && IsString(p)) {
            out << "  " << m << " = " << Literal(p.fixedValue) << ";\n";
          } else if (p.nillable && !p.nilFlag) {
            out << "  " << m << ".emplace();\n";
          } else if (p.optional) {
            out << "  " << m << ".reset();\n";
          } else if (IsString(p)) {
            out << "  " << m << ".clear();\n";
          } else if (p.fixedEnumerator >= 0) {
            out << "  " << m << " = static_cast<" << ValueType(p) << ">(" << p.fixedEnumerator
                << ");\n";
          } else {
            out << "  " << m << " = " << ValueType(p) << "();\n";
          }
          break;
      }
    }
    out << "}\n\n";
    FirstUseDefinitions(out, plan, own);
    out << "void " << c << "::AccessProperty(int propertyIndex, "
        << (own.empty() && !plan.base ? "bool, KvVariant&" : "bool get, KvVariant& value")
        << ") {\n";
    if (plan.restrictedValue >= 0) {
      const PropertyPlan& p = plan.properties[static_cast<size_t>(plan.restrictedValue)];
      out << "  if (propertyIndex == Property_" << p.name << " && !get) {\n"
          << "    // The base stores the value; this type's narrower facets hold as well.\n    "
          << base << "::AccessProperty(propertyIndex, get, value);\n";
      std::ostringstream checks;
      if (HasFacets(p.simple.facets)) checks << FacetCheck(plan, p, "Get" + p.name + "()");
      PatternChecks(checks, p, "Get" + p.name + "()");
      // The checks are written for a case body: two more spaces of indent there.
      std::string body = checks.str(), shifted;
      for (size_t at = 0; at < body.size();) {
        const size_t end = body.find('\n', at);
        const std::string line = body.substr(at, end - at);
        shifted += (line.size() >= 2 ? line.substr(2) : line) + "\n";
        at = end + 1;
      }
      out << shifted << "    return;\n  }\n";
    }
    if (!own.empty()) out << "  switch (propertyIndex) {\n";
    for (const PropertyPlan* own_p : own) {
      const PropertyPlan& p = *own_p;
      out << "    case Property_" << p.name << ":\n";
      const std::string& m = p.member;
      // The store is this class's own, not a subclass's: a subclass declines
      // StoreObjectProperty so that the reader comes here, and would else
      // store nothing.
      if (IsCollectionKind(p)) {
        out << "      if (get) return value.SetXmlCollection("
            << (MadeOnFirstUse(p) ? "&Get" + p.name + "()" : m) << ");\n"
            << "      " << c << "::StoreObjectProperty(propertyIndex, value.GetXmlCollection());\n"
            << "      return;\n";
      } else if (IsObjectKind(p)) {
        out << "      if (get) return value.SetXmlObject(" << m << ");\n"
            << "      " << c << "::StoreObjectProperty(propertyIndex, value.GetXmlObject());\n"
            << "      return;\n";
      } else if (p.nilFlag) {
        const std::string v = IsEnum(p) ? "I4" : p.simple.builtin->variant;
        const std::string in = IsEnum(p) ? "static_cast<int32_t>(*" + m + ")" : "*" + m;
        const std::string read = IsEnum(p) ? "static_cast<" + ValueType(p) + ">(value.GetI4())"
                                           : "value.Get" + v + "()";
        // Absent, nil or a value: three states that the variant tells apart.
        out << "      if (get) {\n        if (" << m << "Nil) return value.SetNil();\n        if ("
            << m << ") return value.Set" << v << "(" << in
            << ");\n        return value.SetInvalid();\n      }\n      " << m
            << "Nil = value.IsValid() && value.IsNil();\n      if (HasValue(value)) {\n        "
            << m << " = " << read << ";\n      } else {\n        " << m << ".reset();\n      }\n"
            << "      return;\n";
      } else {
        const std::string v = IsEnum(p) ? "I4" : p.simple.builtin->variant;
        // Enumerations travel as their enumerator's number.
        const std::string in = IsEnum(p) ? "static_cast<int32_t>(f)" : "f";
        const std::string out1 = IsEnum(p) ? "static_cast<" + ValueType(p) + ">(value.GetI4())"
                                           : "value.Get" + v + "()";
        if (p.nillable) {
          // An empty field is a nil element.
          out << "      if (get) return " << m << " ? void(value.Set" << v << "("
              << (IsEnum(p) ? "static_cast<int32_t>(*" + m + ")" : "*" + m)
              << ")) : value.SetNil();\n      return value.IsNil() ? " << m << ".reset() : void("
              << m << " = " << out1 << ");\n";
        } else if (!p.simpleValue && !p.simple.morePatterns.empty()) {
          // A string that more than one pattern restricts: the description
          // checks the first, the accessor the others.
          const std::string value = (p.optional || p.nillable) && !p.fixed ? "*" + m : m;
          out << "      if (get) {\n";
          if (p.nilFlag) out << "        if (" << m << "Nil) return value.SetNil();\n";
          if (value == m) {
            out << "        return value.SetString(" << m << ");\n";
          } else {
            out << "        return " << m << " ? value.SetString(*" << m << ") : value."
                << (p.nillable && !p.nilFlag ? "SetNil" : "SetInvalid") << "();\n";
          }
          out << "      }\n";
          if (p.nilFlag) out << "      " << m << "Nil = value.IsValid() && value.IsNil();\n";
          if (value == m) {
            out << "      " << m << " = value.GetString();\n";
          } else {
            out << "      if (!value.IsValid() || value.IsNil()) return " << m
                << ".reset();\n      " << m << " = value.GetString();\n";
          }
          PatternChecks(out, p, value);
          out << "      return;\n";
        } else if (p.simpleValue && IsEnum(p)) {
          // Simple content of an enumeration comes and goes as its text.
          const EnumPlan* e = p.simple.enumeration;
          out << "      if (get) return value.SetString(" << QEnum(e)
              << "ToString(static_cast<int>(" << m
              << ")));\n      if (value.GetTypeAsEnum() != it_string) {\n        return void(" << m
              << " = static_cast<" << ValueType(p) << ">(value.GetI4()));\n      }\n      " << m
              << " = static_cast<" << ValueType(p) << ">(" << StringTo(e)
              << "(value.GetString().c_str()));\n      return;\n";
        } else if (p.mixedText) {
          // As in untyped elements: around child elements, whitespace at the
          // ends of the text is layout (formatted output adds it), not content.
          out << "      if (get) return value.SetString(" << m << ");\n      " << m
              << " = value.GetString();\n      if (" << ChildrenRead(plan)
              << ") {\n        const size_t first = " << m
              << ".find_first_not_of(L\" \\t\\r\\n\");\n        " << m
              << " = first == std::wstring::npos ? std::wstring()\n"
              << std::string(m.size() + 32, ' ') << ": " << m << ".substr(first, " << m
              << ".find_last_not_of(L\" \\t\\r\\n\") - first + 1);\n      }\n      return;\n";
        } else if (p.simpleValue && (HasFacets(p.simple.facets) || !p.simple.morePatterns.empty() ||
                                     p.hasDefault ||
                                     std::string(p.simple.whitespace) != "ws_none")) {
          // The class description has no facets for simple content: the text
          // is normalised here, and the value checked as a typed collection
          // checks its items.
          out << "      if (get) return value.Set" << v << "(" << m << ");\n";
          if (!IsString(p)) {
            // The class takes its text as it is (the description parses
            // without a whitespace rule): parsed here under the type's rule,
            // which leaves blanks only empty when it collapses them.
            const std::string rule = p.simple.whitespace;
            const std::string empty =
                rule == "ws_collapse"
                    ? "text.find_first_not_of(L\" \\t\\r\\n\") == std::wstring::npos"
                    : "text.empty()";
            // Parsed straight into the member: the reader's carrier stays a string.
            const std::string parse = "CConversions::" +
                                      std::string(p.simple.builtin->itemType).substr(3) +
                                      "FromString(";
            out << "      if (value.GetTypeAsEnum() == it_string) {\n"
                   "        const std::wstring text = value.GetString();\n";
            if (p.hasDefault) {
              out << "        // An empty element has the default value.\n        " << m << " = "
                  << parse << empty << " ? " << Literal(p.defaultValue) << " : text, ";
            } else {
              // An empty element leaves the value unset.
              out << "        if (" << empty << ") return;\n        " << m << " = " << parse
                  << "text, ";
            }
            out << "CWhitespaceUtils::" << rule << ");\n      } else {\n        " << m << " = "
                << out1 << ";\n      }\n";
          } else {
            out << "      " << m << " = CWhitespaceUtils::ApplyRule(CWhitespaceUtils::"
                << p.simple.whitespace << ", " << out1 << ");\n";
          }
          if (IsString(p) && p.hasDefault) {
            out << "      if (" << m << ".empty()) " << m << " = " << Literal(p.defaultValue)
                << ";\n";
          }
          if (HasFacets(p.simple.facets)) out << FacetCheck(plan, p, m);
          PatternChecks(out, p, m);
          out << "      return;\n";
        } else if (p.optional && !(p.fixed && IsString(p))) {
          out << "      if (get) return GetOptional(" << m << ", value, [](KvVariant& v, auto& f) { v.Set"
              << v << "(" << in << "); });\n      return HasValue(value) ? void(" << m << " = " << out1
              << ") : " << m << ".reset();\n";
        } else {
          out << "      return get ? value.Set" << v << "("
              << (IsEnum(p) ? "static_cast<int32_t>(" + m + ")" : m) << ") : void(" << m << " = "
              << out1 << ");\n";
        }
      }
    }
    if (!own.empty()) out << "    default:\n      break;\n  }\n";
    if (plan.base) {
      out << "  " << base << "::AccessProperty(propertyIndex, get, value);\n}\n";
    } else {
      out << "  throw CKvInvalidParamException(FormatString(L\"Unknown property %d\", "
             "propertyIndex));\n}\n";
    }
    ViewMemberDefinition(out, plan, own);
    MembersToXmlDefinition(out, plan);
    AttributeMembersToXmlDefinition(out, plan);
    StoreObjectPropertyDefinition(out, plan, own);
    if (plan.pseudo) {
      out << "\nbool " << c
          << "::MayStartAt(const CSerializationContext& context,\n"
          << std::string(c.size() + 18, ' ') << "const CXmlElement* element) {\n"
             "  return IsElementInList(context, GetMetaData().elementInfo, element);\n}\n";
    }
    for (const PropertyPlan* own_p : own) {
      const PropertyPlan& p = *own_p;
      if (p.kind != PropertyPlan::object || (!p.optional && !p.elementChoice)) continue;
      out << "\nvoid " << c << "::Set" << p.name << "(" << QClass(p.itemClass) << "* value) { "
          << p.member << " = value; }\n";
    }
    if (!plan.ownElementNames.empty()) {
      // A class derived from this one still names itself.
      out << "\nbool " << c << "::NeedsTypeAttribute() const {\n"
          << "  if (GetClassInfo() == GetMetaData().classInfo) {\n"
             "    const std::wstring& name = ElementNameOf(this);\n";
      for (const std::wstring& name : plan.ownElementNames) {
        out << "    if (name == " << Literal(name) << "sv) return false;\n";
      }
      out << "  }\n  return " << BaseClass(plan) << "::NeedsTypeAttribute();\n}\n";
    }
    if (!plan.foreignSubstitutes.empty()) {
      out << "\nvoid " << c
          << "::ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* ns,\n"
             "                const CSerializationContext& context, bool isOptional) const {\n"
             "  const std::wstring& name = ElementNameOf(this);\n";
      for (const QName& e : plan.foreignSubstitutes) {
        out << "  if (name == " << Literal(e.local) << "sv) ns = " << Literal(e.ns) << ";\n";
      }
      out << "  " << BaseClass(plan) << "::ToXml_Int(writer, isRoot, ns, context, isOptional);\n}\n";
    }
  }

  void FactoryDefinition(std::ostringstream& out, const ElementChoice& choice) {
    out << "\nCSmartPtr<CXmlObjectBase> CClassFactory::" << choice.factory << "(CXmlElement* "
        << (choice.candidates.empty() ? "" : "element") << ") {\n";
    if (!choice.candidates.empty()) {
      // An element names a derived type with xsi:type; its own type needs none.
      out << "  const std::wstring& name = element->GetLocalName();\n"
             "  const std::wstring& ns = element->GetNamespaceURI();\n"
             "  const ElementTypeName type = GetElementTypeName(element);\n";
    }
    for (const ElementChoice::Candidate& c : choice.candidates) {
      out << "  if (name == " << Literal(c.element.local) << "sv && ns == " << Literal(c.element.ns)
          << "sv) {\n    if (type.localName.empty()) return "
          << (c.declared->abstract ? std::string("nullptr")
                                   : "new " + QClass(c.declared) + "(name.c_str())")
          << ";\n";
      for (const ClassPlan* k : c.classes) {
        const std::string test = "if (type.localName == " + Literal(k->infoName) +
                                 "sv && type.namespaceUri == " + Literal(k->xmlNamespace) + "sv)";
        const std::string make = "return new " + QClass(k) + "(name.c_str());";
        if (test.size() + make.size() + 5 <= 100) {
          out << "    " << test << " " << make << "\n";
        } else {
          out << "    " << test << " {\n      " << make << "\n    }\n";
        }
      }
      out << "    return nullptr;\n  }\n";
    }
    out << "  return nullptr;\n}\n";
  }

  std::string ElementInfo(const PropertyPlan& p) {
    const std::string head = Literal(p.xmlName) + ", " + Literal(p.xmlNamespace) + ", Property_" + p.name;
    const std::string group = m_group == ClassPlan::choice ? "new CElementInfoChoice"
                              : m_group == ClassPlan::all  ? "new CElementInfoAll"
                                                           : "new CElementInfoSeq";
    const std::string type = p.itemClass && p.itemClass->pseudo ? "XmlElementType_PseudoElement"
                                                                 : "XmlElementType_Element";
    if (p.elementChoice) {
      if (p.kind == PropertyPlan::collection) return group + "AbsClsCol(" + head + ", " + type + ")";
      const bool mandatory = !p.optional && m_group != ClassPlan::choice;
      return group + (mandatory ? "AbsClsMnd(" : "AbsClsOpt(") + head + ", " + type + ", &" +
             QChoice(p.elementChoice) + (mandatory && m_group == ClassPlan::all ? ", 0)" : ")");
    }
    switch (p.kind) {
      case PropertyPlan::collection:
        return group + "ClsCol(" + head + ", " + type + ")";
      case PropertyPlan::values:
        return group + (IsEnum(p) ? "EnumCol(" : "PrimCol(") + head + ")";
      case PropertyPlan::untypedCol:
        return group + "UntpdCol(" + head + ")";
      case PropertyPlan::untyped:
        return group + (p.optional ? "UntpdOpt(" : "UntpdMnd(") + head + ", " +
               Literal(Constraint(p)) + ", " + Literal(p.wildcardTarget) + ")";
      case PropertyPlan::object:
        return p.optional ? group + "ClsOpt(" + head + ", " + type + ", " +
                                QFactory(p.itemClass) + ", " + QId(p.itemClass) + ")"
                          : group + "ClsMnd(" + head + ", " + type + ", " +
                                QFactory(p.itemClass) + ", " +
                                QId(p.itemClass) + ", " +
                                (p.itemClass->requiresContent ? "true" : "false") + ")";
      case PropertyPlan::primitive:
      case PropertyPlan::anyAttribute:  // an attribute, never described here
        break;
    }
    if (IsEnum(p)) {
      const std::string e = QEnum(p.simple.enumeration);
      return group + (p.optional ? "EnumOpt(" : "EnumMnd(") + head +
             (p.nillable ? ", true, &" : ", false, &") + e + "ToString, &" + EnumReader(p) + ", " +
             (p.hasDefault ? Literal(p.defaultValue) : "nullptr") + ")";
    }
    return group + (p.optional ? "PrimOpt(" : "PrimMnd(") +
           head + (p.nillable ? ", true, " : ", false, ") + p.simple.builtin->itemType + ", nullptr, " +
           RuleConstant(p.simple.whitespace) + ", " + RestrictionName(p) + ", " +
           (p.hasDefault ? Literal(p.defaultValue) : "nullptr") + ")";
  }

  // The namespace list an untyped element is read against: the wildcard's,
  // or the named element's own namespace.
  static std::wstring Constraint(const PropertyPlan& p) {
    if (!p.wildcard.empty()) return p.wildcard;
    return p.xmlNamespace.empty() ? L"##local" : p.xmlNamespace;
  }

  // The namespace of elements added to a wildcard's collection by name
  // alone: the one namespace the wildcard names, if it names one.
  static std::wstring NewElementNamespace(const PropertyPlan& p) {
    const std::wstring first = p.wildcard.substr(0, p.wildcard.find(L' '));
    if (first == L"##targetNamespace") return p.wildcardTarget;
    return first.compare(0, 2, L"##") == 0 ? L"" : first;
  }

  // The function a description reads an enumeration with: the enumeration's,
  // or for a fixed value one that accepts that value only.
  std::string EnumReader(const PropertyPlan& p) const {
    return p.fixedEnumerator >= 0 ? FixedReader(*m_class, p) : StringTo(p.simple.enumeration);
  }
  static std::string FixedReader(const ClassPlan& plan, const PropertyPlan& p) {
    return "StringTo" + plan.name.substr(1) + p.name + "Fixed";
  }

  std::string AttributeInfo(const PropertyPlan& p) {
    if (p.kind == PropertyPlan::anyAttribute) {
      return "new CAttributeInfoAny(" + Literal(p.xmlName) + ", L\"\", Property_" + p.name +
             ", true, " + Literal(p.wildcard) + ", " + Literal(p.wildcardTarget) + ", nullptr)";
    }
    const std::wstring* value = p.fixed ? &p.fixedValue : p.hasDefault ? &p.defaultValue : nullptr;
    if (IsEnum(p)) {
      const std::string e = QEnum(p.simple.enumeration);
      return "new CAttributeInfoEnum(" + Literal(p.xmlName) + ", " + Literal(p.xmlNamespace) +
             ", Property_" + p.name + ", " + (p.optional ? "true" : "false") + ", &" + e +
             "ToString, &" + EnumReader(p) + ", " + (value ? Literal(*value) : "nullptr") + ")";
    }
    return "new CAttributeInfoPrimitive(" + Literal(p.xmlName) + ", " + Literal(p.xmlNamespace) +
           ", Property_" + p.name + ", " + (p.optional ? "true" : "false") + ", " +
           p.simple.builtin->itemType + ", nullptr, " + RuleConstant(p.simple.whitespace) + ", " +
           RestrictionName(p) + ", " + (value ? Literal(*value) : "nullptr") + ")";
  }

  static bool NeedsRestrictions(const PropertyPlan& p) {
    return p.kind == PropertyPlan::primitive && !IsEnum(p) && HasFacets(p.simple.facets);
  }
  static std::string RestrictionName(const PropertyPlan& p) {
    return HasFacets(p.simple.facets) ? "r" + p.name : "none";
  }

  const BindingPlan& m_plan;
  const std::map<std::wstring, FileGroup>& m_groups;
  std::wstring m_mine;
  const FileGroup& m_files;
  std::string m_macro;
  std::vector<const ClassPlan*> m_order;
  ClassPlan::Group m_group = ClassPlan::sequence;
  const ClassPlan* m_class = nullptr;  // the class being defined
};

}  // namespace

std::vector<GeneratedFile> Emit(const SchemaSet& set, const EmitOptions& options) {
  const BindingPlan plan = PlanBinding(set);
  // One file set per target namespace; the first schema's takes the given
  // names, the others a name from their namespace's last word.
  const std::wstring primary = set.documents.empty() ? L"" : set.documents[0].targetNamespace;
  std::vector<std::wstring> order{primary};
  auto add = [&](const std::wstring& ns) {
    if (std::find(order.begin(), order.end(), ns) == order.end()) order.push_back(ns);
  };
  for (const auto& c : plan.classes) add(c->schemaNamespace);
  for (const auto& e : plan.enums) add(e->schemaNamespace);
  std::map<std::wstring, FileGroup> groups;
  NameScope namespaces({options.cppNamespace});
  groups[primary] = {options.cppNamespace, options.baseName};
  for (size_t i = 1; i < order.size(); ++i) {
    const std::wstring& ns = order[i];
    size_t start = ns.size();
    while (start > 0 && ns[start - 1] != L'/' && ns[start - 1] != L':' && ns[start - 1] != L'#') {
      --start;
    }
    std::string word = PascalCase(ns.substr(start));
    if (word == "N") word = "NoNamespace";
    word = namespaces.Claim(word);
    std::string lower;
    for (char c : word) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    groups[ns] = {word, options.baseName + "_" + lower};
  }
  std::vector<GeneratedFile> files;
  for (const std::wstring& ns : order) {
    GeneratedCode code = Writer(plan, groups, ns).Run();
    files.push_back({groups[ns].baseName + ".h", std::move(code.header)});
    files.push_back({groups[ns].baseName + ".cpp", std::move(code.source)});
  }
  // The first source compiles the others, so a build names two outputs only.
  for (size_t i = 3; i < files.size(); i += 2) {
    files[1].text += "\n#include \"" + files[i].name + "\"\n";
  }
  return files;
}

}  // namespace KorvelXsd
