// SPDX-License-Identifier: MIT
// The base64 and hex text forms of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>

namespace Korvel::detail {

// Standard alphabet, "=" padding, no line breaks; "" for no bytes.
std::wstring Base64Encode(const unsigned char* data, size_t length);

// Tab, line feed, carriage return, space and "=" are skipped wherever they
// stand; each character counts by its low 7 bits. Any other character makes
// the result invalid: false, out untouched. Otherwise out becomes exactly the
// decoded bytes (a value of length 0 when a non-empty text decoded to nothing;
// an empty value for an empty text); bits short of a byte at the end are dropped.
bool Base64Decode(std::wstring_view text, CBinaryData& out);
// The same for text read from a document: a character beyond ASCII is not
// folded into the alphabet but makes the text invalid.
bool Base64DecodeStrict(std::wstring_view text, CBinaryData& out);

// Upper-case, high nibble first; "" for no bytes.
std::wstring HexEncode(const unsigned char* data, size_t length);

// Parses hex text of either case into a malloc'd buffer (*out, null for an empty
// or null text) and returns its length. Throws CKvException for an odd length
// or a character that is not a hex digit.
uint32_t HexDecode(const wchar_t* text, unsigned char** out);

}  // namespace Korvel::detail
