// SPDX-License-Identifier: MIT
// The document's builder: what its readers use to grow a tree in the
// document's own storage, and the node operations behind the public accessors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/item_type.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

namespace Korvel::detail {

// A qualified name as the tree holds it: interned once per document, so that
// elements and attributes of the same name share one pair of strings and can be
// compared by address. It also tells its nodes which document they belong to.
struct NamespaceDeclaration;
struct NodeLevel;
struct XmlDocumentData;

struct XmlName {
  std::wstring localName;
  std::wstring namespaceUri;
  CXmlDocument* document;
  // The description (of an element or attribute) this name last matched in
  // the object read going on, so that the many elements of one name are told
  // apart without comparing texts; null outside reads (see RememberMatch).
  mutable const void* matchedBy = nullptr;
};

// The attribute pointers of one element, stored right behind this header,
// and the namespace declarations the element makes (null for none): an
// element that declares a prefix has a block even without attributes, so
// that a scope lookup reads what it needs from the element's own nodes.
struct XmlAttributeBlock {
  uint32_t size;
  uint32_t capacity;
  const std::vector<NamespaceDeclaration>* declarations;
  CXmlAttribute** Items() noexcept { return reinterpret_cast<CXmlAttribute**>(this + 1); }
};

class XmlTreeBuilder {
 public:
  // The builder operations of CXmlDocument.
  static CXmlElement* AddDocElement(CXmlDocument& document, const wchar_t* namespaceUri,
                                    const wchar_t* localName) {
    return document.AddDocElement(namespaceUri, localName);
  }
  static CXmlElement* AddChildElement(CXmlDocument& document, const wchar_t* namespaceUri,
                                      const wchar_t* localName) {
    return document.AddChildElement(namespaceUri, localName);
  }
  static void EndElement(CXmlDocument& document) { document.EndElement(); }
  static void AddElementAttribute(CXmlElement* element, const wchar_t* localName,
                                  const wchar_t* value, const wchar_t* namespaceUri) {
    CXmlDocument::AddElementAttribute(element, localName, value, namespaceUri);
  }
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text) {
    CXmlDocument::AppendTextExcludingCR(element, text);
  }
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text, size_t length) {
    CXmlDocument::AppendTextExcludingCR(element, text, length);
  }
  // Records a namespace declaration of the element opened next (readers
  // report them before its start), and for the whole document; the empty
  // prefix is the default namespace.
  static void AddNamespaceDeclaration(CXmlDocument& document, std::wstring_view prefix,
                                      std::wstring_view namespaceUri);
  // Records a prefix for the whole document only, outside any element's scope.
  static void AddDocumentAlias(CXmlDocument& document, std::wstring_view prefix,
                               std::wstring_view namespaceUri);
  // The declarations made on the element itself, or null.
  static const std::vector<NamespaceDeclaration>* DeclarationsOf(
      const CXmlElement& element) noexcept {
    const XmlAttributeBlock* block = element.m_attributes.m_block;
    return block ? block->declarations : nullptr;
  }

  // The element operations meant for readers.
  static void AppendText(CXmlElement* element, const wchar_t* text, size_t length) {
    element->AppendText(text, length);
  }
  static CXmlElement* CreateNewChildElement(CXmlElement* element) {
    return element->CreateNewChildElement();
  }
  static CXmlElement* RemoveLastChildElement(CXmlElement* element) {
    return element->RemoveLastChildElement();
  }
  static void SetElementName(CXmlElement* element, const wchar_t* localName) {
    element->SetElementName(localName);
  }
  static void SetNamespace(CXmlElement* element, const wchar_t* namespaceUri) {
    element->SetNamespace(namespaceUri);
  }

  // The same over the document's own storage, for readers that convert names
  // and text themselves.
  static const XmlName* InternName(CXmlDocument& document, std::wstring_view namespaceUri,
                                   std::wstring_view localName);
  static CXmlElement* OpenElement(CXmlDocument& document, const XmlName* name);
  static CXmlElement* InnermostOpenElement(const CXmlDocument& document) noexcept;
  // Closes the innermost open element without applying the element filter.
  static void CloseElementUnfiltered(CXmlDocument& document) noexcept;
  // The open element at depth (0 for the document element).
  static CXmlElement* OpenElementAt(const CXmlDocument& document, size_t depth) noexcept;
  // A string holding text, for owner's text or an attribute value, to be
  // attached; it lives as long as the nodes at owner's depth.
  static std::wstring* NewString(const CXmlElement& owner, std::wstring_view text = {});
  // Whitespace between elements, held once however often it repeats.
  static const std::wstring* InternLayoutText(CXmlDocument& document, std::wstring_view text);
  static void SetText(CXmlElement* element, const std::wstring* text) noexcept;
  // Appends an attribute to an element; reserve first when the count is known.
  static void ReserveAttributes(CXmlElement* element, size_t count);
  static CXmlAttribute* AppendAttribute(CXmlElement* element, const XmlName* name,
                                        const std::wstring* value);
  // Gives the attribute a shared value (from InternLayoutText) in place of its own.
  static void ShareAttributeValue(CXmlAttribute* attribute, const std::wstring* shared) noexcept;

  static const XmlName& NameOf(const CXmlElement& element) noexcept { return *element.m_name; }
  static const XmlName& NameOf(const CXmlAttribute& attribute) noexcept {
    return *attribute.m_name;
  }
  static CXmlDocument& DocumentOf(const CXmlElement& element) noexcept {
    return *element.m_name->document;
  }
  static SchemaType GetSchemaType(const CXmlDocument& document) noexcept {
    return document.m_schemaType;
  }
  static const CSerializationContext& GetContext(const CXmlDocument& document) noexcept {
    return *document.m_context;
  }

  // Tree surgery and teardown.
  static CXmlElement* NewElement(CXmlDocument& document, CXmlElement* parent, const XmlName* name,
                                 size_t depth);
  // The number of ancestors the element has.
  static size_t DepthOf(const CXmlElement& element) noexcept;
  static void LinkLastChild(CXmlElement* parent, CXmlElement* child) noexcept;
  // previous, when it is the child's predecessor, spares a scan of the siblings.
  static void UnlinkChild(CXmlElement* parent, CXmlElement* child, CXmlElement* previous) noexcept;
  // Returns the memory of a removed subtree, whose root is at depth, for reuse.
  static void DestroySubtree(CXmlDocument& document, CXmlElement* root, size_t depth) noexcept;
  static void DestroyAttributes(CXmlDocument& document, CXmlElement* element,
                                size_t depth) noexcept;
  static void GiveBlock(NodeLevel& level, XmlAttributeBlock* block) noexcept;

  // Reading objects from a document that an entry point loaded for the
  // purpose and destroys afterwards: the reader has read element whole and
  // goes on after it, so the memory of what lies below it is given back.
  static void ConsumeByRead(const CXmlDocument& document) noexcept;
  // Before such a document is loaded: its nodes stay in the heap, where the
  // objects read reuse the memory the read gives back.
  static void KeepNodesInHeap(CXmlDocument& document) noexcept;
  // The document's carrier for values of kind read from its elements (the
  // same one for every invalid kind), to be filled by VariantAccess::Refill.
  static KvVariant& ReadCarrier(const CXmlElement& element, ItemType kind) noexcept;
  // The element's own text, or the attribute's own value, for a read that
  // consumes the document to take whole, as it never comes back to a node it
  // has read; null for shared texts, and for all while an in-line group may
  // rewind.
  static std::wstring* TakeableText(const CXmlElement& element) noexcept;
  static std::wstring* TakeableValue(const CXmlAttribute& attribute) noexcept;
  static void ReleaseReadContent(const CXmlElement& element) noexcept;
  static void ReleaseEarlierSiblings(XmlDocumentData& data, const CXmlElement& element,
                                     size_t depth) noexcept;
  // Held while an in-line group, which may rewind, is read at element (its
  // owner's element; null for none).
  class GroupRead {
   public:
    explicit GroupRead(const CXmlElement* element) noexcept;
    GroupRead(const GroupRead&) = delete;
    GroupRead& operator=(const GroupRead&) = delete;
    ~GroupRead();

   private:
    XmlDocumentData* m_data;
  };
  // The number of objects being read from element's document, one inside the
  // other, for the reader to keep within its limit.
  static int& NestedObjectReads(const CXmlElement& element) noexcept;
  // Notes that name matches description, when an object read is going on:
  // descriptions live through reads, not necessarily from one to the next,
  // so the notes are forgotten when the outermost read ends.
  static void RememberMatch(const XmlName& name, const void* description) noexcept;
  static void ForgetMatches(const CXmlElement& element) noexcept;
  // Gives back a string NewString made for owner, or one at depth.
  static void ReleaseString(const CXmlElement& owner, const std::wstring* text) noexcept;
  static void ReleaseString(CXmlDocument& document, size_t depth,
                            const std::wstring* text) noexcept;
  // The text the element may change: shared texts are copied first.
  static std::wstring& MutableText(CXmlElement* element);

  // Qualified names as paths show them: the smallest prefix the document
  // declared for the namespace, a colon, the local name.
  static const std::wstring* FindAliasOf(const CXmlDocument& document,
                                         std::wstring_view namespaceUri) noexcept;
  static void AppendQualifiedName(std::wstring& out, const XmlName& name);
  static bool HaveSameQualifiedName(const XmlName* a, const XmlName* b);
  static void AppendNameWithPredicate(std::wstring& path, const CXmlElement& element);
  static XmlAttributeBlock*& BlockOf(CXmlElement* element) noexcept {
    return element->m_attributes.m_block;
  }
};

// A document an entry point loads only to read objects from, and destroys
// afterwards: made so, its nodes stay in the heap from the start.
class ObjectReadDocument : public CXmlDocument {
 public:
  explicit ObjectReadDocument(const CSerializationContext& context) : CXmlDocument(context) {
    XmlTreeBuilder::KeepNodesInHeap(*this);
  }
};

}  // namespace Korvel::detail
