// SPDX-License-Identifier: MIT
// The built-in encoding algorithms over plain octet ranges, for the writer and
// the reader, which have no CFastInfosetBinaryData to hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Korvel::detail::fi {

// The highest built-in algorithm index; 1 is the lowest.
inline constexpr uint32_t kLastBuiltInAlgorithm = 10;

// The text of the values in data (see CFastInfosetBinaryData::GetAsString).
std::wstring DecodeAlgorithm(uint32_t algorithm, const unsigned char* data, size_t length);
// Replaces out by the octets of one value; throws when the text is no value of
// the algorithm.
void EncodeAlgorithm(uint32_t algorithm, const wchar_t* text, std::string& out);

}  // namespace Korvel::detail::fi
