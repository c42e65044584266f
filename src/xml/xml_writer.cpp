// SPDX-License-Identifier: MIT
// The element stack and namespace scopes shared by every writer.
#include <korvel/xml_writer.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/same_text.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace {

// The n-th generated prefix: AA ... ZZ for the first 676, then three letters,
// and so on, so that every candidate is a valid name. Made in place: most are
// looked at and passed over.
struct PrefixCandidate {
  explicit PrefixCandidate(uint64_t n) {
    uint64_t count = 26 * 26;
    while (n >= count) {
      n -= count;
      ++letters;
      count *= 26;
    }
    for (size_t i = letters; i-- > 0; n /= 26) text[i] = static_cast<wchar_t>(L'A' + n % 26);
  }
  std::wstring_view View() const noexcept { return std::wstring_view(text, letters); }

  size_t letters = 2;
  wchar_t text[16];  // 26 to the 14th exceeds every uint64_t
};

// Calls visit(uri, prefix) once for each alias in force in scope: the
// nearest declaration of each URI, innermost scope first.
template <class Scope, class Visit>
void ForEachAlias(const Scope& scope, Visit visit) {
  // Whether a scope nearer than outer declares the URI, hiding outer's.
  const auto hidden = [&scope](const Scope* outer, const std::wstring& uri) {
    for (const Scope* s = &scope; s != outer; s = s->parent) {
      for (size_t i = 0; i < s->declared; ++i) {
        if (detail::SameText(s->added[i].first, uri)) return true;
      }
    }
    return false;
  };
  for (const Scope* s = &scope; s != nullptr; s = s->parent) {
    if (s->parent == nullptr) {
      for (const auto& [uri, prefix] : s->aliases) {
        if (!hidden(s, uri)) visit(uri, prefix);
      }
    } else {
      for (size_t i = 0; i < s->declared; ++i) {
        const auto& [uri, prefix] = s->added[i];
        if (!hidden(s, uri)) visit(uri, prefix);
      }
    }
  }
}

// The place of prefix in the sequence of generated prefixes when it is one
// of the first limit + 1 of them; a number beyond limit otherwise.
uint64_t CandidateIndex(std::wstring_view prefix, uint64_t limit) {
  if (prefix.size() < 2) return limit + 1;
  // The first candidate with as many letters as prefix.
  uint64_t first = 0;
  for (uint64_t letters = 2, count = 26 * 26; letters < prefix.size(); ++letters, count *= 26) {
    first += count;
    if (first > limit) return limit + 1;
  }
  uint64_t place = 0;
  for (const wchar_t c : prefix) {
    if (c < L'A' || c > L'Z') return limit + 1;
    place = place * 26 + static_cast<uint64_t>(c - L'A');
  }
  return first + place;
}

// The first candidate that no URI in scope is mapped to. The prefixes in
// force are marked by their places among the candidates, with no string
// compared: the first 64 places as bits, which nearly always hold a free one.
// Otherwise, as n prefixes take at most n places, one of the first n + 1 is
// free, and those are marked.
template <class Scope>
std::wstring FirstFreePrefix(const Scope& scope) {
  constexpr uint64_t kFirstPlaces = 64;
  uint64_t taken = 0;
  size_t count = 0;
  ForEachAlias(scope, [&](const std::wstring&, const std::wstring& prefix) {
    ++count;
    const uint64_t place = CandidateIndex(prefix, kFirstPlaces - 1);
    if (place < kFirstPlaces) taken |= uint64_t{1} << place;
  });
  if (~taken != 0) return std::wstring(PrefixCandidate(__builtin_ctzll(~taken)).View());
  std::vector<bool> marks(count + 1);
  ForEachAlias(scope, [&](const std::wstring&, const std::wstring& prefix) {
    const uint64_t place = CandidateIndex(prefix, count);
    if (place <= count) marks[place] = true;
  });
  const auto free = std::find(marks.begin(), marks.end(), false);
  return std::wstring(PrefixCandidate(static_cast<uint64_t>(free - marks.begin())).View());
}

// Sets kept to value, leaving it alone when it holds value already: a context
// reused for the next sibling most often declares what the last one did.
const std::wstring& Keep(std::wstring& kept, const std::wstring& value) {
  if (!detail::SameText(kept, value)) kept = value;
  return kept;
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
  m_ownScope->parent = nullptr;
  m_ownScope->aliases = aliases;
  m_ownScope->declared = 0;
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
  // A reused context most often had the same prefix last time.
  if (prefix != nullptr && !detail::SameText(m_namePrefix, *prefix)) m_namePrefix = *prefix;
}

const std::wstring* Context::FindPrefix(const std::wstring& namespaceUri) const {
  for (const Scope* s = m_scope;; s = s->parent) {
    if (s->parent == nullptr) {
      // A document has a few aliases: compared length first, most of them
      // are passed over without a character read, where the map's search
      // would compare characters at every step.
      constexpr size_t kScanned = 8;
      if (s->aliases.size() > kScanned) {
        const auto it = s->aliases.find(namespaceUri);
        return it != s->aliases.end() ? &it->second : nullptr;
      }
      for (const auto& [uri, prefix] : s->aliases) {
        if (detail::SameText(uri, namespaceUri)) return &prefix;
      }
      return nullptr;
    }
    for (size_t i = 0; i < s->declared; ++i) {
      if (detail::SameText(s->added[i].first, namespaceUri)) return &s->added[i].second;
    }
  }
}

const CXmlWriter::NamespaceMap& Context::GetAliases() const {
  if (m_scope->parent == nullptr) return m_scope->aliases;
  m_scope->merged.clear();
  ForEachAlias(*m_scope, [this](const std::wstring& uri, const std::wstring& prefix) {
    m_scope->merged.emplace(uri, prefix);
  });
  return m_scope->merged;
}

Context::Scope& Context::OwnScope() {
  if (SharesParentScope()) {
    if (!m_ownScope) m_ownScope = std::make_unique<Scope>();
    Scope& own = *m_ownScope;
    Keep(own.defaultNamespace, m_scope->defaultNamespace);
    own.parent = m_scope;
    own.declared = 0;
    m_scope = &own;
  }
  return *m_ownScope;
}

const std::wstring& Context::Declare(const std::wstring& namespaceUri, const std::wstring& prefix) {
  Scope& own = OwnScope();
  if (own.parent == nullptr) return own.aliases[namespaceUri] = prefix;
  for (size_t i = 0; i < own.declared; ++i) {
    if (detail::SameText(own.added[i].first, namespaceUri)) return own.added[i].second = prefix;
  }
  if (own.declared == own.added.size()) own.added.emplace_back();
  auto& [uri, stored] = own.added[own.declared++];
  Keep(uri, namespaceUri);
  return Keep(stored, prefix);
}

void Context::SetDefaultNamespace(const std::wstring& namespaceUri) {
  m_namePrefixInScope = false;
  OwnScope().defaultNamespace = namespaceUri;
}

void Context::AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri) {
  if (detail::SameText(namespaceUri, *m_namespaceUri)) m_namePrefixInScope = false;
  Declare(namespaceUri, prefix);
}

const std::wstring& Context::AllocatePrefix(const std::wstring& namespaceUri) {
  if (detail::SameText(namespaceUri, *m_namespaceUri)) m_namePrefixInScope = false;
  return Declare(namespaceUri, FirstFreePrefix(*m_scope));
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
