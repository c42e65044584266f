// SPDX-License-Identifier: MIT
// The bit-level integer and length forms of Fast Infoset documents (ITU-T Rec.
// X.891, C.21 to C.29). Each form starts inside an octet whose leading bits
// the caller has already chosen: `lead` carries those bits, and the form fills
// the rest of that octet and the ones that follow. The forms write from d,
// which has room for kLongestForm octets, and return the end of what they
// wrote, so that a writer reserves room once for several of them; the forms
// into a byte buffer reserve it themselves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xml/byte_buffer.h"

namespace Korvel::detail::fi {

using Octets = ByteBuffer;

// The most octets any form below writes.
constexpr size_t kLongestForm = 5;

inline char* PutOctet(char* d, uint32_t octet) {
  *d = static_cast<char>(octet & 0xFF);
  return d + 1;
}

inline char* Put32(char* d, uint32_t value) {
  d = PutOctet(d, value >> 24);
  d = PutOctet(d, value >> 16);
  d = PutOctet(d, value >> 8);
  return PutOctet(d, value);
}

// Integer 1 to 2^20 from the second bit: name indexes on the second bit.
inline char* PutIndexBit2(char* d, uint32_t lead, uint32_t value) {
  if (value <= 64) return PutOctet(d, lead | (value - 1));
  if (value <= 8256) {
    const uint32_t v = value - 65;  // '10' + 13 bits
    d = PutOctet(d, lead | 0x40 | (v >> 8));
    return PutOctet(d, v);
  }
  const uint32_t v = value - 8257;  // '110' + 20 bits
  d = PutOctet(d, lead | 0x60 | (v >> 16));
  d = PutOctet(d, v >> 8);
  return PutOctet(d, v);
}

// Integer 1 to 2^20 from the third bit: element names.
inline char* PutIndexBit3(char* d, uint32_t lead, uint32_t value) {
  if (value <= 32) return PutOctet(d, lead | (value - 1));
  if (value <= 2080) {
    const uint32_t v = value - 33;  // '100' + 11 bits
    d = PutOctet(d, lead | 0x20 | (v >> 8));
    return PutOctet(d, v);
  }
  if (value <= 526368) {
    const uint32_t v = value - 2081;  // '101' + 19 bits
    d = PutOctet(d, lead | 0x28 | (v >> 16));
    d = PutOctet(d, v >> 8);
    return PutOctet(d, v);
  }
  const uint32_t v = value - 526369;  // '1100', six padding bits, 20 bits
  d = PutOctet(d, lead | 0x30);
  d = PutOctet(d, v >> 16);
  d = PutOctet(d, v >> 8);
  return PutOctet(d, v);
}

// Integer 1 to 2^20 from the fourth bit: character-chunk indexes.
inline char* PutIndexBit4(char* d, uint32_t lead, uint32_t value) {
  if (value <= 16) return PutOctet(d, lead | (value - 1));
  if (value <= 1040) {
    const uint32_t v = value - 17;  // '100' + 10 bits
    d = PutOctet(d, lead | 0x10 | (v >> 8));
    return PutOctet(d, v);
  }
  if (value <= 263184) {
    const uint32_t v = value - 1041;  // '101' + 18 bits
    d = PutOctet(d, lead | 0x14 | (v >> 16));
    d = PutOctet(d, v >> 8);
    return PutOctet(d, v);
  }
  const uint32_t v = value - 263185;  // '1100', five padding bits, 20 bits
  d = PutOctet(d, lead | 0x18);
  d = PutOctet(d, v >> 16);
  d = PutOctet(d, v >> 8);
  return PutOctet(d, v);
}

// The length of a non-empty octet string from the second bit.
inline char* PutLengthBit2(char* d, uint32_t lead, size_t length) {
  if (length <= 64) return PutOctet(d, lead | static_cast<uint32_t>(length - 1));
  if (length <= 320) {
    d = PutOctet(d, lead | 0x40);
    return PutOctet(d, static_cast<uint32_t>(length - 65));
  }
  d = PutOctet(d, lead | 0x60);
  return Put32(d, static_cast<uint32_t>(length - 321));
}

// The length of a non-empty octet string from the fifth bit.
inline char* PutLengthBit5(char* d, uint32_t lead, size_t length) {
  if (length <= 8) return PutOctet(d, lead | static_cast<uint32_t>(length - 1));
  if (length <= 264) {
    d = PutOctet(d, lead | 0x08);
    return PutOctet(d, static_cast<uint32_t>(length - 9));
  }
  d = PutOctet(d, lead | 0x0C);
  return Put32(d, static_cast<uint32_t>(length - 265));
}

// The length of a non-empty octet string from the seventh bit.
inline char* PutLengthBit7(char* d, uint32_t lead, size_t length) {
  if (length <= 2) return PutOctet(d, lead | static_cast<uint32_t>(length - 1));
  if (length <= 258) {
    d = PutOctet(d, lead | 0x02);
    return PutOctet(d, static_cast<uint32_t>(length - 3));
  }
  d = PutOctet(d, lead | 0x03);
  return Put32(d, static_cast<uint32_t>(length - 259));
}

// Sequence lengths 1 to 2^20 of the initial vocabulary's lists (C.21).
inline char* PutSequenceLength(char* d, uint32_t length) {
  if (length <= 128) return PutOctet(d, length - 1);
  const uint32_t v = length - 129;  // '1000' + 20 bits
  d = PutOctet(d, 0x80 | (v >> 16));
  d = PutOctet(d, v >> 8);
  return PutOctet(d, v);
}

// A form, or a single octet, at the end of out: Put(out, PutIndexBit2, lead,
// value) and Put(out, octet).
template <class... Args, class... Values>
void Put(Octets& out, char* (*form)(char*, Args...), Values... values) {
  out.Advance(form(out.Room(kLongestForm), values...));
}
inline void Put(Octets& out, uint32_t octet) { out.Append(static_cast<uint8_t>(octet & 0xFF)); }

}  // namespace Korvel::detail::fi
