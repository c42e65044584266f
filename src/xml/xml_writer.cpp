// SPDX-License-Identifier: MIT
// The element stack and namespace scopes shared by every writer.
#include <korvel/xml_writer.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/writer_messages.h"

namespace Korvel {

namespace {

// The n-th generated prefix: AA ... ZZ for the first 676, then three letters,
// and so on, so that every candidate is a valid name.
std::wstring PrefixCandidate(uint64_t n) {
  size_t letters = 2;
  uint64_t count = 26 * 26;
  while (n >= count) {
    n -= count;
    ++letters;
    count *= 26;
  }
  std::wstring prefix(letters, L'A');
  for (size_t i = letters; i-- > 0; n /= 26) prefix[i] = static_cast<wchar_t>(L'A' + n % 26);
  return prefix;
}

// The first candidate that no URI in aliases is mapped to. A small scope, the
// usual one, is searched as it is; the prefixes of a larger one are sorted
// once, so that many generated prefixes are not searched once per candidate.
std::wstring FirstFreePrefix(const CXmlWriter::NamespaceMap& aliases) {
  constexpr size_t kSmallScope = 8;
  if (aliases.size() <= kSmallScope) {
    for (uint64_t n = 0;; ++n) {
      std::wstring candidate = PrefixCandidate(n);
      if (std::none_of(aliases.begin(), aliases.end(),
                       [&](const auto& entry) { return entry.second == candidate; })) {
        return candidate;
      }
    }
  }
  std::vector<std::wstring_view> used;
  used.reserve(aliases.size());
  for (const auto& entry : aliases) used.push_back(entry.second);
  std::sort(used.begin(), used.end());
  for (uint64_t n = 0;; ++n) {
    std::wstring candidate = PrefixCandidate(n);
    if (!std::binary_search(used.begin(), used.end(), std::wstring_view(candidate))) {
      return candidate;
    }
  }
}

// Makes target a copy of source, with extraUri (when given) mapped to
// extraPrefix. A context reused for sibling elements copies much the same
// scope each time, and most often adds the same declaration to it (xsi): the
// entries it holds already keep their strings, so that only what differs
// allocates.
void AssignAliases(CXmlWriter::NamespaceMap& target, const CXmlWriter::NamespaceMap& source,
                   const std::wstring* extraUri = nullptr,
                   const std::wstring& extraPrefix = std::wstring()) {
  auto t = target.begin();
  const auto put = [&](const std::wstring& uri, const std::wstring& prefix) {
    int order = 0;
    while (t != target.end() && (order = t->first.compare(uri)) < 0) t = target.erase(t);
    if (t != target.end() && order == 0) {
      if (t->second != prefix) t->second = prefix;
      ++t;
    } else {
      target.emplace_hint(t, uri, prefix);
    }
  };
  for (const auto& [uri, prefix] : source) {
    if (extraUri != nullptr && *extraUri <= uri) {
      put(*extraUri, extraPrefix);
      const bool replaces = *extraUri == uri;
      extraUri = nullptr;
      if (replaces) continue;
    }
    put(uri, prefix);
  }
  if (extraUri != nullptr) put(*extraUri, extraPrefix);
  target.erase(t, target.end());
}

// Destroys a chain of contexts linked through their parents, one at a time, so
// that a deep document cannot exhaust the stack.
void DestroyChain(CXmlWriter::CXmlWriterContext* context) {
  while (context != nullptr) {
    CXmlWriter::CXmlWriterContext* parent = context->DetachParent();
    delete context;
    context = parent;
  }
}

}  // namespace

// --- CXmlWriterContext ------------------------------------------------------

using Context = CXmlWriter::CXmlWriterContext;

Context::CXmlWriterContext(const std::wstring& name, const std::wstring& namespaceUri,
                           const std::wstring& defaultNamespace, const NamespaceMap& aliases)
    : CInstanceMonitor(L"CXmlWriterContext") {
  StartRoot(name, namespaceUri, defaultNamespace, aliases);
}

Context::CXmlWriterContext(const std::wstring& name, const std::wstring& namespaceUri,
                           CXmlWriterContext* parent)
    : CInstanceMonitor(L"CXmlWriterContext") {
  StartChild(name, namespaceUri, parent);
}

Context::~CXmlWriterContext() { DestroyChain(DetachParent()); }

void Context::StartRoot(const std::wstring& name, const std::wstring& namespaceUri,
                        const std::wstring& defaultNamespace, const NamespaceMap& aliases,
                        bool keepNames) {
  StartChild(name, namespaceUri, nullptr, keepNames);
  if (!m_ownScope) m_ownScope = std::make_unique<Scope>();
  m_ownScope->defaultNamespace = defaultNamespace;
  m_ownScope->aliases = aliases;
  ++m_ownScope->version;
  m_ownScope->copiedFrom = nullptr;
  m_scope = m_ownScope.get();
}

void Context::StartChild(const std::wstring& name, const std::wstring& namespaceUri,
                         CXmlWriterContext* parent, bool keepNames) {
  m_childCount = 0;
  m_startTagOpen = true;
  m_depth = parent != nullptr ? parent->m_depth + 1 : 0;
  if (keepNames) {
    m_namespaceUri = &namespaceUri;
    m_name = &name;
  } else {
    // Assignment keeps the strings' storage when the context is reused.
    m_namespaceCopy = namespaceUri;
    m_nameCopy = name;
    m_namespaceUri = &m_namespaceCopy;
    m_name = &m_nameCopy;
  }
  m_parent = parent;
  m_writerState = 0;
  m_scope = parent != nullptr ? parent->m_scope : nullptr;
  m_hasNamePrefix = m_namePrefixInScope = false;
}

void Context::SetNamePrefix(const std::wstring* prefix) {
  m_hasNamePrefix = m_namePrefixInScope = prefix != nullptr;
  if (prefix != nullptr) m_namePrefix = *prefix;
}

const std::wstring* Context::FindPrefix(const std::wstring& namespaceUri) const {
  const auto it = m_scope->aliases.find(namespaceUri);
  return it != m_scope->aliases.end() ? &it->second : nullptr;
}

Context::Scope& Context::OwnScope(const std::wstring* extraUri, const std::wstring& extraPrefix) {
  Scope* own = m_ownScope.get();
  if (SharesParentScope()) {
    if (own == nullptr) m_ownScope = std::make_unique<Scope>(), own = m_ownScope.get();
    own->defaultNamespace = m_scope->defaultNamespace;
    AssignAliases(own->aliases, m_scope->aliases, extraUri, extraPrefix);
    own->copiedFrom = m_scope;
    own->copiedVersion = m_scope->version;
    own->afterCopy = ++own->version;
    own->addedPrefix = nullptr;
    if (extraUri != nullptr) {
      own->addedUri = *extraUri;
      own->addedPrefix = &own->aliases.find(*extraUri)->second;
    }
    m_scope = own;
  } else {
    // The caller changes it.
    ++own->version;
    if (extraUri != nullptr) own->aliases[*extraUri] = extraPrefix;
  }
  return *own;
}

void Context::SetDefaultNamespace(const std::wstring& namespaceUri) {
  m_namePrefixInScope = false;
  OwnScope();
  ++m_ownScope->version;
  m_ownScope->defaultNamespace = namespaceUri;
}

void Context::AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri) {
  if (namespaceUri == *m_namespaceUri) m_namePrefixInScope = false;
  OwnScope();
  ++m_ownScope->version;
  m_ownScope->aliases[namespaceUri] = prefix;
}

const std::wstring& Context::AllocatePrefix(const std::wstring& namespaceUri) {
  if (namespaceUri == *m_namespaceUri) m_namePrefixInScope = false;
  // Siblings mostly declare the same namespace (xsi) in the same scope: the
  // copy the context made for an earlier one is the copy this one needs.
  if (Scope* own = m_ownScope.get(); own != nullptr && SharesParentScope() &&
                                     own->copiedFrom == m_scope &&
                                     own->copiedVersion == m_scope->version &&
                                     own->version == own->afterCopy && own->addedPrefix &&
                                     own->addedUri == namespaceUri) {
    m_scope = own;
    return *own->addedPrefix;
  }
  const std::wstring prefix = FirstFreePrefix(m_scope->aliases);
  return OwnScope(&namespaceUri, prefix).aliases.find(namespaceUri)->second;
}

// --- CXmlWriter -------------------------------------------------------------

CXmlWriter::CXmlWriter(const wchar_t* className) : CInstanceMonitor(className) {
  m_aliases.emplace(XML_NAMESPACE, L"xml");
}

CXmlWriter::~CXmlWriter() {
  DestroyChain(m_current);
  DestroyChain(m_spare);
}

void CXmlWriter::Open() {}

void CXmlWriter::Close() {
  if (m_current != nullptr) detail::ThrowWriterError(detail::kElementNotClosed);
}

void CXmlWriter::SetDefaultNamespace(const std::wstring& namespaceUri) {
  if (m_current != nullptr) {
    m_current->SetDefaultNamespace(namespaceUri);
  } else {
    m_defaultNamespace = namespaceUri;
  }
}

void CXmlWriter::AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri) {
  if (m_current != nullptr) {
    m_current->AddNamespaceAlias(prefix, namespaceUri);
  } else {
    m_aliases[namespaceUri] = prefix;
  }
}

Context& CXmlWriter::PushElement(const std::wstring& name, const std::wstring& namespaceUri) {
  Context* context = m_spare;
  if (context != nullptr) {
    m_spare = context->DetachParent();
  } else {
    context = new Context();
  }
  try {
    if (m_current != nullptr) {
      context->StartChild(name, namespaceUri, m_current, m_keepNames);
    } else {
      context->StartRoot(name, namespaceUri, m_defaultNamespace, m_aliases, m_keepNames);
    }
  } catch (...) {
    context->m_parent = m_spare;
    m_spare = context;
    throw;
  }
  m_current = context;
  return *context;
}

void CXmlWriter::PopElement() {
  Context& finished = RequireCurrentElement();
  m_current = finished.DetachParent();
  finished.m_parent = m_spare;
  m_spare = &finished;
}

void CXmlWriter::ThrowNoElementOpen() { detail::ThrowWriterError(detail::kNoElementOpen); }

}  // namespace Korvel
