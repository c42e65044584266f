// SPDX-License-Identifier: MIT
// CFastInfosetContext: the Fast Infoset options of a serialization context.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <korvel/export.h>
#include <korvel/fi_vocabulary.h>

namespace Korvel {

// Which encoding each item type's values get, how short a value must be to be
// entered in a vocabulary table, and the optional generated vocabulary that
// documents start from and announce by URI.
class KORVEL_API CFastInfosetContext {
 public:
  // How the values of one item type are encoded.
  struct EncodedCharacterString {
    static constexpr uint32_t KIND_DEFAULT = 0;              // the default string encoding
    static constexpr uint32_t KIND_RESTRICTED_ALPHABET = 1;  // index: alphabet 1 or 2
    static constexpr uint32_t KIND_ENCODING_ALGORITHM = 2;   // index: algorithm 1 to 10

    friend bool operator==(const EncodedCharacterString& a, const EncodedCharacterString& b) {
      return a.kind == b.kind && a.index == b.index;
    }
    friend bool operator!=(const EncodedCharacterString& a, const EncodedCharacterString& b) {
      return !(a == b);
    }

    uint32_t kind = KIND_DEFAULT;
    uint32_t index = 0;  // ignored for KIND_DEFAULT
  };

  CFastInfosetContext();
  CFastInfosetContext(const CFastInfosetContext& other);
  CFastInfosetContext(CFastInfosetContext&& other) noexcept;
  CFastInfosetContext& operator=(const CFastInfosetContext& other);
  CFastInfosetContext& operator=(CFastInfosetContext&& other) noexcept;
  ~CFastInfosetContext();

  // An attribute value of this many characters or more is never entered in the
  // attribute-value table. Default 6.
  uint32_t GetAttributeMaxAddLength() const { return m_attributeMaxAddLength; }
  void SetAttributeMaxAddLength(uint32_t length);
  // The same for element text and the character-chunk table. Default 6.
  uint32_t GetElementMaxAddLength() const { return m_elementMaxAddLength; }
  void SetElementMaxAddLength(uint32_t length);

  // 0 is UTF-8 (the default and the only one written); 1 would be UTF-16.
  uint8_t GetDefaultStringEncoding() const { return m_defaultStringEncoding; }

  // The encoding of the item type's values; every type starts with KIND_DEFAULT.
  // Item types run from 0 to 28: others have no slot, read as KIND_DEFAULT and
  // cannot be set.
  // In line, as the writer asks for every value.
  EncodedCharacterString GetEncoding(uint32_t itemType) const {
    return itemType < kItemTypeCount ? m_encodings[itemType] : EncodedCharacterString{};
  }
  void SetEncoding(uint32_t itemType, EncodedCharacterString encoding);

  // Whether documents start from the vocabulary below and announce it by the
  // external vocabulary URI. Default false.
  bool GetUseGeneratedVocabulary() const;
  void SetUseGeneratedVocabulary(bool use);

  // The generated vocabulary, for generated code to fill with its Add* operations.
  CFIVocabulary* GetVocabulary();
  const CFIVocabulary* GetVocabulary() const;

  // Default empty.
  std::wstring GetExternalVocabularyURI() const;
  void SetExternalVocabularyURI(std::wstring uri);

  // Binary and numeric types get their encoding algorithms, dates and times the
  // date-and-time alphabet, decimal and integer the numeric alphabet, duration the
  // default encoding. Other types and the add-length limits are left alone.
  void SetSuggestedValues();

 private:
  static constexpr size_t kItemTypeCount = 29;

  uint8_t m_defaultStringEncoding = 0;
  std::array<EncodedCharacterString, kItemTypeCount> m_encodings{};
  uint32_t m_attributeMaxAddLength = 6;
  uint32_t m_elementMaxAddLength = 6;
  bool m_useGeneratedVocabulary = false;
  CFIVocabulary m_vocabulary;
  std::wstring m_externalVocabularyURI;
};

}  // namespace Korvel
