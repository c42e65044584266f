// SPDX-License-Identifier: MIT
// CNamespaceAliasMap: the caller's preferred prefixes for namespace URIs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <korvel/export.h>

namespace Korvel {

// Maps each namespace URI to one alias, kept in ascending code-unit order of the
// URI so that positions and iteration follow that order. Several URIs may share
// an alias. Comparisons are exact and case-sensitive; a null string argument is
// taken as the empty string.
class KORVEL_API CNamespaceAliasMap {
 public:
  CNamespaceAliasMap();
  CNamespaceAliasMap(const CNamespaceAliasMap& other);
  CNamespaceAliasMap(CNamespaceAliasMap&& other) noexcept;
  CNamespaceAliasMap& operator=(const CNamespaceAliasMap& other);
  CNamespaceAliasMap& operator=(CNamespaceAliasMap&& other) noexcept;
  virtual ~CNamespaceAliasMap();

  // Sets the alias of the URI, replacing any alias it had.
  void Add(const wchar_t* alias, const wchar_t* namespaceURI);
  // Removes the URI and its alias; an absent URI is ignored.
  void RemoveNamespace(const wchar_t* namespaceURI);

  // The first URI, in URI order, whose alias is the argument. Throws CKvException
  // "Namespace alias [<alias>] not found" when no URI has it.
  std::wstring GetNamespaceFromAlias(const wchar_t* alias) const;
  // The alias of the URI, or an empty string when the URI is absent.
  std::wstring GetAliasFromNamespace(const wchar_t* namespaceURI) const;
  bool DoesNamespaceExist(const wchar_t* namespaceURI) const;
  bool DoesAliasExist(const wchar_t* alias) const;

  int32_t GetNamespaceCount() const;
  // The URI at this position in URI order. An index of 0 or less gives the first
  // URI; an index at or past the count (or any index of an empty map) gives an
  // empty string.
  std::wstring GetNamespaceAt(int32_t index) const;

 private:
  using Entry = std::pair<std::wstring, std::wstring>;  // URI, alias

  std::vector<Entry>::const_iterator Find(std::wstring_view namespaceURI) const;

  // Sorted by URI. Alias maps hold a handful of entries and are read far more
  // often than changed (the writer walks them by position for every document),
  // so a sorted vector beats a tree: positions cost nothing.
  std::vector<Entry> m_entries;
};

}  // namespace Korvel
