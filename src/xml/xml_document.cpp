// SPDX-License-Identifier: MIT
// CXmlDocument: construction, the builder operations of the readers, the
// namespace declarations and the teardown of the tree.
#include <korvel/xml_document.h>

#include <algorithm>
#include <cassert>
#include <new>
#include <utility>

#include "xml/xml_document_data.h"

namespace Korvel {

using detail::XmlDocumentData;
using detail::XmlName;
using detail::XmlTreeBuilder;

namespace {

std::wstring_view View(const wchar_t* text) noexcept {
  return text ? std::wstring_view(text) : std::wstring_view();
}

// Attribute arrays have power-of-two capacities, so that freed ones fit the
// next element of a similar size.
uint32_t CapacityClass(uint32_t capacity) noexcept {
  uint32_t bits = 0;
  while ((uint32_t{1} << bits) < capacity) ++bits;
  return bits;
}

}  // namespace

CXmlDocument::CXmlDocument() : CXmlDocument(nullptr, CSerializationContext::GetDefaultContext()) {}

CXmlDocument::CXmlDocument(const CSerializationContext& context) : CXmlDocument(nullptr, context) {}

CXmlDocument::CXmlDocument(ElementFilter filter)
    : CXmlDocument(filter, CSerializationContext::GetDefaultContext()) {}

CXmlDocument::CXmlDocument(ElementFilter filter, const CSerializationContext& context)
    : CInstanceMonitor(L"CXmlDocument"),
      m_filter(filter),
      m_context(&context),
      m_schemaType(context.GetSchemaType()),
      m_data(std::make_unique<detail::XmlDocumentData>(this)) {}

CXmlDocument::~CXmlDocument() { CXmlDocument::Cleanup(); }

// Nodes hold nothing that needs releasing (their strings are in the pool), so
// the tree goes without a walk over it: strings in one sweep, nodes by blocks.
void CXmlDocument::Cleanup() {
  detail::XmlDocumentData& data = *m_data;
  m_documentElement = nullptr;
  data.openElements.clear();
  data.aliases.clear();
  data.declarations.clear();
  data.pendingDeclarations.clear();
  data.releasedChildren.clear();
  data.siblingTallies.clear();
  data.layoutTexts.Clear();
  data.freeElements.Reset();
  data.freeAttributes.Reset();
  data.levels.clear();
  data.blockSource.Release();
  data.reusesNodes = false;
  data.consumedByRead = false;
  data.groupReads = 0;
  data.nestedObjectReads = 0;
  data.matchedNames.clear();
  for (KvVariant& carrier : data.readCarriers) carrier.Clear();
  data.names.Clear();
}

// --- Builder operations ------------------------------------------------------

const XmlName* XmlTreeBuilder::InternName(CXmlDocument& document, std::wstring_view namespaceUri,
                                          std::wstring_view localName) {
  return document.m_data->names.Intern(namespaceUri, localName);
}

// Defined beside the builder, which creates every node: one call less per node.
CXmlElement::CXmlElement(CXmlElement* parent, const detail::XmlName* name) noexcept
    : CInstanceMonitor(L"CXmlElement"),
      m_parent(parent),
      m_text(&detail::EmptyText()),
      m_name(name) {}

CXmlAttribute::CXmlAttribute(const CXmlElement* owner, const detail::XmlName* name,
                             const std::wstring* value) noexcept
    : CInstanceMonitor(L"CXmlAttribute"), m_owner(owner), m_name(name), m_value(value) {}

CXmlElement* XmlTreeBuilder::NewElement(CXmlDocument& document, CXmlElement* parent,
                                        const XmlName* name, size_t depth) {
  XmlDocumentData& data = *document.m_data;
  void* slot = data.freeElements.Take();
  if (!slot) slot = data.Level(depth).arena.Allocate(sizeof(CXmlElement));
  return new (slot) CXmlElement(parent, name);
}

size_t XmlTreeBuilder::DepthOf(const CXmlElement& element) noexcept {
  const std::vector<detail::OpenElement>& open = DocumentOf(element).m_data->openElements;
  if (!open.empty() && open.back().element == &element) return open.size() - 1;
  size_t depth = 0;
  for (const CXmlElement* parent = element.m_parent; parent; parent = parent->m_parent) ++depth;
  return depth;
}

// The nodes before element at its own level are done with as well: its
// earlier siblings, and the nodes of subtrees read before its parent's. The
// siblings are counted by name as the read finishes each element; when blocks
// are given back, the parent starts at element and keeps the counts for the
// paths of the siblings after it.
void XmlTreeBuilder::ReleaseEarlierSiblings(XmlDocumentData& data, const CXmlElement& element,
                                            size_t depth) noexcept {
  CXmlElement* parent = element.m_parent;
  NodeLevel* level = data.OwnLevel(depth);
  if (!parent || !level) return;
  // Nothing to give back while element's block is the oldest: the siblings
  // are counted when there is (the count goes on from where it stopped).
  NodeArena& arena = level->arena;
  const BlockChain::Block* kept = arena.LiveBlockOf(&element);
  if (!kept || arena.IsOldestLive(kept)) return;
  try {
    if (data.siblingTallies.size() <= depth) data.siblingTallies.resize(depth + 1);
    SiblingTally& tally = data.siblingTallies[depth];
    if (tally.parent != parent) {
      tally.parent = parent;
      tally.next = parent->m_firstChild;
      tally.counts.clear();
    }
    // Counted by interned name (paths add up the names that print alike);
    // siblings mostly share one, so the name counted last is tried first.
    size_t last = tally.counts.empty() ? 0 : tally.counts.size() - 1;
    const CXmlElement* child = tally.next;
    for (; child && child != &element; child = child->m_nextSibling) {
      if (tally.counts.empty() || tally.counts[last].name != child->m_name) {
        const auto same = std::find_if(tally.counts.begin(), tally.counts.end(),
                                       [&](const auto& c) { return c.name == child->m_name; });
        last = static_cast<size_t>(same - tally.counts.begin());
        if (same == tally.counts.end()) tally.counts.push_back({child->m_name, 0});
      }
      ++tally.counts[last].count;
      tally.next = child->m_nextSibling;
    }
    if (!child) {
      // Not a sibling after those counted: start the count over next time.
      tally.next = parent->m_firstChild;
      tally.counts.clear();
      return;
    }
    std::vector<ReleasedChildren>& released = data.releasedChildren[parent];
    released.reserve(released.size() + tally.counts.size());
    for (const ReleasedChildren& c : tally.counts) {
      const auto same = std::find_if(released.begin(), released.end(),
                                     [&](const auto& r) { return r.name == c.name; });
      if (same == released.end()) {
        released.push_back(c);
      } else {
        same->count += c.count;
      }
    }
    tally.counts.clear();
  } catch (...) {
    return;  // out of memory: the siblings stay, and with them the paths
  }
  parent->m_firstChild = const_cast<CXmlElement*>(&element);
  arena.ReleaseBlocksBefore(&element);
}

// The deeper nodes of element's subtree up to its end, and those before them
// at each level, are done with: the objects read so far hold what they need,
// and the reader never goes back past the element. The last descendant at
// each level is found down the chain of last children; where the chain ends,
// deeper levels wait for a later element.
void XmlTreeBuilder::ReleaseReadContent(const CXmlElement& element) noexcept {
  XmlDocumentData& data = *DocumentOf(element).m_data;
  if (!data.consumedByRead || data.groupReads != 0 || data.reusesNodes) return;
  size_t depth = DepthOf(element);
  ReleaseEarlierSiblings(data, element, depth);
  for (const CXmlElement* last = element.m_lastChild; last; last = last->m_lastChild) {
    NodeLevel* level = data.OwnLevel(++depth);
    if (!level) break;
    level->arena.ReleaseBlocksBefore(last);
  }
}

KvVariant& XmlTreeBuilder::ReadCarrier(const CXmlElement& element, ItemType kind) noexcept {
  KvVariant* carriers = DocumentOf(element).m_data->readCarriers;
  return carriers[kind > it_none && kind <= it_integer ? kind : it_none];
}

namespace {

std::wstring* Takeable(const detail::XmlDocumentData& data, const std::wstring* text) noexcept {
  if (!data.consumedByRead || data.groupReads != 0 || text == &detail::EmptyText() ||
      data.layoutTexts.Holds(text)) {
    return nullptr;
  }
  return const_cast<std::wstring*>(text);
}

}  // namespace

std::wstring* XmlTreeBuilder::TakeableText(const CXmlElement& element) noexcept {
  return Takeable(*DocumentOf(element).m_data, element.m_text);
}

std::wstring* XmlTreeBuilder::TakeableValue(const CXmlAttribute& attribute) noexcept {
  return Takeable(*DocumentOf(*attribute.m_owner).m_data, attribute.m_value);
}

int& XmlTreeBuilder::NestedObjectReads(const CXmlElement& element) noexcept {
  return DocumentOf(element).m_data->nestedObjectReads;
}

void XmlTreeBuilder::RememberMatch(const XmlName& name, const void* description) noexcept {
  XmlDocumentData& data = *name.document->m_data;
  if (data.nestedObjectReads == 0) return;
  if (!name.matchedBy) {
    try {
      data.matchedNames.push_back(&name);
    } catch (...) {
      return;  // out of memory: the name is compared each time instead
    }
  }
  name.matchedBy = description;
}

void XmlTreeBuilder::ForgetMatches(const CXmlElement& element) noexcept {
  std::vector<const XmlName*>& matched = DocumentOf(element).m_data->matchedNames;
  for (const XmlName* name : matched) name->matchedBy = nullptr;
  matched.clear();
}

void XmlTreeBuilder::ConsumeByRead(const CXmlDocument& document) noexcept {
  document.m_data->consumedByRead = true;
}

void XmlTreeBuilder::KeepNodesInHeap(CXmlDocument& document) noexcept {
  document.m_data->nodesInHeap = true;
}

XmlTreeBuilder::GroupRead::GroupRead(const CXmlElement* element) noexcept
    : m_data(element ? DocumentOf(*element).m_data.get() : nullptr) {
  if (m_data) ++m_data->groupReads;
}

XmlTreeBuilder::GroupRead::~GroupRead() {
  if (m_data) --m_data->groupReads;
}

void XmlTreeBuilder::LinkLastChild(CXmlElement* parent, CXmlElement* child) noexcept {
  if (parent->m_lastChild) {
    parent->m_lastChild->m_nextSibling = child;
  } else {
    parent->m_firstChild = child;
  }
  parent->m_lastChild = child;
}

void XmlTreeBuilder::UnlinkChild(CXmlElement* parent, CXmlElement* child,
                                 CXmlElement* previous) noexcept {
  if (previous ? previous->m_nextSibling != child : parent->m_firstChild != child) {
    previous = nullptr;
    if (parent->m_firstChild != child) {
      previous = parent->m_firstChild;
      while (previous && previous->m_nextSibling != child) previous = previous->m_nextSibling;
      if (!previous) return;  // not a child of parent
    }
  }
  (previous ? previous->m_nextSibling : parent->m_firstChild) = child->m_nextSibling;
  if (parent->m_lastChild == child) parent->m_lastChild = previous;
  child->m_nextSibling = nullptr;
}

CXmlElement* XmlTreeBuilder::OpenElement(CXmlDocument& document, const XmlName* name) {
  std::vector<detail::OpenElement>& open = document.m_data->openElements;
  CXmlElement* parent = open.empty() ? nullptr : open.back().element;
  assert((parent || !document.m_documentElement) && "a second document element");
  CXmlElement* element = NewElement(document, parent, name, open.size());
  CXmlElement* previous = nullptr;
  if (parent) {
    previous = parent->m_lastChild;
    LinkLastChild(parent, element);
  } else {
    document.m_documentElement = element;
  }
  // Filled member by member: a pair built aside and copied in whole would be
  // read back before its halves are stored, a stall per element.
  detail::OpenElement& opened = open.emplace_back();
  opened.element = element;
  opened.previousSibling = previous;
  detail::XmlDocumentData& data = *document.m_data;
  if (!data.pendingDeclarations.empty()) {
    // The declarations read before the element are its own. Its block has no
    // room for attributes yet: the first ones make a block of their size, so
    // that no block is outgrown and reused out of document order.
    void* memory = data.Level(open.size() - 1).arena.Allocate(sizeof(detail::XmlAttributeBlock));
    BlockOf(element) = new (memory) detail::XmlAttributeBlock{
        0, 0, &data.declarations.emplace_back(std::move(data.pendingDeclarations))};
    data.pendingDeclarations.clear();
  }
  return element;
}

CXmlElement* CXmlDocument::AddDocElement(const wchar_t* namespaceUri, const wchar_t* localName) {
  assert(m_data->openElements.empty());
  return XmlTreeBuilder::OpenElement(
      *this, XmlTreeBuilder::InternName(*this, View(namespaceUri), View(localName)));
}

CXmlElement* CXmlDocument::AddChildElement(const wchar_t* namespaceUri, const wchar_t* localName) {
  assert(!m_data->openElements.empty());
  return XmlTreeBuilder::OpenElement(
      *this, XmlTreeBuilder::InternName(*this, View(namespaceUri), View(localName)));
}

CXmlElement* XmlTreeBuilder::InnermostOpenElement(const CXmlDocument& document) noexcept {
  const std::vector<detail::OpenElement>& open = document.m_data->openElements;
  return open.empty() ? nullptr : open.back().element;
}

void XmlTreeBuilder::CloseElementUnfiltered(CXmlDocument& document) noexcept {
  document.m_data->openElements.pop_back();
}

CXmlElement* XmlTreeBuilder::OpenElementAt(const CXmlDocument& document, size_t depth) noexcept {
  return document.m_data->openElements[depth].element;
}

void CXmlDocument::EndElement() {
  std::vector<detail::OpenElement>& open = m_data->openElements;
  if (open.empty()) return;
  const detail::OpenElement closed = open.back();
  open.pop_back();
  if (!m_filter || !m_filter(closed.element)) return;
  CXmlElement* parent = closed.element->m_parent;
  if (!parent) return;  // the document element stays
  XmlTreeBuilder::UnlinkChild(parent, closed.element, closed.previousSibling);
  XmlTreeBuilder::DestroySubtree(*this, closed.element, open.size());
}

std::wstring* XmlTreeBuilder::NewString(const CXmlElement& owner, std::wstring_view text) {
  return DocumentOf(owner).m_data->Level(DepthOf(owner)).strings.New(text);
}

const std::wstring* XmlTreeBuilder::InternLayoutText(CXmlDocument& document,
                                                     std::wstring_view text) {
  return document.m_data->layoutTexts.Intern(text);
}

void XmlTreeBuilder::SetText(CXmlElement* element, const std::wstring* text) noexcept {
  ReleaseString(*element, element->m_text);
  element->m_text = text;
}

void XmlTreeBuilder::ReleaseString(const CXmlElement& owner, const std::wstring* text) noexcept {
  if (text == &detail::EmptyText()) return;
  ReleaseString(DocumentOf(owner), DepthOf(owner), text);
}

void XmlTreeBuilder::ReleaseString(CXmlDocument& document, size_t depth,
                                   const std::wstring* text) noexcept {
  detail::XmlDocumentData& data = *document.m_data;
  if (text == &detail::EmptyText() || data.layoutTexts.Holds(text)) return;
  detail::NodeLevel* level = data.MadeLevel(depth);
  if (!level) return;  // moved below every level: its pool keeps it
  // Out of order in the shared level does not matter: it is never given back.
  if (!level->strings.Recycle(const_cast<std::wstring*>(text)) && data.OwnLevel(depth)) {
    data.reusesNodes = true;
  }
}

void XmlTreeBuilder::ReserveAttributes(CXmlElement* element, size_t count) {
  detail::XmlAttributeBlock* block = BlockOf(element);
  const uint32_t size = block ? block->size : 0;
  const uint32_t oldCapacity = block ? block->capacity : 0;
  if (count <= oldCapacity) return;
  if (count > (uint32_t{1} << 31)) throw std::bad_alloc();
  const uint32_t capacityClass = CapacityClass(static_cast<uint32_t>(count));
  const uint32_t capacity = uint32_t{1} << capacityClass;
  // Attributes live at their element's depth, as does a block outgrown there.
  detail::XmlDocumentData& data = *DocumentOf(*element).m_data;
  const size_t depth = DepthOf(*element);
  detail::NodeLevel& level = data.Level(depth);
  void* memory = level.freeAttributeBlocks[capacityClass].Take();
  // A recycled block lies before the nodes around it, out of document order
  // (which the shared level never minds).
  if (memory && data.OwnLevel(depth)) data.reusesNodes = true;
  if (!memory) {
    memory =
        level.arena.Allocate(sizeof(detail::XmlAttributeBlock) + capacity * sizeof(CXmlAttribute*));
  }
  auto* grown = static_cast<detail::XmlAttributeBlock*>(memory);
  *grown = detail::XmlAttributeBlock{size, capacity, block ? block->declarations : nullptr};
  if (block) {
    std::copy(block->Items(), block->Items() + size, grown->Items());
    GiveBlock(level, block);
  }
  element->m_attributes.m_block = grown;
}

// A block without room for attributes (made for declarations) fits no
// element's attributes, so it is not kept for reuse.
void XmlTreeBuilder::GiveBlock(detail::NodeLevel& level,
                               detail::XmlAttributeBlock* block) noexcept {
  if (block->capacity != 0) level.freeAttributeBlocks[CapacityClass(block->capacity)].Give(block);
}

void XmlTreeBuilder::ShareAttributeValue(CXmlAttribute* attribute,
                                         const std::wstring* shared) noexcept {
  ReleaseString(*attribute->m_owner, attribute->m_value);
  attribute->m_value = shared;
}

CXmlAttribute* XmlTreeBuilder::AppendAttribute(CXmlElement* element, const XmlName* name,
                                               const std::wstring* value) {
  const detail::XmlAttributeBlock* block = element->m_attributes.m_block;
  if (!block || block->size == block->capacity) {
    ReserveAttributes(element, size_t{block ? block->size : 0u} + 1);
  }
  detail::XmlDocumentData& data = *DocumentOf(*element).m_data;
  void* slot = data.freeAttributes.Take();
  if (!slot) slot = data.Level(DepthOf(*element)).arena.Allocate(sizeof(CXmlAttribute));
  auto* attribute = new (slot) CXmlAttribute(element, name, value);
  detail::XmlAttributeBlock* items = element->m_attributes.m_block;
  items->Items()[items->size++] = attribute;
  return attribute;
}

void CXmlDocument::AddElementAttribute(CXmlElement* element, const wchar_t* localName,
                                       const wchar_t* value, const wchar_t* namespaceUri) {
  CXmlDocument& document = XmlTreeBuilder::DocumentOf(*element);
  const XmlName* name = XmlTreeBuilder::InternName(document, View(namespaceUri), View(localName));
  const std::wstring* held =
      value && *value ? XmlTreeBuilder::NewString(*element, value) : &detail::EmptyText();
  XmlTreeBuilder::AppendAttribute(element, name, held);
}

void CXmlDocument::AppendTextExcludingCR(CXmlElement* element, const wchar_t* text) {
  AppendTextExcludingCR(element, text, std::wstring_view::npos);
}

void CXmlDocument::AppendTextExcludingCR(CXmlElement* element, const wchar_t* text, size_t length) {
  if (!text) return;
  size_t end = 0;
  while (end < length && text[end] != L'\0') ++end;
  std::wstring_view rest(text, end);
  while (!rest.empty()) {
    const size_t cr = std::min(rest.find(L'\r'), rest.size());
    element->AppendText(rest.data(), cr);
    rest.remove_prefix(std::min(cr + 1, rest.size()));
  }
}

void XmlTreeBuilder::AddNamespaceDeclaration(CXmlDocument& document, std::wstring_view prefix,
                                             std::wstring_view namespaceUri) {
  AddDocumentAlias(document, prefix, namespaceUri);
  document.m_data->pendingDeclarations.push_back(
      {std::wstring(prefix), std::wstring(namespaceUri)});
}

void XmlTreeBuilder::AddDocumentAlias(CXmlDocument& document, std::wstring_view prefix,
                                      std::wstring_view namespaceUri) {
  auto& aliases = document.m_data->aliases;
  const auto found = aliases.find(prefix);
  if (found == aliases.end()) {
    aliases.emplace(std::wstring(prefix), std::wstring(namespaceUri));
  } else if (found->second != namespaceUri) {
    found->second.assign(namespaceUri);
  }
}

// --- Teardown ------------------------------------------------------------------

void XmlTreeBuilder::DestroyAttributes(CXmlDocument& document, CXmlElement* element,
                                       size_t depth) noexcept {
  detail::XmlDocumentData& data = *document.m_data;
  detail::XmlAttributeBlock* block = element->m_attributes.m_block;
  if (!block) return;
  for (CXmlAttribute* attribute : element->m_attributes) {
    ReleaseString(document, depth, attribute->m_value);
    attribute->CXmlAttribute::~CXmlAttribute();
    data.freeAttributes.Give(attribute);
  }
  // The block came from this level (or it would be null).
  if (detail::NodeLevel* level = data.MadeLevel(depth)) GiveBlock(*level, block);
  element->m_attributes.m_block = nullptr;
}

// Post-order without recursion or a stack: each element hands its children
// over one by one, each child is emptied the same way, and an element with no
// children left is destroyed and gives way to its parent. A subtree nested a
// hundred thousand levels deep goes like a flat one.
void XmlTreeBuilder::DestroySubtree(CXmlDocument& document, CXmlElement* root,
                                    size_t depth) noexcept {
  document.m_data->reusesNodes = true;
  CXmlElement* element = root;
  for (;;) {
    if (CXmlElement* child = element->m_firstChild) {
      element->m_firstChild = child->m_nextSibling;
      element = child;
      ++depth;
      continue;
    }
    CXmlElement* parent = element == root ? nullptr : element->m_parent;
    DestroyAttributes(document, element, depth);
    ReleaseString(document, depth, element->m_text);
    element->CXmlElement::~CXmlElement();
    document.m_data->freeElements.Give(element);
    if (!parent) return;
    element = parent;
    --depth;
  }
}

// --- Namespace declarations ----------------------------------------------------

std::wstring CXmlDocument::LookupNamespaceFromAlias(const wchar_t* alias) const {
  const auto& aliases = m_data->aliases;
  const auto found = aliases.find(View(alias));
  return found == aliases.end() ? std::wstring() : found->second;
}

std::wstring CXmlDocument::LookupAliasFromNamespace(const wchar_t* namespaceUri) const {
  const std::wstring* alias = XmlTreeBuilder::FindAliasOf(*this, View(namespaceUri));
  return alias ? *alias : std::wstring();
}

const std::wstring* XmlTreeBuilder::FindAliasOf(const CXmlDocument& document,
                                                std::wstring_view namespaceUri) noexcept {
  // Prefix order is the map's order, so the first match is the smallest prefix.
  for (const auto& [prefix, uri] : document.m_data->aliases) {
    if (uri == namespaceUri) return &prefix;
  }
  return nullptr;
}

void XmlTreeBuilder::AppendQualifiedName(std::wstring& out, const XmlName& name) {
  if (!name.namespaceUri.empty()) {
    const std::wstring* prefix = FindAliasOf(*name.document, name.namespaceUri);
    if (prefix && !prefix->empty()) {
      out += *prefix;
      out += L':';
    }
  }
  out += name.localName;
}

bool XmlTreeBuilder::HaveSameQualifiedName(const XmlName* a, const XmlName* b) {
  if (a == b) return true;
  // Colon-free local names end their qualified names, so differing ones settle
  // it; only names with colons (read without namespace processing) need the
  // whole qualified names compared.
  const bool colons = a->localName.find(L':') != std::wstring::npos ||
                      b->localName.find(L':') != std::wstring::npos;
  if (!colons && a->localName != b->localName) return false;
  std::wstring qa;
  std::wstring qb;
  AppendQualifiedName(qa, *a);
  AppendQualifiedName(qb, *b);
  return qa == qb;
}

}  // namespace Korvel
