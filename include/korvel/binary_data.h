// SPDX-License-Identifier: MIT
// CBinaryData, the shared copy-on-write byte buffer with its base64 and hex
// forms, and CompressionType, the framings in which byte output can be deflated.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/export.h>

namespace Korvel {

enum CompressionType : int32_t {
  ct_none = 0,  // bytes as they are
  ct_gzip = 1,  // deflate in a gzip wrapper
  ct_zlib = 2,  // deflate in a zlib wrapper; stream output only
};

namespace detail {
struct BinaryRecord;
struct BinaryDataAccess;
}  // namespace detail

// A byte buffer whose copies share one counted record until one of them is
// changed. Copies may be used on different threads (the record's count and the
// separation of a copy are locked); one CBinaryData is used by one thread at a
// time. An empty value holds no record and GetData() returns null.
//
// Lengths are 32-bit: growing a value beyond 4 GiB throws std::length_error,
// running out of memory std::bad_alloc.
class KORVEL_API CBinaryData {
 public:
  CBinaryData() noexcept = default;
  // Shares other's record.
  CBinaryData(const CBinaryData& other);
  CBinaryData(CBinaryData&& other) noexcept;
  // Empty when length is 0. With takeOwnership the value adopts data, which must
  // come from malloc and is released with free; otherwise the bytes are copied.
  CBinaryData(unsigned char* data, uint32_t length, bool takeOwnership);
  // A copy of the bytes.
  CBinaryData(const unsigned char* data, uint32_t length);
  // The UTF-16LE code units of the text, without terminator; a code point above
  // U+FFFF becomes a surrogate pair. Null or "" gives an empty value.
  explicit CBinaryData(const wchar_t* text);
  CBinaryData& operator=(const CBinaryData& other);
  CBinaryData& operator=(CBinaryData&& other) noexcept;
  virtual ~CBinaryData();

  void SetBuffer(const wchar_t* text);
  void SetBuffer(const unsigned char* data, uint32_t length);

  void Append(const unsigned char* data, uint32_t length);
  void Append(unsigned char byte);
  // One UTF-16LE code unit (two units for a code point above U+FFFF).
  void Append(wchar_t c);
  void Append(const wchar_t* text);
  void Append(const std::wstring& text);
  void Append(const CBinaryData& other);

  const unsigned char* GetData() const noexcept;
  uint32_t GetLength() const noexcept;

  // Both throw CKvException "Index Out of range [%d]" for an index not below the
  // length. The non-const form first separates a shared record from its other
  // holders, so the byte may be written through the reference.
  unsigned char operator[](uint32_t index) const;
  unsigned char& operator[](uint32_t index);

  bool operator==(const CBinaryData& other) const noexcept;
  bool operator!=(const CBinaryData& other) const noexcept;

  void Clear() noexcept;
  // Hands the bytes (to be released with free) to the caller and leaves the
  // value empty; a shared record is copied first. Null for an empty value.
  unsigned char* ReleaseData();

  // Standard base64 with "=" padding and no line breaks.
  std::wstring GetAsBase64() const;
  // Whitespace and "=" are skipped anywhere; any other character outside the
  // alphabet leaves the value empty (not an error).
  void SetAsBase64(const wchar_t* text);
  // Upper-case hex, two characters per byte.
  std::wstring GetAsHexString() const;
  // Accepts either case; throws CKvException for an odd length or a non-hex
  // character, leaving the value empty.
  void SetAsHexString(const wchar_t* text);
  static std::wstring GetAsHexString(const unsigned char* data, uint32_t length);

 protected:
  // Parses hex text into a malloc'd buffer stored in *out (null for an empty
  // text) and returns its length; throws as SetAsHexString.
  static uint32_t ConvertToHexData(const wchar_t* text, unsigned char** out);

 private:
  friend struct detail::BinaryDataAccess;

  detail::BinaryRecord* m_record = nullptr;
};

// The bytes deflated in the framing type names (ct_none gives them back as
// they are), for byte output that is to be stored or sent compressed. Bytes
// shared with another value are copied first: move them in to spare that.
// Throws CKvException "Failed to compress data. [Error Code: %d]" should zlib
// fail.
KORVEL_API CBinaryData Compress(CBinaryData data, CompressionType type);

}  // namespace Korvel
