// SPDX-License-Identifier: MIT
// CXmlWriter: the abstract sink that serialisers describe documents to, with
// the element stack and namespace scopes that all its implementations share.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <korvel/export.h>
#include <korvel/instance_monitor.h>
#include <korvel/item_type.h>

namespace Korvel {

namespace detail {
struct KeptNames;
}  // namespace detail

class KORVEL_API CXmlWriter : public CInstanceMonitor {
 public:
  // Namespace URI to prefix, in code-unit order of the URI.
  using NamespaceMap = std::map<std::wstring, std::wstring>;

  // One open element: its name, its place in the tree, and the default
  // namespace and prefixes in force inside it.
  //
  // A child shares its parent's scope until it adds an alias or sets a
  // default namespace, and only then copies it, so elements that declare
  // nothing cost no map copy. A context owns its parent: destroying it
  // destroys the chain of its ancestors.
  class KORVEL_API CXmlWriterContext : public CInstanceMonitor {
   public:
    // The root element, with its own copy of the document's scope.
    CXmlWriterContext(const std::wstring& name, const std::wstring& namespaceUri,
                      const std::wstring& defaultNamespace, const NamespaceMap& aliases);
    // A child of parent (which the new context then owns), sharing its scope.
    CXmlWriterContext(const std::wstring& name, const std::wstring& namespaceUri,
                      CXmlWriterContext* parent);
    CXmlWriterContext(const CXmlWriterContext&) = delete;
    CXmlWriterContext& operator=(const CXmlWriterContext&) = delete;
    ~CXmlWriterContext() override;

    const std::wstring& GetName() const noexcept { return *m_name; }
    const std::wstring& GetNamespaceUri() const noexcept { return *m_namespaceUri; }
    // 0 for the root element.
    int32_t GetDepth() const noexcept { return m_depth; }
    void SetDepth(int32_t depth) noexcept { m_depth = depth; }
    CXmlWriterContext* GetParent() const noexcept { return m_parent; }
    // Hands the parent chain over to the caller.
    CXmlWriterContext* DetachParent() noexcept {
      CXmlWriterContext* parent = m_parent;
      m_parent = nullptr;
      return parent;
    }

    // Child elements started inside this one.
    int32_t GetChildCount() const noexcept { return m_childCount; }
    void AddChild() noexcept { ++m_childCount; }
    // True from the start of the element until its start tag is closed.
    bool IsStartTagOpen() const noexcept { return m_startTagOpen; }
    void SetStartTagOpen(bool open) noexcept { m_startTagOpen = open; }
    // Whatever a writer needs to remember per element; 0 at creation.
    int32_t GetWriterState() const noexcept { return m_writerState; }
    void SetWriterState(int32_t state) noexcept { m_writerState = state; }

    // The scope in force: this element's own, or that of the nearest ancestor
    // that has one.
    const std::wstring& GetDefaultNamespace() const noexcept { return m_scope->defaultNamespace; }
    // Every alias in force, the nearest declaration of each URI: a map that
    // the next call may change.
    const NamespaceMap& GetAliases() const;
    bool SharesParentScope() const noexcept { return m_scope != m_ownScope.get(); }
    // True for no namespace and for the default namespace in force: such
    // names are written without a prefix.
    bool IsUnprefixed(const std::wstring& namespaceUri) const noexcept {
      return namespaceUri.empty() || namespaceUri == m_scope->defaultNamespace;
    }
    // The prefix mapped to the URI in scope, or null.
    const std::wstring* FindPrefix(const std::wstring& namespaceUri) const;
    // The prefix of the element's own name as its start tag wrote it (null
    // when unprefixed), which its end tag repeats. A writer sets it.
    const std::wstring* GetNamePrefix() const noexcept {
      return m_hasNamePrefix ? &m_namePrefix : nullptr;
    }
    void SetNamePrefix(const std::wstring* prefix);
    // The prefix that a name in the element's own namespace takes in the
    // scope in force, when the name prefix is known to be it still (no
    // declaration has changed the scope since); null otherwise. Children in
    // their parent's namespace save a lookup with it.
    const std::wstring* GetNamePrefixInScope() const noexcept {
      return m_namePrefixInScope ? &m_namePrefix : nullptr;
    }

    // These change this element's scope, copying the parent's first.
    void SetDefaultNamespace(const std::wstring& namespaceUri);
    void AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri);
    // Maps the URI to the first of AA, AB, ... AZ, BA, ... ZZ that is not yet
    // a prefix in scope (then AAA, AAB, ...) and returns it.
    const std::wstring& AllocatePrefix(const std::wstring& namespaceUri);

   private:
    friend class CXmlWriter;
    // A scope extends the one in force where it was made with its own
    // declarations, and is searched before it: declaring a namespace costs
    // one entry, not a copy of every alias in scope.
    struct Scope {
      std::wstring defaultNamespace;
      // The scope this one extends; null for the root's, which holds the
      // document's aliases and its own in aliases.
      const Scope* parent = nullptr;
      NamespaceMap aliases;
      // The declarations of any other scope, a URI at most once: the first
      // declared entries of added. A deque keeps the prefixes where they are
      // as entries are added; entries past the declared ones keep their
      // strings' storage for the next element of the context.
      std::deque<std::pair<std::wstring, std::wstring>> added;
      size_t declared = 0;
      // Every alias in force, made when GetAliases asks for it.
      mutable NamespaceMap merged;
    };

    CXmlWriterContext() = default;
    // With keepNames, the context refers to name and namespaceUri, which
    // outlive the element, instead of copying them.
    void StartRoot(const std::wstring& name, const std::wstring& namespaceUri,
                   const std::wstring& defaultNamespace, const NamespaceMap& aliases,
                   bool keepNames = false);
    void StartChild(const std::wstring& name, const std::wstring& namespaceUri,
                    CXmlWriterContext* parent, bool keepNames = false);
    // This element's own scope, made first (extending the one in force) if
    // the element still shares its parent's.
    Scope& OwnScope();
    // Maps the URI to the prefix in this element's own scope; the stored prefix.
    const std::wstring& Declare(const std::wstring& namespaceUri, const std::wstring& prefix);

    int32_t m_childCount = 0;
    bool m_startTagOpen = true;
    int32_t m_depth = 0;
    // The element's name and namespace: the caller's strings, or copies of
    // them kept here.
    const std::wstring* m_namespaceUri = &m_namespaceCopy;
    const std::wstring* m_name = &m_nameCopy;
    std::wstring m_namespaceCopy;
    std::wstring m_nameCopy;
    CXmlWriterContext* m_parent = nullptr;
    int32_t m_writerState = 0;
    const Scope* m_scope = nullptr;
    std::wstring m_namePrefix;
    bool m_hasNamePrefix = false;
    bool m_namePrefixInScope = false;
    // Allocated the first time this element changes its scope; kept when the
    // writer reuses the context for a later element.
    std::unique_ptr<Scope> m_ownScope;
  };

  CXmlWriter(const CXmlWriter&) = delete;
  CXmlWriter& operator=(const CXmlWriter&) = delete;
  // Destroys the element contexts still open.
  ~CXmlWriter() override;

  // Prepares the output; nothing in the base.
  virtual void Open();
  // Throws CKvException "An Element has not been closed." while an element is
  // open; writers close their output first, then call this.
  virtual void Close();
  // Before the root element: the document's default namespace, declared on the
  // root; inside an element: the default namespace of its scope, not declared.
  virtual void SetDefaultNamespace(const std::wstring& namespaceUri);
  // Before the root element: a document alias, declared on the root; inside
  // an element: an alias of its scope, not declared.
  virtual void AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri);
  virtual void WriteComment(const std::wstring& text) = 0;
  // Complete processing-instruction markup.
  virtual void WriteProcessingInstruction(const std::wstring& text) = 0;
  // Placed as it is right after the root element's start tag, which it closes.
  virtual void WriteInLineSchema(const std::wstring& text) = 0;
  virtual void StartElement(const std::wstring& name, const std::wstring& namespaceUri) = 0;
  // The simple content of the current element; isDefaultValue tells that the
  // text equals the schema default of the element.
  virtual void WriteText(const std::wstring& text, ItemType itemType, bool isDefaultValue) = 0;
  virtual void EndElement() = 0;
  // Only while the current element's start tag is open.
  virtual void WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                              const std::wstring& value, ItemType itemType) = 0;
  // xsi:type with the qualified type name as its value.
  virtual void WriteXsiType(const std::wstring& typeNamespaceUri, const std::wstring& typeName,
                            ItemType itemType) = 0;
  // xsi:nil="true".
  virtual void WriteNil() = 0;

  const std::wstring& GetDocumentDefaultNamespace() const noexcept { return m_defaultNamespace; }
  // Starts with "http://www.w3.org/XML/1998/namespace" mapped to "xml".
  const NamespaceMap& GetDocumentAliases() const noexcept { return m_aliases; }
  // The innermost open element, or null.
  CXmlWriterContext* GetCurrentElement() const noexcept { return m_current; }

  static constexpr wchar_t XML_NAMESPACE[] = L"http://www.w3.org/XML/1998/namespace";
  static constexpr wchar_t XSI_NAMESPACE[] = L"http://www.w3.org/2001/XMLSchema-instance";

 protected:
  explicit CXmlWriter(const wchar_t* className);

  // Opens an element, a child of the current one or else the root, and makes
  // it current.
  CXmlWriterContext& PushElement(const std::wstring& name, const std::wstring& namespaceUri);
  // Closes the current element; its parent becomes current. Throws
  // CKvException "No element is open." when there is none.
  void PopElement();
  // The current element; throws as PopElement when there is none.
  CXmlWriterContext& RequireCurrentElement() const {
    if (m_current == nullptr) ThrowNoElementOpen();
    return *m_current;
  }

 private:
  friend struct detail::KeptNames;

  [[noreturn]] static void ThrowNoElementOpen();

  std::wstring m_defaultNamespace;
  CXmlWriterContext* m_current = nullptr;
  NamespaceMap m_aliases;
  // Contexts of closed elements, chained through their parent pointers and
  // reused so that an element costs no allocation once the tree's depth has
  // been reached.
  CXmlWriterContext* m_spare = nullptr;
  // True while a caller whose name strings outlive the element starts one.
  bool m_keepNames = false;
};

}  // namespace Korvel
