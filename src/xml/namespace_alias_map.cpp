// SPDX-License-Identifier: MIT
// CNamespaceAliasMap over a vector sorted by namespace URI.
#include <korvel/namespace_alias_map.h>

#include <algorithm>
#include <string>
#include <string_view>

#include <korvel/errors.h>

namespace Korvel {

namespace {

constexpr wchar_t kAliasNotFound[] = L"Namespace alias [%s] not found";

[[noreturn]] void ThrowAliasNotFound(std::wstring_view alias) {
  throw CKvException(FormatString(kAliasNotFound, std::wstring(alias).c_str()));
}

// Arguments are looked at through views, so that lookups copy nothing.
std::wstring_view View(const wchar_t* text) { return text ? std::wstring_view(text) : L""; }

bool UriLess(const std::pair<std::wstring, std::wstring>& entry, std::wstring_view uri) {
  return std::wstring_view(entry.first) < uri;
}

}  // namespace

CNamespaceAliasMap::CNamespaceAliasMap() = default;
CNamespaceAliasMap::CNamespaceAliasMap(const CNamespaceAliasMap& other) = default;
CNamespaceAliasMap::CNamespaceAliasMap(CNamespaceAliasMap&& other) noexcept = default;
CNamespaceAliasMap& CNamespaceAliasMap::operator=(const CNamespaceAliasMap& other) = default;
CNamespaceAliasMap& CNamespaceAliasMap::operator=(CNamespaceAliasMap&& other) noexcept = default;
CNamespaceAliasMap::~CNamespaceAliasMap() = default;

std::vector<CNamespaceAliasMap::Entry>::const_iterator CNamespaceAliasMap::Find(
    std::wstring_view namespaceURI) const {
  auto it = std::lower_bound(m_entries.begin(), m_entries.end(), namespaceURI, UriLess);
  return it != m_entries.end() && it->first == namespaceURI ? it : m_entries.end();
}

void CNamespaceAliasMap::Add(const wchar_t* alias, const wchar_t* namespaceURI) {
  std::wstring_view uri = View(namespaceURI);
  auto it = std::lower_bound(m_entries.begin(), m_entries.end(), uri, UriLess);
  if (it != m_entries.end() && it->first == uri)
    it->second = View(alias);
  else
    m_entries.emplace(it, uri, View(alias));
}

void CNamespaceAliasMap::RemoveNamespace(const wchar_t* namespaceURI) {
  auto it = Find(View(namespaceURI));
  if (it != m_entries.end()) m_entries.erase(it);
}

std::wstring CNamespaceAliasMap::GetNamespaceFromAlias(const wchar_t* alias) const {
  std::wstring_view wanted = View(alias);
  for (const Entry& entry : m_entries)
    if (entry.second == wanted) return entry.first;
  ThrowAliasNotFound(wanted);
}

std::wstring CNamespaceAliasMap::GetAliasFromNamespace(const wchar_t* namespaceURI) const {
  auto it = Find(View(namespaceURI));
  return it != m_entries.end() ? it->second : std::wstring();
}

bool CNamespaceAliasMap::DoesNamespaceExist(const wchar_t* namespaceURI) const {
  return Find(View(namespaceURI)) != m_entries.end();
}

bool CNamespaceAliasMap::DoesAliasExist(const wchar_t* alias) const {
  std::wstring_view wanted = View(alias);
  return std::any_of(m_entries.begin(), m_entries.end(),
                     [wanted](const Entry& entry) { return entry.second == wanted; });
}

int32_t CNamespaceAliasMap::GetNamespaceCount() const {
  return static_cast<int32_t>(m_entries.size());
}

std::wstring CNamespaceAliasMap::GetNamespaceAt(int32_t index) const {
  size_t position = index > 0 ? static_cast<size_t>(index) : 0;
  return position < m_entries.size() ? m_entries[position].first : std::wstring();
}

}  // namespace Korvel
