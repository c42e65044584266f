// SPDX-License-Identifier: MIT
// CFIVocabulary: value-to-index maps and index-to-value tables kept in step.
#include <korvel/fi_vocabulary.h>

#include <utility>

namespace Korvel {

namespace {

constexpr wchar_t kXmlPrefix[] = L"xml";
constexpr wchar_t kXmlNamespace[] = L"http://www.w3.org/XML/1998/namespace";
// The two alphabets every Fast Infoset processor knows (ITU-T Rec. X.891, 8.2).
constexpr wchar_t kNumericAlphabet[] = L"0123456789-+.e ";
constexpr wchar_t kDateAndTimeAlphabet[] = L"0123456789-:TZ ";
// Separates the parts of a qualified name's key; it cannot occur in an XML name.
constexpr wchar_t kQNameKeySeparator = L'\x0001';

}  // namespace

CFIVocabulary::CFIStringTable::CFIStringTable() = default;
CFIVocabulary::CFIStringTable::CFIStringTable(const CFIStringTable& other) = default;
CFIVocabulary::CFIStringTable::CFIStringTable(CFIStringTable&& other) noexcept = default;
CFIVocabulary::CFIStringTable& CFIVocabulary::CFIStringTable::operator=(
    const CFIStringTable& other) = default;
CFIVocabulary::CFIStringTable& CFIVocabulary::CFIStringTable::operator=(
    CFIStringTable&& other) noexcept = default;
CFIVocabulary::CFIStringTable::~CFIStringTable() = default;

CFIVocabulary::CFIQNameTable::CFIQNameTable() = default;
CFIVocabulary::CFIQNameTable::CFIQNameTable(const CFIQNameTable& other) = default;
CFIVocabulary::CFIQNameTable::CFIQNameTable(CFIQNameTable&& other) noexcept = default;
CFIVocabulary::CFIQNameTable& CFIVocabulary::CFIQNameTable::operator=(const CFIQNameTable& other) =
    default;
CFIVocabulary::CFIQNameTable& CFIVocabulary::CFIQNameTable::operator=(
    CFIQNameTable&& other) noexcept = default;
CFIVocabulary::CFIQNameTable::~CFIQNameTable() = default;

CFIVocabulary::CFIVocabulary() : m_restrictedAlphabets{kNumericAlphabet, kDateAndTimeAlphabet} {
  AddPrefixName(kXmlPrefix);
  AddNamespaceName(kXmlNamespace);
}

CFIVocabulary::CFIVocabulary(const CFIVocabulary& other) = default;
CFIVocabulary::CFIVocabulary(CFIVocabulary&& other) noexcept = default;
CFIVocabulary& CFIVocabulary::operator=(const CFIVocabulary& other) = default;
CFIVocabulary& CFIVocabulary::operator=(CFIVocabulary&& other) noexcept = default;
CFIVocabulary::~CFIVocabulary() = default;

void CFIVocabulary::AddElement(std::wstring prefix, std::wstring namespaceName,
                               std::wstring localName) {
  AddQName(prefix, namespaceName, localName, m_elementNamesMap, m_elementNamesTable);
}

void CFIVocabulary::AddAttribute(std::wstring prefix, std::wstring namespaceName,
                                 std::wstring localName) {
  AddQName(prefix, namespaceName, localName, m_attributeNamesMap, m_attributeNamesTable);
}

void CFIVocabulary::AddAttributeValue(std::wstring value) {
  AddValueToMap(value, m_attributeValuesMap);
  AddValueToVector(std::move(value), m_attributeValuesTable);
}

void CFIVocabulary::AddElementValue(std::wstring value) {
  AddValueToMap(value, m_characterChunksMap);
  AddValueToVector(std::move(value), m_characterChunksTable);
}

void CFIVocabulary::AddPrefixName(std::wstring value) {
  AddValueToMap(value, m_prefixNamesMap);
  AddValueToVector(std::move(value), m_prefixNamesTable);
}

void CFIVocabulary::AddNamespaceName(std::wstring value) {
  AddValueToMap(value, m_namespaceNamesMap);
  AddValueToVector(std::move(value), m_namespaceNamesTable);
}

void CFIVocabulary::AddLocalName(std::wstring value) {
  AddValueToMap(value, m_localNamesMap);
  AddValueToVector(std::move(value), m_localNamesTable);
}

bool CFIVocabulary::FindPrefixNameIndex(const std::wstring& value, uint32_t& index) const {
  return FindIndex(m_prefixNamesMap, value, index);
}

bool CFIVocabulary::FindNamespaceNameIndex(const std::wstring& value, uint32_t& index) const {
  return FindIndex(m_namespaceNamesMap, value, index);
}

bool CFIVocabulary::FindLocalNameIndex(const std::wstring& value, uint32_t& index) const {
  return FindIndex(m_localNamesMap, value, index);
}

bool CFIVocabulary::FindAttributeValueIndex(const std::wstring& value, uint32_t& index) const {
  return FindIndex(m_attributeValuesMap, value, index);
}

bool CFIVocabulary::FindElementValueIndex(const std::wstring& value, uint32_t& index) const {
  return FindIndex(m_characterChunksMap, value, index);
}

namespace {

// QNameKey's key in a buffer reused by the thread: writers look a name up for
// every element and attribute, and a fresh key would cost an allocation each.
const std::wstring& LookupKey(const std::wstring& prefix, const std::wstring& namespaceName,
                              const std::wstring& localName) {
  thread_local std::wstring key;
  key.clear();
  key += localName;
  key += kQNameKeySeparator;
  key += namespaceName;
  key += kQNameKeySeparator;
  key += prefix;
  return key;
}

}  // namespace

bool CFIVocabulary::FindElementNameIndex(const std::wstring& prefix,
                                         const std::wstring& namespaceName,
                                         const std::wstring& localName, uint32_t& index) const {
  return FindIndex(m_elementNamesMap, LookupKey(prefix, namespaceName, localName), index);
}

bool CFIVocabulary::FindAttributeNameIndex(const std::wstring& prefix,
                                           const std::wstring& namespaceName,
                                           const std::wstring& localName, uint32_t& index) const {
  return FindIndex(m_attributeNamesMap, LookupKey(prefix, namespaceName, localName), index);
}

const std::vector<std::wstring>& CFIVocabulary::GetRestrictedAlphabets() const {
  return m_restrictedAlphabets;
}
const CFIVocabulary::CFIQNameTable& CFIVocabulary::GetAttributeNamesTable() const {
  return m_attributeNamesTable;
}
const CFIVocabulary::CFIStringTable& CFIVocabulary::GetAttributeValuesTable() const {
  return m_attributeValuesTable;
}
const CFIVocabulary::CFIQNameTable& CFIVocabulary::GetElementNamesTable() const {
  return m_elementNamesTable;
}
const CFIVocabulary::CFIStringTable& CFIVocabulary::GetCharacterChunksTable() const {
  return m_characterChunksTable;
}
const CFIVocabulary::CFIStringTable& CFIVocabulary::GetLocalNamesTable() const {
  return m_localNamesTable;
}
const CFIVocabulary::CFIStringTable& CFIVocabulary::GetNamespaceNamesTable() const {
  return m_namespaceNamesTable;
}
const CFIVocabulary::CFIStringTable& CFIVocabulary::GetPrefixNamesTable() const {
  return m_prefixNamesTable;
}

std::wstring CFIVocabulary::QNameKey(const std::wstring& prefix, const std::wstring& namespaceName,
                                     const std::wstring& localName) {
  std::wstring key;
  key.reserve(localName.size() + namespaceName.size() + prefix.size() + 2);
  key += localName;
  key += kQNameKeySeparator;
  key += namespaceName;
  key += kQNameKeySeparator;
  key += prefix;
  return key;
}

void CFIVocabulary::AddQName(const std::wstring& prefix, const std::wstring& namespaceName,
                             const std::wstring& localName, IndexMap& map, CFIQNameTable& table) {
  std::wstring key = QNameKey(prefix, namespaceName, localName);
  if (map.count(key) != 0) return;

  // A name is entered whole or not at all: a part that a full table cannot take
  // would leave the name without an index to refer to it by.
  auto hasRoom = [](const IndexMap& m, const CFIStringTable& t) {
    return m.size() < MAX_TABLE_ENTRIES && t.size() < MAX_TABLE_ENTRIES;
  };
  auto indexable = [&](const std::wstring& value, const IndexMap& m, const CFIStringTable& t) {
    return m.count(value) != 0 || hasRoom(m, t);
  };
  if (map.size() >= MAX_TABLE_ENTRIES || table.size() >= MAX_TABLE_ENTRIES) return;
  if (!prefix.empty() && !indexable(prefix, m_prefixNamesMap, m_prefixNamesTable)) return;
  if (!namespaceName.empty() &&
      !indexable(namespaceName, m_namespaceNamesMap, m_namespaceNamesTable))
    return;
  if (!indexable(localName, m_localNamesMap, m_localNamesTable)) return;

  // A part already known keeps its index; a new one gets the position it is appended at.
  auto indexOf = [](const std::wstring& value, IndexMap& m, CFIStringTable& t) {
    uint32_t index = 0;
    if (FindIndex(m, value, index)) return index;
    AddValueToMap(value, m);
    AddValueToVector(value, t);
    return static_cast<uint32_t>(t.size());
  };
  uint32_t prefixIndex = prefix.empty() ? 0 : indexOf(prefix, m_prefixNamesMap, m_prefixNamesTable);
  uint32_t namespaceIndex =
      namespaceName.empty() ? 0
                            : indexOf(namespaceName, m_namespaceNamesMap, m_namespaceNamesTable);
  uint32_t localIndex = indexOf(localName, m_localNamesMap, m_localNamesTable);

  AddValueToMap(key, map);
  AddQNameToVector(prefixIndex, namespaceIndex, localIndex, table);
}

void CFIVocabulary::AddValueToMap(const std::wstring& value, IndexMap& map) {
  // try_emplace builds nothing when the value is already there.
  if (map.size() < MAX_TABLE_ENTRIES) map.try_emplace(value, static_cast<uint32_t>(map.size() + 1));
}

void CFIVocabulary::AddValueToVector(std::wstring value, CFIStringTable& table) {
  if (table.size() < MAX_TABLE_ENTRIES) table.m_entries.push_back(std::move(value));
}

void CFIVocabulary::AddQNameToVector(uint32_t prefix, uint32_t namespaceName, uint32_t localName,
                                     CFIQNameTable& table) {
  if (table.size() < MAX_TABLE_ENTRIES)
    table.m_entries.emplace_back(prefix, namespaceName, localName);
}

bool CFIVocabulary::FindIndex(const IndexMap& map, const std::wstring& value, uint32_t& index) {
  auto it = map.find(value);
  if (it == map.end()) return false;
  index = it->second;
  return true;
}

}  // namespace Korvel
