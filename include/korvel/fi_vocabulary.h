// SPDX-License-Identifier: MIT
// CFIVocabulary: the Fast Infoset tables that replace repeated names and values by indexes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <korvel/export.h>

namespace Korvel {

// One vocabulary serves one document. Each kind of entry has a map (value to
// index, for the writer) and a table (index to value, for the reader); index i
// is at position i - 1 of its table. Indexes start at 1 and no map or table
// takes more than MAX_TABLE_ENTRIES entries: further additions are ignored, and
// the writer then writes those values literally.
class KORVEL_API CFIVocabulary {
 public:
  // The largest index the Fast Infoset integer forms carry.
  static constexpr uint32_t MAX_TABLE_ENTRIES = uint32_t{1} << 20;

  // The table indexes of a qualified name's parts; 0 means no prefix or no namespace.
  struct KORVEL_API CQNameParts {
    CQNameParts(uint32_t prefix, uint32_t namespaceName, uint32_t localName)
        : prefixIndex(prefix), namespaceNameIndex(namespaceName), localNameIndex(localName) {}

    friend bool operator==(const CQNameParts& a, const CQNameParts& b) {
      return a.prefixIndex == b.prefixIndex && a.namespaceNameIndex == b.namespaceNameIndex &&
             a.localNameIndex == b.localNameIndex;
    }
    friend bool operator!=(const CQNameParts& a, const CQNameParts& b) { return !(a == b); }

    uint32_t prefixIndex;
    uint32_t namespaceNameIndex;
    uint32_t localNameIndex;
  };

  // Index-to-string table: position i holds the string with index i + 1.
  class KORVEL_API CFIStringTable {
   public:
    using const_iterator = std::vector<std::wstring>::const_iterator;

    CFIStringTable();
    CFIStringTable(const CFIStringTable& other);
    CFIStringTable(CFIStringTable&& other) noexcept;
    CFIStringTable& operator=(const CFIStringTable& other);
    CFIStringTable& operator=(CFIStringTable&& other) noexcept;
    virtual ~CFIStringTable();

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    size_t size() const { return m_entries.size(); }
    const std::wstring& operator[](size_t position) const { return m_entries[position]; }

   private:
    friend class CFIVocabulary;
    std::vector<std::wstring> m_entries;
  };

  // Index-to-qualified-name table: position i holds the name with index i + 1.
  class KORVEL_API CFIQNameTable {
   public:
    using const_iterator = std::vector<CQNameParts>::const_iterator;

    CFIQNameTable();
    CFIQNameTable(const CFIQNameTable& other);
    CFIQNameTable(CFIQNameTable&& other) noexcept;
    CFIQNameTable& operator=(const CFIQNameTable& other);
    CFIQNameTable& operator=(CFIQNameTable&& other) noexcept;
    virtual ~CFIQNameTable();

    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    size_t size() const { return m_entries.size(); }
    const CQNameParts& operator[](size_t position) const { return m_entries[position]; }

   private:
    friend class CFIVocabulary;
    std::vector<CQNameParts> m_entries;
  };

  // The built-in content only: prefix "xml" and the XML namespace at index 1, the
  // numeric alphabet at 1 and the date-and-time alphabet at 2.
  CFIVocabulary();
  CFIVocabulary& operator=(const CFIVocabulary& other);
  CFIVocabulary& operator=(CFIVocabulary&& other) noexcept;
  virtual ~CFIVocabulary();

  // Enter a qualified name, adding its prefix (when not empty), namespace name
  // (when not empty) and local name to their tables where they are missing. A
  // name already present, or one that a full table could not take whole, leaves
  // the vocabulary unchanged.
  void AddElement(std::wstring prefix, std::wstring namespaceName, std::wstring localName);
  void AddAttribute(std::wstring prefix, std::wstring namespaceName, std::wstring localName);

  // Enter a value in its map (a value already there keeps its index) and append it
  // to its table (duplicates included, as a document may add a string twice).
  void AddAttributeValue(std::wstring value);
  void AddElementValue(std::wstring value);  // character chunks
  void AddPrefixName(std::wstring value);
  void AddNamespaceName(std::wstring value);
  void AddLocalName(std::wstring value);

  // Each gives true and the value's index when the map holds it, else false.
  bool FindPrefixNameIndex(const std::wstring& value, uint32_t& index) const;
  bool FindNamespaceNameIndex(const std::wstring& value, uint32_t& index) const;
  bool FindLocalNameIndex(const std::wstring& value, uint32_t& index) const;
  bool FindAttributeValueIndex(const std::wstring& value, uint32_t& index) const;
  bool FindElementValueIndex(const std::wstring& value, uint32_t& index) const;
  bool FindElementNameIndex(const std::wstring& prefix, const std::wstring& namespaceName,
                            const std::wstring& localName, uint32_t& index) const;
  bool FindAttributeNameIndex(const std::wstring& prefix, const std::wstring& namespaceName,
                              const std::wstring& localName, uint32_t& index) const;

  // Position i holds the alphabet with index i + 1.
  const std::vector<std::wstring>& GetRestrictedAlphabets() const;
  const CFIQNameTable& GetAttributeNamesTable() const;
  const CFIStringTable& GetAttributeValuesTable() const;
  const CFIQNameTable& GetElementNamesTable() const;
  const CFIStringTable& GetCharacterChunksTable() const;
  const CFIStringTable& GetLocalNamesTable() const;
  const CFIStringTable& GetNamespaceNamesTable() const;
  const CFIStringTable& GetPrefixNamesTable() const;

 private:
  // The Fast Infoset writer and reader work on their own copy of a context's
  // vocabulary and reach the maps and tables directly.
  friend class CFastInfosetContext;
  friend class CFastInfosetWriter;
  friend class CFastInfosetReader;

  using IndexMap = std::unordered_map<std::wstring, uint32_t>;

  CFIVocabulary(const CFIVocabulary& other);
  CFIVocabulary(CFIVocabulary&& other) noexcept;

  // The map key of a qualified name: local name, U+0001, namespace name, U+0001, prefix.
  static std::wstring QNameKey(const std::wstring& prefix, const std::wstring& namespaceName,
                               const std::wstring& localName);
  void AddQName(const std::wstring& prefix, const std::wstring& namespaceName,
                const std::wstring& localName, IndexMap& map, CFIQNameTable& table);
  static void AddValueToMap(const std::wstring& value, IndexMap& map);
  static void AddValueToVector(std::wstring value, CFIStringTable& table);
  static void AddQNameToVector(uint32_t prefix, uint32_t namespaceName, uint32_t localName,
                               CFIQNameTable& table);
  static bool FindIndex(const IndexMap& map, const std::wstring& value, uint32_t& index);

  std::vector<std::wstring> m_restrictedAlphabets;

  IndexMap m_attributeNamesMap;
  IndexMap m_attributeValuesMap;
  IndexMap m_elementNamesMap;
  IndexMap m_characterChunksMap;
  IndexMap m_localNamesMap;
  IndexMap m_namespaceNamesMap;
  IndexMap m_prefixNamesMap;

  CFIQNameTable m_attributeNamesTable;
  CFIStringTable m_attributeValuesTable;
  CFIQNameTable m_elementNamesTable;
  CFIStringTable m_characterChunksTable;
  CFIStringTable m_localNamesTable;
  CFIStringTable m_namespaceNamesTable;
  CFIStringTable m_prefixNamesTable;
};

}  // namespace Korvel
