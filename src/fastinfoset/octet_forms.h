// SPDX-License-Identifier: MIT
// The bit-level integer and length forms of Fast Infoset documents (ITU-T Rec.
// X.891, C.21 to C.29), written into a byte buffer. Each form starts inside an
// octet whose leading bits the caller has already chosen: `lead` carries those
// bits, and the form fills the rest of that octet and the ones that follow.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xml/byte_buffer.h"

namespace Korvel::detail::fi {

using Octets = ByteBuffer;

inline void Put(Octets& out, uint32_t octet) { out.Append(static_cast<uint8_t>(octet & 0xFF)); }

inline void Put32(Octets& out, uint32_t value) {
  Put(out, value >> 24);
  Put(out, value >> 16);
  Put(out, value >> 8);
  Put(out, value);
}

// Integer 1 to 2^20 from the second bit: name indexes on the second bit.
inline void PutIndexBit2(Octets& out, uint32_t lead, uint32_t value) {
  if (value <= 64) {
    Put(out, lead | (value - 1));
  } else if (value <= 8256) {
    const uint32_t v = value - 65;  // '10' + 13 bits
    Put(out, lead | 0x40 | (v >> 8));
    Put(out, v);
  } else {
    const uint32_t v = value - 8257;  // '110' + 20 bits
    Put(out, lead | 0x60 | (v >> 16));
    Put(out, v >> 8);
    Put(out, v);
  }
}

// Integer 1 to 2^20 from the third bit: element names.
inline void PutIndexBit3(Octets& out, uint32_t lead, uint32_t value) {
  if (value <= 32) {
    Put(out, lead | (value - 1));
  } else if (value <= 2080) {
    const uint32_t v = value - 33;  // '100' + 11 bits
    Put(out, lead | 0x20 | (v >> 8));
    Put(out, v);
  } else if (value <= 526368) {
    const uint32_t v = value - 2081;  // '101' + 19 bits
    Put(out, lead | 0x28 | (v >> 16));
    Put(out, v >> 8);
    Put(out, v);
  } else {
    const uint32_t v = value - 526369;  // '1100', six padding bits, 20 bits
    Put(out, lead | 0x30);
    Put(out, v >> 16);
    Put(out, v >> 8);
    Put(out, v);
  }
}

// Integer 1 to 2^20 from the fourth bit: character-chunk indexes.
inline void PutIndexBit4(Octets& out, uint32_t lead, uint32_t value) {
  if (value <= 16) {
    Put(out, lead | (value - 1));
  } else if (value <= 1040) {
    const uint32_t v = value - 17;  // '100' + 10 bits
    Put(out, lead | 0x10 | (v >> 8));
    Put(out, v);
  } else if (value <= 263184) {
    const uint32_t v = value - 1041;  // '101' + 18 bits
    Put(out, lead | 0x14 | (v >> 16));
    Put(out, v >> 8);
    Put(out, v);
  } else {
    const uint32_t v = value - 263185;  // '1100', five padding bits, 20 bits
    Put(out, lead | 0x18);
    Put(out, v >> 16);
    Put(out, v >> 8);
    Put(out, v);
  }
}

// The length of a non-empty octet string from the second bit.
inline void PutLengthBit2(Octets& out, uint32_t lead, size_t length) {
  if (length <= 64) {
    Put(out, lead | static_cast<uint32_t>(length - 1));
  } else if (length <= 320) {
    Put(out, lead | 0x40);
    Put(out, static_cast<uint32_t>(length - 65));
  } else {
    Put(out, lead | 0x60);
    Put32(out, static_cast<uint32_t>(length - 321));
  }
}

// The length of a non-empty octet string from the fifth bit.
inline void PutLengthBit5(Octets& out, uint32_t lead, size_t length) {
  if (length <= 8) {
    Put(out, lead | static_cast<uint32_t>(length - 1));
  } else if (length <= 264) {
    Put(out, lead | 0x08);
    Put(out, static_cast<uint32_t>(length - 9));
  } else {
    Put(out, lead | 0x0C);
    Put32(out, static_cast<uint32_t>(length - 265));
  }
}

// The length of a non-empty octet string from the seventh bit.
inline void PutLengthBit7(Octets& out, uint32_t lead, size_t length) {
  if (length <= 2) {
    Put(out, lead | static_cast<uint32_t>(length - 1));
  } else if (length <= 258) {
    Put(out, lead | 0x02);
    Put(out, static_cast<uint32_t>(length - 3));
  } else {
    Put(out, lead | 0x03);
    Put32(out, static_cast<uint32_t>(length - 259));
  }
}

// Sequence lengths 1 to 2^20 of the initial vocabulary's lists (C.21).
inline void PutSequenceLength(Octets& out, uint32_t length) {
  if (length <= 128) {
    Put(out, length - 1);
  } else {
    const uint32_t v = length - 129;  // '1000' + 20 bits
    Put(out, 0x80 | (v >> 16));
    Put(out, v >> 8);
    Put(out, v);
  }
}

}  // namespace Korvel::detail::fi
