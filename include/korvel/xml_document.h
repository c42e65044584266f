// SPDX-License-Identifier: MIT
// The in-memory document every reader builds: CXmlDocument, CXmlElement, CXmlAttribute.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>
#include <korvel/export.h>
#include <korvel/instance_monitor.h>
#include <korvel/serialization_context.h>

namespace Korvel {

class CXmlAttribute;
class CXmlDocument;
class CXmlElement;
class CXmlElementRange;
class CExpatReader;
class CFastInfosetReader;

namespace detail {
// The interned names, attribute blocks and builder of the document's readers,
// kept behind this header.
struct XmlName;
struct XmlAttributeBlock;
struct XmlDocumentData;
class XmlTreeBuilder;
}  // namespace detail

// Switches Load between reading a file in one piece (false, the default) and
// reading it in 128 KiB chunks, parsing each while the next is read. Process-wide
// and unsynchronised: set it before loading starts.
KORVEL_API void AsyncFromXmlFile(bool enable);

// The attributes of an element in document order; iterates as CXmlAttribute*.
class KORVEL_API CXmlAttributeList {
 public:
  using value_type = CXmlAttribute*;
  using const_iterator = CXmlAttribute* const*;
  using iterator = const_iterator;

  const_iterator begin() const noexcept;
  const_iterator end() const noexcept { return begin() + size(); }
  size_t size() const noexcept;
  bool empty() const noexcept { return size() == 0; }
  CXmlAttribute* operator[](size_t index) const noexcept { return begin()[index]; }

 private:
  friend class detail::XmlTreeBuilder;
  detail::XmlAttributeBlock* m_block = nullptr;  // in the document's node memory
};

// One attribute of an element. Created and destroyed only by its document.
class KORVEL_API CXmlAttribute : public CInstanceMonitor {
 public:
  CXmlAttribute(const CXmlAttribute&) = delete;
  CXmlAttribute& operator=(const CXmlAttribute&) = delete;

  const CXmlElement* GetOwnerElement() const noexcept { return m_owner; }
  const std::wstring& GetLocalName() const noexcept;
  const std::wstring& GetValue() const noexcept { return *m_value; }
  // Empty for an attribute in no namespace.
  const std::wstring& GetNamespaceURI() const noexcept;

  // The owner's path, "/@" and the name, prefixed as the document declared the
  // attribute's namespace: /a/b[2]/@code, /a/@xsi:type.
  std::wstring GetXPath() const;
  // xmlns, type, schemaLocation or noNamespaceSchemaLocation in the XML Schema
  // instance or xmlns namespace: attributes that are not data.
  bool IsNamespaceAttribute() const noexcept;
  // nil in one of the same two namespaces.
  bool IsNilAttribute() const noexcept;

 protected:
  CXmlAttribute(const CXmlElement* owner, const detail::XmlName* name,
                const std::wstring* value) noexcept;
  ~CXmlAttribute() override;

 private:
  friend class detail::XmlTreeBuilder;
  const CXmlElement* m_owner;
  const detail::XmlName* m_name;
  const std::wstring* m_value;  // held by the document
};

// One element: its name, attributes, text and children. Read-only to its users;
// the pointers it hands out stay valid until the document is destroyed or
// reloaded, or until the element filter removes the element.
class KORVEL_API CXmlElement : public CInstanceMonitor {
 public:
  CXmlElement(const CXmlElement&) = delete;
  CXmlElement& operator=(const CXmlElement&) = delete;

  const CXmlDocument* GetDocument() const noexcept;
  // Null for the document element.
  const CXmlElement* GetParentElm() const noexcept { return m_parent; }
  CXmlElement* GetFirstElement() const noexcept { return m_firstChild; }
  CXmlElement* GetNextSiblingElement() const noexcept { return m_nextSibling; }
  const CXmlAttributeList& GetAttributes() const noexcept { return m_attributes; }
  const std::wstring& GetLocalName() const noexcept;
  // Empty for an element in no namespace.
  const std::wstring& GetNamespaceURI() const noexcept;
  // All character data directly inside the element, also around its children.
  const std::wstring& GetText() const noexcept { return *m_text; }

  // The value of the first attribute with exactly this local name and namespace
  // (null meaning empty), or an empty string.
  const std::wstring& GetAttribute(const wchar_t* localName, const wchar_t* namespaceUri) const;

  // Lookups by local name and namespace URI, an empty URI meaning no namespace.
  // The first such attribute, or null: an absent attribute differs from an
  // empty one.
  const CXmlAttribute* FindAttribute(std::wstring_view localName,
                                     std::wstring_view namespaceUri = {}) const noexcept;
  // The first such child element, or null.
  const CXmlElement* FindChildElement(std::wstring_view localName,
                                      std::wstring_view namespaceUri = {}) const noexcept;
  // The next such sibling after this element, or null.
  const CXmlElement* FindNextSiblingElement(std::wstring_view localName,
                                            std::wstring_view namespaceUri = {}) const noexcept;
  // The child elements in document order, all of them or those of one name:
  //   for (const CXmlElement& item : order->GetChildElements(L"item")) ...
  CXmlElementRange GetChildElements() const noexcept;
  CXmlElementRange GetChildElements(std::wstring_view localName,
                                    std::wstring_view namespaceUri = {}) const noexcept;

  // The path from the document element, each step a qualified name with its
  // position among same-named siblings when it has any: /a/b[2]/c.
  std::wstring GetXPath() const;

  // Namespace scope, as the reader reported the declarations (the empty
  // prefix standing for the default namespace; xmlns="" binds it to the empty
  // URI). The URI the prefix is bound to at this element, by itself or its
  // nearest ancestor that declares it, or null when nothing binds it; xml is
  // always bound.
  const std::wstring* LookupNamespaceInScope(std::wstring_view prefix) const noexcept;
  // The default namespace in scope here; empty when there is none.
  const std::wstring& GetDefaultNamespaceInScope() const noexcept;
  // The URI this element's own declaration binds the prefix to, or null.
  const std::wstring* FindNamespaceDeclaration(std::wstring_view prefix) const noexcept;

 protected:
  // Used by readers. AppendText adds text as given (the first length characters).
  void AppendText(const wchar_t* text);
  void AppendText(const wchar_t* text, size_t length);
  // A new empty child appended as the last child.
  CXmlElement* CreateNewChildElement();
  // Unlinks the last child and returns it (null when there is none); it stays
  // readable until the document is destroyed or reloaded.
  CXmlElement* RemoveLastChildElement();
  void SetElementName(const wchar_t* localName);
  void SetNamespace(const wchar_t* namespaceUri);
  void AddAttribute(const wchar_t* localName, const wchar_t* value, const wchar_t* namespaceUri);

  CXmlElement(CXmlElement* parent, const detail::XmlName* name) noexcept;
  // Elements, attributes and their strings belong to the document, which
  // releases them all at once (and a removed subtree without recursion): an
  // element itself holds nothing to release.
  ~CXmlElement() override;

 private:
  friend class CXmlDocument;
  friend class CXmlElementRange;
  friend class CExpatReader;
  friend class CFastInfosetReader;
  friend class detail::XmlTreeBuilder;

  // One cache line: the tree of a large document is mostly elements.
  CXmlElement* m_parent;
  CXmlElement* m_nextSibling = nullptr;
  CXmlElement* m_firstChild = nullptr;
  CXmlElement* m_lastChild = nullptr;
  CXmlAttributeList m_attributes;
  // Held by the document: the element's own, or one shared by every element
  // with the same layout whitespace, or the shared empty string.
  const std::wstring* m_text;
  const detail::XmlName* m_name;
};

// Child elements of one element, in document order: all of them, or those of
// one qualified name. Iterates as const CXmlElement&; valid while the element
// is. Names are held once per document, so the filter compares addresses.
class CXmlElementRange {
 public:
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = CXmlElement;
    using difference_type = std::ptrdiff_t;
    using pointer = const CXmlElement*;
    using reference = const CXmlElement&;

    const_iterator() noexcept = default;
    reference operator*() const noexcept { return *m_element; }
    pointer operator->() const noexcept { return m_element; }
    const_iterator& operator++() noexcept {
      m_element = Next(m_element, m_name);
      return *this;
    }
    const_iterator operator++(int) noexcept {
      const_iterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) noexcept {
      return a.m_element == b.m_element;
    }
    friend bool operator!=(const const_iterator& a, const const_iterator& b) noexcept {
      return a.m_element != b.m_element;
    }

   private:
    friend class CXmlElementRange;
    const_iterator(const CXmlElement* element, const detail::XmlName* name) noexcept
        : m_element(element), m_name(name) {}
    const CXmlElement* m_element = nullptr;
    const detail::XmlName* m_name = nullptr;
  };
  using iterator = const_iterator;

  const_iterator begin() const noexcept { return {m_first, m_name}; }
  const_iterator end() const noexcept { return {}; }
  bool empty() const noexcept { return m_first == nullptr; }

 private:
  friend class CXmlElement;
  CXmlElementRange(const CXmlElement* first, const detail::XmlName* name) noexcept
      : m_first(first), m_name(name) {}
  // The sibling after element, of the given name unless name is null.
  static const CXmlElement* Next(const CXmlElement* element, const detail::XmlName* name) noexcept {
    do {
      element = element->m_nextSibling;
    } while (element && name && element->m_name != name);
    return element;
  }

  const CXmlElement* m_first;
  const detail::XmlName* m_name;  // null for every child
};

// A document tree with the operations that load it. Every load empties the
// document first, so one document can be loaded several times. A document is
// used by one thread at a time.
class KORVEL_API CXmlDocument : public CInstanceMonitor {
 public:
  // Called for each element when its end tag has been read (the element is
  // complete, its ancestors are still being read); true removes the element
  // and its subtree from the tree at once. The document element is never
  // removed: a document without one is an empty document.
  using ElementFilter = bool (*)(CXmlElement* element);

  // The context (which must outlive the document) supplies StripCDATA and the
  // schema type; the default context is used when none is given.
  CXmlDocument();
  explicit CXmlDocument(const CSerializationContext& context);
  explicit CXmlDocument(ElementFilter filter);
  CXmlDocument(ElementFilter filter, const CSerializationContext& context);
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;
  ~CXmlDocument() override;

  // Null until an element has been read.
  CXmlElement* GetDocumentElement() const noexcept { return m_documentElement; }

  // Reads a file: in one piece, inflating it when it is gzip or zlib compressed;
  // or, under AsyncFromXmlFile, in chunks handed to the parser as they arrive.
  // Failures throw CKvException naming the file and the system error code.
  void Load(const wchar_t* fileName);
  void Load(const std::wstring& fileName);
  // A file name in the file system's bytes, which must be UTF-8; other bytes
  // throw CKvInvalidParamException.
  void Load(const std::filesystem::path& fileName);
  // Text in the encoding its byte-order mark or XML declaration gives (UTF-8
  // otherwise). Throws CKvException "XML String is empty!" for an empty string.
  void LoadXml(const char* text);
  // Wide text, read as the characters it holds: an encoding its XML
  // declaration names is ignored. Throws "XML String is empty!" when empty.
  void LoadXml(const wchar_t* text);
  // UTF-8 text, whatever an XML declaration says, of the view's length (no
  // terminator). Malformed UTF-8 throws CKvInvalidParamException with its
  // offset before anything is parsed; "XML String is empty!" when empty.
  void LoadXml(std::string_view text);
  // Bytes of XML text or a Fast Infoset document, possibly gzip or zlib
  // compressed (inflated only when they fit a CBinaryData). Throws
  // CKvException "XML Stream is empty!" for no bytes.
  void LoadXmlStream(const unsigned char* data, size_t length);
  // A parse error throws CKvException "<parser's message> at line <n>". A failed
  // load leaves the document as read up to the error, text of the elements
  // still open included, except a file read in chunks, which leaves
  // the document empty.

  // JSON is not loaded into the tree: it is converted to XML text under the
  // context's JSON options and that text (UTF-8, with its declaration) is
  // returned; the tree stays empty. Byte input may be gzip or zlib compressed
  // and UTF-8 or UTF-16 (told by a byte-order mark or by the zero bytes of
  // its first character); a byte-order mark is skipped on every form.
  // Malformed JSON throws CKvValidationException with the line, the position
  // and the JSON path; "JSON String is empty!" and "JSON Stream is empty!" are
  // CKvException, as are the file messages of Load.
  CBinaryData LoadJsonFile(const wchar_t* fileName);
  CBinaryData LoadJsonStream(const unsigned char* data, size_t length);
  CBinaryData LoadJson(const char* text);
  CBinaryData LoadJson(const wchar_t* text);

  // The URI the document declared for the prefix (the empty prefix standing for
  // the default namespace), or an empty string. Declarations are collected from
  // the whole document, a later one of a prefix replacing an earlier one.
  std::wstring LookupNamespaceFromAlias(const wchar_t* alias) const;
  // The smallest prefix declared for the URI, or an empty string (which is also
  // the answer for a URI declared as the default namespace).
  std::wstring LookupAliasFromNamespace(const wchar_t* namespaceUri) const;

 protected:
  // Destroys the tree and forgets the namespace declarations.
  virtual void Cleanup();

 private:
  friend class CExpatReader;
  friend class CFastInfosetReader;
  friend class detail::XmlTreeBuilder;

  // Builder operations of the readers. Null strings count as empty.
  //
  // The document element, pushed as the innermost open element.
  CXmlElement* AddDocElement(const wchar_t* namespaceUri, const wchar_t* localName);
  // A new last child of the innermost open element, pushed in its turn.
  CXmlElement* AddChildElement(const wchar_t* namespaceUri, const wchar_t* localName);
  // Closes the innermost open element and applies the element filter to it.
  void EndElement();
  static void AddElementAttribute(CXmlElement* element, const wchar_t* localName,
                                  const wchar_t* value, const wchar_t* namespaceUri);
  // Appends text up to its first NUL, or its first length characters when those
  // come first, leaving out every carriage return.
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text);
  static void AppendTextExcludingCR(CXmlElement* element, const wchar_t* text, size_t length);

  // The byte path: compressed input is inflated, then the bytes go to the
  // reader that recognises them.
  void Parse(const unsigned char* data, size_t length);
  void ParseCompressed(const unsigned char* data, size_t length);
  void ParseXmlText(const unsigned char* data, size_t length);
  void LoadFileSync(const wchar_t* fileName);
  void LoadFileAsync(const wchar_t* fileName);

  CXmlElement* m_documentElement = nullptr;
  ElementFilter m_filter = nullptr;
  const CSerializationContext* m_context;
  SchemaType m_schemaType;
  // Node memory, interned names, the open-element stack and the declarations.
  std::unique_ptr<detail::XmlDocumentData> m_data;
};

}  // namespace Korvel
