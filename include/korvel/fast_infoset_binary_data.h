// SPDX-License-Identifier: MIT
// CFastInfosetBinaryData: the octets of a value in one of the built-in Fast
// Infoset encoding algorithms, converted from and to the value's text.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/export.h>

namespace Korvel {

// Algorithm indexes, as ITU-T Rec. X.891 numbers them: 1 hexadecimal,
// 2 base64, 3 short, 4 int, 5 long, 6 boolean, 7 float, 8 double, 9 uuid,
// 10 cdata. Numbers are big-endian. Any other index throws CKvException
// "Unknown byte encoding.".
class KORVEL_API CFastInfosetBinaryData : public CBinaryData {
 public:
  CFastInfosetBinaryData() noexcept;
  CFastInfosetBinaryData(const CFastInfosetBinaryData& other);
  // Shares other's buffer.
  CFastInfosetBinaryData(const CBinaryData& other);  // NOLINT: a widening, as for copies
  CFastInfosetBinaryData(unsigned char* data, uint32_t length, bool takeOwnership);
  // The text's UTF-8 octets.
  explicit CFastInfosetBinaryData(const wchar_t* text);
  CFastInfosetBinaryData& operator=(const CFastInfosetBinaryData& other);
  CFastInfosetBinaryData& operator=(const CBinaryData& other);
  ~CFastInfosetBinaryData() override;

  // The text of every value the octets hold: numbers and booleans as a list
  // separated by single spaces, floating-point values as the shortest text that
  // reads back to the same value, uuids as 8-4-4-4-12 lower-case hex, hex
  // upper case. Empty octets give the empty string. Octets that are not a whole
  // number of values throw CKvException "Invalid value for INT byte
  // encoding." and its siblings.
  std::wstring GetAsString(uint32_t algorithm) const;
  // Replaces the octets by the encoding of one value (a uuid may be written
  // with or without hyphens). Text the value's conversion rejects throws its
  // exception.
  void SetAsEncodedString(uint32_t algorithm, const wchar_t* text);
};

}  // namespace Korvel
