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

// Integer 1 to 2^20 from the third or the fourth bit: up to kShort in what is
// left of the first octet, then after '100' in 3 + 8 bits (kShort * 64
// values), after '101' in 3 + 16 bits (kShort * 16384 values), and after
// '1100' in the last three octets (C.27 and C.28, where kShort is 32 or 16).
template <uint32_t kShort>
inline char* PutIndex(char* d, uint32_t lead, uint32_t value) {
  constexpr uint32_t kMedium = kShort + kShort * 64;
  constexpr uint32_t kLarge = kMedium + kShort * 16384;
  if (value <= kShort) return PutOctet(d, lead | (value - 1));
  if (value <= kMedium) {
    const uint32_t v = value - kShort - 1;
    d = PutOctet(d, lead | kShort | (v >> 8));
    return PutOctet(d, v);
  }
  if (value <= kLarge) {
    const uint32_t v = value - kMedium - 1;
    d = PutOctet(d, lead | kShort | kShort / 4 | (v >> 16));
    d = PutOctet(d, v >> 8);
    return PutOctet(d, v);
  }
  const uint32_t v = value - kLarge - 1;
  d = PutOctet(d, lead | kShort | kShort / 2);
  d = PutOctet(d, v >> 16);
  d = PutOctet(d, v >> 8);
  return PutOctet(d, v);
}

// Element names from the third bit, character-chunk indexes from the fourth.
inline char* PutIndexBit3(char* d, uint32_t lead, uint32_t value) {
  return PutIndex<32>(d, lead, value);
}
inline char* PutIndexBit4(char* d, uint32_t lead, uint32_t value) {
  return PutIndex<16>(d, lead, value);
}

// The length of a non-empty octet string: up to kShort in what is left of the
// first octet, up to 256 more in the octet after it, beyond that in four
// octets after it (C.22 to C.24, where kShort is 64, 8 or 2).
template <uint32_t kShort>
inline char* PutLength(char* d, uint32_t lead, size_t length) {
  if (length <= kShort) return PutOctet(d, lead | static_cast<uint32_t>(length - 1));
  if (length <= kShort + 256) {
    d = PutOctet(d, lead | kShort);
    return PutOctet(d, static_cast<uint32_t>(length - kShort - 1));
  }
  d = PutOctet(d, lead | kShort | kShort / 2);
  return Put32(d, static_cast<uint32_t>(length - kShort - 257));
}

// From the second, the fifth and the seventh bit.
inline char* PutLengthBit2(char* d, uint32_t lead, size_t length) {
  return PutLength<64>(d, lead, length);
}
inline char* PutLengthBit5(char* d, uint32_t lead, size_t length) {
  return PutLength<8>(d, lead, length);
}
inline char* PutLengthBit7(char* d, uint32_t lead, size_t length) {
  return PutLength<2>(d, lead, length);
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
