// SPDX-License-Identifier: MIT
// The schema reader: loads each file with the library's document reader and
// turns its XSD elements into the model, refusing what the model cannot hold.
#include "schema_reader.h"

#include <korvel/errors.h>
#include <korvel/xml_document.h>

#include <deque>
#include <fstream>
#include <set>
#include <sstream>

#include "source_map.h"

namespace KorvelXsd {
namespace {

using Korvel::CXmlAttribute;
using Korvel::CXmlElement;

constexpr const wchar_t* kXsdNamespace = L"http://www.w3.org/2001/XMLSchema";

std::string Narrow(const std::wstring& text) {
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

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// a/b/../c becomes a/c, so that a file reached by two routes is read once.
std::string Normalise(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream in(path);
  std::string part;
  while (std::getline(in, part, '/')) {
    if (part == "." || (part.empty() && !parts.empty())) continue;
    if (part == ".." && !parts.empty() && parts.back() != ".." && !parts.back().empty()) {
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? "/" : "") + parts[i];
  return out;
}

// One schema file being read.
class DocumentReader {
 public:
  DocumentReader(SchemaSet& set, std::string file, std::wstring chameleonNamespace,
                 std::deque<std::pair<std::string, std::wstring>>& pending)
      : m_set(set), m_file(std::move(file)), m_chameleon(std::move(chameleonNamespace)),
        m_pending(pending) {}

  // True when the file names its own target namespace (then it reads the same
  // whichever schema includes or imports it).
  bool Read() {
    std::ifstream in(m_file, std::ios::binary);
    if (!in) throw Refusal({m_file, 0}, "cannot open the schema file");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
      m_document.LoadXmlStream(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    } catch (const Korvel::CKvException& e) {
      throw Refusal({m_file, 0}, "not a well-formed XML document: " + Narrow(e.GetMessageW()));
    }
    const std::vector<StartTag> tags = ScanStartTags(text);
    size_t index = 0;
    Index(m_document.GetDocumentElement(), tags, index);
    if (index != tags.size()) m_tags.clear();  // the scan disagrees: fall back
    const CXmlElement* root = m_document.GetDocumentElement();
    if (!IsXsd(root, L"schema")) Refuse(root, "the document element is not xs:schema");
    ReadSchema(root);
    return Attr(root, L"targetNamespace") != nullptr;
  }

 private:
  void Index(const CXmlElement* element, const std::vector<StartTag>& tags, size_t& index) {
    if (!element) return;
    if (index < tags.size()) m_tags[element] = tags[index];
    ++index;
    for (const CXmlElement* child = element->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      Index(child, tags, index);
    }
  }

  Location Where(const CXmlElement* element) const {
    auto found = m_tags.find(element);
    return {m_file, found == m_tags.end() ? 0 : found->second.line};
  }

  [[noreturn]] void Refuse(const CXmlElement* element, const std::string& what) const {
    throw Refusal(Where(element), what);
  }
  [[noreturn]] void Unsupported(const CXmlElement* element) const {
    Refuse(element, "xs:" + Narrow(element->GetLocalName()) + " is not supported");
  }

  static bool IsXsd(const CXmlElement* element, const wchar_t* name) {
    return element && element->GetNamespaceURI() == kXsdNamespace &&
           element->GetLocalName() == name;
  }

  static const std::wstring* Attr(const CXmlElement* element, const wchar_t* name) {
    for (const CXmlAttribute* attribute : element->GetAttributes()) {
      if (attribute->GetLocalName() == name && attribute->GetNamespaceURI().empty()) {
        return &attribute->GetValue();
      }
    }
    return nullptr;
  }
  static std::wstring AttrOr(const CXmlElement* element, const wchar_t* name,
                             const std::wstring& fallback = std::wstring()) {
    const std::wstring* value = Attr(element, name);
    return value ? *value : fallback;
  }

  // A prefixed name in an attribute value, resolved where element is.
  QName Resolve(const CXmlElement* element, const std::wstring& text) const {
    const size_t colon = text.find(L':');
    const std::wstring prefix = colon == std::wstring::npos ? L"" : text.substr(0, colon);
    const std::wstring local = colon == std::wstring::npos ? text : text.substr(colon + 1);
    auto found = m_tags.find(element);
    std::wstring uri;
    if (found != m_tags.end()) {
      auto declared = found->second.scope->find(prefix);
      if (declared != found->second.scope->end()) {
        uri = declared->second;
      } else if (!prefix.empty()) {
        Refuse(element, "the prefix " + Narrow(prefix) + " is not declared");
      }
    } else {
      uri = m_document.LookupNamespaceFromAlias(prefix.c_str());
    }
    // A chameleon schema's unprefixed references land in the includer's namespace.
    if (uri.empty() && m_targetNamespace.empty()) uri = m_chameleon.empty() ? uri : m_chameleon;
    return {uri, local};
  }
  QName ResolveAttr(const CXmlElement* element, const wchar_t* name) const {
    const std::wstring* value = Attr(element, name);
    return value ? Resolve(element, *value) : QName();
  }

  int Occurs(const CXmlElement* element, const wchar_t* name) const {
    const std::wstring* value = Attr(element, name);
    if (!value) return 1;
    if (*value == L"unbounded") return kUnbounded;
    try {
      size_t used = 0;
      const long n = std::stol(*value, &used);
      if (used == value->size() && n >= 0 && n <= 0x7FFFFFFF) return static_cast<int>(n);
    } catch (const std::exception&) {
    }
    Refuse(element, Narrow(std::wstring(name) + L"=\"" + *value + L"\" is not a valid number"));
  }

  // The namespace list of xs:any or xs:anyAttribute, its items separated by
  // single spaces as the runtime's wildcard test reads them.
  std::wstring WildcardNamespace(const CXmlElement* wildcard) const {
    std::wistringstream in(AttrOr(wildcard, L"namespace", L"##any"));
    std::wstring item, list;
    while (in >> item) list += (list.empty() ? L"" : L" ") + item;
    if (list.empty()) Refuse(wildcard, "an empty namespace list admits no namespace at all");
    return list;
  }

  void RequireChildrenOnly(const CXmlElement* element,
                           std::initializer_list<const wchar_t*> names) const {
    for (const CXmlElement* child = element->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"annotation")) continue;
      bool known = false;
      for (const wchar_t* name : names) known = known || IsXsd(child, name);
      if (!known) Unsupported(child);
    }
  }

  void ReadSchema(const CXmlElement* root) {
    m_targetNamespace = AttrOr(root, L"targetNamespace");
    if (!m_chameleon.empty() && !m_targetNamespace.empty() && m_targetNamespace != m_chameleon) {
      Refuse(root, "an included schema has another target namespace than the including one");
    }
    if (m_targetNamespace.empty()) m_targetNamespace = m_chameleon;
    m_elementsQualified = AttrOr(root, L"elementFormDefault") == L"qualified";
    m_attributesQualified = AttrOr(root, L"attributeFormDefault") == L"qualified";
    m_set.documents.push_back({m_file, m_targetNamespace, m_elementsQualified,
                               m_attributesQualified});
    for (const CXmlElement* child = root->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (child->GetNamespaceURI() != kXsdNamespace) Refuse(child, "not an XML Schema element");
      const std::wstring& name = child->GetLocalName();
      if (name == L"annotation" || name == L"notation") continue;
      if (name == L"include" || name == L"import") {
        const std::wstring* location = Attr(child, L"schemaLocation");
        if (!location) {
          if (name == L"include") Refuse(child, "xs:include without schemaLocation");
          continue;  // the namespace must then come from another file given
        }
        const std::string path = Normalise(DirectoryOf(m_file) + Narrow(*location));
        const std::wstring chameleon = name == L"include" ? m_targetNamespace : L"";
        m_pending.emplace_back(path, chameleon);
      } else if (name == L"element") {
        auto element = ReadElement(child, true);
        Add(child, m_set.elements, std::move(element), &m_set.orderedElements);
      } else if (name == L"complexType") {
        auto type = ReadComplexType(child, true);
        Add(child, m_set.complexTypes, std::move(type), &m_set.orderedComplexTypes);
      } else if (name == L"simpleType") {
        auto type = ReadSimpleType(child, true);
        if (m_set.complexTypes.count(type->name)) Refuse(child, "a type of this name exists");
        Add(child, m_set.simpleTypes, std::move(type), &m_set.orderedSimpleTypes);
      } else if (name == L"attribute") {
        auto attribute = ReadAttribute(child, true);
        Add(child, m_set.attributes, std::move(attribute), nullptr);
      } else if (name == L"group") {
        NamedGroup group;
        group.name = {m_targetNamespace, AttrOr(child, L"name")};
        group.where = Where(child);
        RequireChildrenOnly(child, {L"sequence", L"choice", L"all"});
        for (const CXmlElement* g = child->GetFirstElement(); g; g = g->GetNextSiblingElement()) {
          if (!IsXsd(g, L"annotation")) group.content = ReadModelGroup(g);
        }
        if (!m_set.groups.emplace(group.name, std::move(group)).second) {
          Refuse(child, "the group is declared twice");
        }
      } else if (name == L"attributeGroup") {
        AttributeGroup group;
        group.name = {m_targetNamespace, AttrOr(child, L"name")};
        group.where = Where(child);
        ReadAttributes(child, group.attributes, group.anyAttribute, group.anyAttributeWhere,
                       group.anyAttributeNamespace);
        if (!m_set.attributeGroups.emplace(group.name, std::move(group)).second) {
          Refuse(child, "the attribute group is declared twice");
        }
      } else {
        Unsupported(child);
      }
    }
  }

  template <class T>
  void Add(const CXmlElement* at, std::map<QName, std::unique_ptr<T>>& map,
           std::unique_ptr<T> item, std::vector<QName>* order) {
    const QName name = item->name;
    if (name.local.empty()) Refuse(at, "a global declaration needs a name");
    if (!map.emplace(name, std::move(item)).second) {
      Refuse(at, Narrow(L"{" + name.ns + L"}" + name.local) + " is declared twice");
    }
    if (order) order->push_back(name);
  }

  std::unique_ptr<Element> ReadElement(const CXmlElement* node, bool global) {
    auto element = std::make_unique<Element>();
    element->where = Where(node);
    element->global = global;
    if (const std::wstring* ref = Attr(node, L"ref")) {
      if (global) Refuse(node, "a global element cannot be a reference");
      element->ref = Resolve(node, *ref);
      RequireChildrenOnly(node, {});
      return element;
    }
    const std::wstring form = AttrOr(node, L"form");
    const bool qualified = global || (form.empty() ? m_elementsQualified : form == L"qualified");
    element->name = {qualified ? m_targetNamespace : L"", AttrOr(node, L"name")};
    if (element->name.local.empty()) Refuse(node, "an element needs a name or a ref");
    element->type = ResolveAttr(node, L"type");
    element->substitutionGroup = ResolveAttr(node, L"substitutionGroup");
    element->nillable = AttrOr(node, L"nillable") == L"true";
    element->abstract = AttrOr(node, L"abstract") == L"true";
    if (const std::wstring* value = Attr(node, L"default")) {
      element->hasDefault = true;
      element->defaultValue = *value;
    }
    if (const std::wstring* value = Attr(node, L"fixed")) {
      element->hasFixed = true;
      element->fixedValue = *value;
    }
    for (const CXmlElement* child = node->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"annotation")) continue;
      // Identity constraints describe checks across the document; the
      // binding holds the values either way.
      if (IsXsd(child, L"unique") || IsXsd(child, L"key") || IsXsd(child, L"keyref")) continue;
      if (!element->type.empty()) Refuse(child, "an element with a type attribute has an inline type");
      if (IsXsd(child, L"complexType")) {
        element->inlineComplex = ReadComplexType(child, false);
      } else if (IsXsd(child, L"simpleType")) {
        element->inlineSimple = ReadSimpleType(child, false);
      } else {
        Unsupported(child);
      }
    }
    return element;
  }

  std::unique_ptr<Attribute> ReadAttribute(const CXmlElement* node, bool global) {
    auto attribute = std::make_unique<Attribute>();
    attribute->where = Where(node);
    const std::wstring use = AttrOr(node, L"use", L"optional");
    attribute->required = use == L"required";
    attribute->prohibited = use == L"prohibited";
    if (const std::wstring* value = Attr(node, L"default")) {
      attribute->hasDefault = true;
      attribute->defaultValue = *value;
    }
    if (const std::wstring* value = Attr(node, L"fixed")) {
      attribute->hasFixed = true;
      attribute->fixedValue = *value;
    }
    if (const std::wstring* ref = Attr(node, L"ref")) {
      attribute->ref = Resolve(node, *ref);
      return attribute;
    }
    const std::wstring form = AttrOr(node, L"form");
    const bool qualified = global || (form.empty() ? m_attributesQualified : form == L"qualified");
    attribute->name = {qualified ? m_targetNamespace : L"", AttrOr(node, L"name")};
    if (attribute->name.local.empty()) Refuse(node, "an attribute needs a name or a ref");
    attribute->type = ResolveAttr(node, L"type");
    RequireChildrenOnly(node, {L"simpleType"});
    for (const CXmlElement* child = node->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"simpleType")) attribute->inlineType = ReadSimpleType(child, false);
    }
    return attribute;
  }

  void ReadAttributes(const CXmlElement* owner, std::vector<AttributeUse>& uses, bool& anyAttribute,
                      Location& anyWhere, std::wstring& anyNamespace) {
    for (const CXmlElement* child = owner->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"attribute")) {
        AttributeUse use;
        use.where = Where(child);
        use.attribute = ReadAttribute(child, false);
        uses.push_back(std::move(use));
      } else if (IsXsd(child, L"attributeGroup")) {
        AttributeUse use;
        use.where = Where(child);
        use.groupRef = ResolveAttr(child, L"ref");
        if (use.groupRef.empty()) Refuse(child, "an attribute group reference needs a ref");
        uses.push_back(std::move(use));
      } else if (IsXsd(child, L"anyAttribute")) {
        anyAttribute = true;
        anyWhere = Where(child);
        anyNamespace = WildcardNamespace(child);
      }
    }
  }

  std::unique_ptr<Particle> ReadModelGroup(const CXmlElement* node) {
    auto particle = std::make_unique<Particle>();
    particle->where = Where(node);
    particle->minOccurs = Occurs(node, L"minOccurs");
    particle->maxOccurs = Occurs(node, L"maxOccurs");
    const std::wstring& name = node->GetLocalName();
    if (name == L"group") {
      particle->kind = Particle::groupRef;
      particle->ref = ResolveAttr(node, L"ref");
      if (particle->ref.empty()) Refuse(node, "a group reference needs a ref");
      return particle;
    }
    particle->kind = name == L"sequence" ? Particle::sequence
                     : name == L"choice" ? Particle::choice
                                         : Particle::all;
    for (const CXmlElement* child = node->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"annotation")) continue;
      if (IsXsd(child, L"element")) {
        Particle member;
        member.kind = Particle::element;
        member.where = Where(child);
        member.minOccurs = Occurs(child, L"minOccurs");
        member.maxOccurs = Occurs(child, L"maxOccurs");
        member.elementDecl = ReadElement(child, false);
        particle->children.push_back(std::move(member));
      } else if (IsXsd(child, L"any")) {
        Particle member;
        member.kind = Particle::any;
        member.where = Where(child);
        member.minOccurs = Occurs(child, L"minOccurs");
        member.maxOccurs = Occurs(child, L"maxOccurs");
        member.anyNamespace = WildcardNamespace(child);
        particle->children.push_back(std::move(member));
      } else if (IsXsd(child, L"sequence") || IsXsd(child, L"choice") || IsXsd(child, L"group")) {
        if (particle->kind == Particle::all) Refuse(child, "an all group holds elements only");
        particle->children.push_back(std::move(*ReadModelGroup(child)));
      } else {
        Unsupported(child);
      }
    }
    return particle;
  }

  std::unique_ptr<ComplexType> ReadComplexType(const CXmlElement* node, bool global) {
    auto type = std::make_unique<ComplexType>();
    type->where = Where(node);
    if (global) type->name = {m_targetNamespace, AttrOr(node, L"name")};
    type->abstract = AttrOr(node, L"abstract") == L"true";
    type->mixed = AttrOr(node, L"mixed") == L"true";
    const CXmlElement* body = node;
    for (const CXmlElement* child = node->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"simpleContent") || IsXsd(child, L"complexContent")) {
        type->simpleContent = IsXsd(child, L"simpleContent");
        if (AttrOr(child, L"mixed") == L"true") type->mixed = true;
        RequireChildrenOnly(child, {L"extension", L"restriction"});
        for (const CXmlElement* d = child->GetFirstElement(); d; d = d->GetNextSiblingElement()) {
          if (IsXsd(d, L"annotation")) continue;
          type->derivation =
              IsXsd(d, L"extension") ? ComplexType::extension : ComplexType::restriction;
          type->base = ResolveAttr(d, L"base");
          body = d;
        }
        if (body == node) Refuse(child, "simple or complex content needs a derivation");
      }
    }
    for (const CXmlElement* child = body->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      const std::wstring& name = child->GetLocalName();
      if (child->GetNamespaceURI() != kXsdNamespace) Refuse(child, "not an XML Schema element");
      if (name == L"annotation" || name == L"attribute" || name == L"attributeGroup" ||
          name == L"anyAttribute" || (body == node && (name == L"simpleContent" ||
                                                       name == L"complexContent"))) {
        continue;
      }
      if (name == L"sequence" || name == L"choice" || name == L"all" || name == L"group") {
        if (type->content) Refuse(child, "a complex type has one content model");
        type->content = ReadModelGroup(child);
      } else if (type->simpleContent && type->derivation == ComplexType::restriction &&
                 name != L"simpleType") {
        ReadFacet(child, type->facets);  // refuses what is no facet
      } else {
        Unsupported(child);
      }
    }
    ReadAttributes(body, type->attributes, type->anyAttribute, type->anyAttributeWhere,
                   type->anyAttributeNamespace);
    return type;
  }

  std::unique_ptr<SimpleType> ReadSimpleType(const CXmlElement* node, bool global) {
    auto type = std::make_unique<SimpleType>();
    type->where = Where(node);
    if (global) type->name = {m_targetNamespace, AttrOr(node, L"name")};
    RequireChildrenOnly(node, {L"restriction", L"list", L"union"});
    for (const CXmlElement* child = node->GetFirstElement(); child;
         child = child->GetNextSiblingElement()) {
      if (IsXsd(child, L"annotation")) continue;
      if (IsXsd(child, L"union")) {
        type->variety = SimpleType::union_;
        continue;  // unions are held as text
      }
      const bool list = IsXsd(child, L"list");
      type->variety = list ? SimpleType::list : SimpleType::atomic;
      type->base = ResolveAttr(child, list ? L"itemType" : L"base");
      for (const CXmlElement* f = child->GetFirstElement(); f; f = f->GetNextSiblingElement()) {
        if (IsXsd(f, L"annotation")) continue;
        if (IsXsd(f, L"simpleType")) {
          type->inlineBase = ReadSimpleType(f, false);
          continue;
        }
        if (list) Unsupported(f);
        ReadFacet(f, type->facets);
      }
      if (type->base.empty() && !type->inlineBase) Refuse(child, "the derivation names no base");
    }
    return type;
  }

  void ReadFacet(const CXmlElement* f, Facets& facets) const {
    const std::wstring value = AttrOr(f, L"value");
    const std::wstring& name = f->GetLocalName();
    auto number = [&]() {
      try {
        size_t used = 0;
        const long n = std::stol(value, &used);
        if (used == value.size() && n >= 0 && n <= 0x7FFFFFFF) return static_cast<int>(n);
      } catch (const std::exception&) {
      }
      Refuse(f, "the facet value is not a valid number");
    };
    if (f->GetNamespaceURI() != kXsdNamespace) Refuse(f, "not an XML Schema element");
    if (name == L"pattern") {
      facets.pattern = facets.pattern.empty() ? value : L"(" + facets.pattern + L")|(" + value + L")";
    } else if (name == L"enumeration") {
      facets.enumeration.push_back(value);
    } else if (name == L"minInclusive") {
      facets.minInclusive = value;
    } else if (name == L"maxInclusive") {
      facets.maxInclusive = value;
    } else if (name == L"minExclusive") {
      facets.minExclusive = value;
    } else if (name == L"maxExclusive") {
      facets.maxExclusive = value;
    } else if (name == L"length") {
      facets.length = number();
    } else if (name == L"minLength") {
      facets.minLength = number();
    } else if (name == L"maxLength") {
      facets.maxLength = number();
    } else if (name == L"totalDigits") {
      facets.totalDigits = number();
    } else if (name == L"fractionDigits") {
      facets.fractionDigits = number();
    } else if (name == L"whiteSpace") {
      facets.whiteSpace = value;
    } else {
      Unsupported(f);
    }
  }

  SchemaSet& m_set;
  std::string m_file;
  std::wstring m_chameleon;
  std::deque<std::pair<std::string, std::wstring>>& m_pending;
  Korvel::CXmlDocument m_document;
  std::map<const CXmlElement*, StartTag> m_tags;
  std::wstring m_targetNamespace;
  bool m_elementsQualified = false, m_attributesQualified = false;
};

}  // namespace

void ReadSchemas(const std::string& path, SchemaSet& set) {
  std::deque<std::pair<std::string, std::wstring>> pending{{Normalise(path), L""}};
  std::set<std::pair<std::string, std::wstring>> done;
  std::set<std::string> namespaced;
  while (!pending.empty()) {
    auto next = pending.front();
    pending.pop_front();
    if (namespaced.count(next.first) || !done.insert(next).second) continue;
    if (DocumentReader(set, next.first, next.second, pending).Read()) namespaced.insert(next.first);
  }
}

}  // namespace KorvelXsd
