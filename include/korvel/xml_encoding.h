// SPDX-License-Identifier: MIT
// XmlEncoding: the byte encoding in which text writers hand out what they wrote.
#pragma once

#include <cstdint>

namespace Korvel {

enum XmlEncoding : int32_t {
  XmlEncoding_None = 0,             // text output only; asking for bytes fails
  XmlEncoding_UTF8 = 1,             // UTF-8, declared as encoding="UTF-8"
  XmlEncoding_UTF16 = 2,            // UTF-16LE, declared as encoding="UTF-16"; files start FF FE
  XmlEncoding_UTF16Undeclared = 3,  // UTF-16LE without an encoding declaration; files start FF FE
};

}  // namespace Korvel
