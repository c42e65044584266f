// SPDX-License-Identifier: MIT
// The messages of the runtime foundation, each defined once.
#pragma once

#include <korvel/item_type.h>

namespace Korvel::detail {

inline constexpr wchar_t kVariantUnknownType[] = L"Unknown Type";
inline constexpr wchar_t kVariantInvalidType[] = L"Invalid Type %d";
inline constexpr wchar_t kVariantInvalidTypeToString[] = L"Invalid Type %d to convert to string";
// An object getter, or ToString, on a carrier without a value of the kind asked for.
inline constexpr wchar_t kVariantWrongType[] = L"Failed to %S. The variant is of type %d.";
inline constexpr wchar_t kVariantNil[] = L"Failed to %S. The variant is nil.";

// A narrow argument that is not UTF-8: its name and the offset of the first bad byte.
inline constexpr wchar_t kInvalidUtf8Argument[] = L"Invalid UTF-8 in the %s at byte %I64u.";
inline constexpr wchar_t kTextArgument[] = L"text";
inline constexpr wchar_t kFileNameArgument[] = L"file name";

// CKvException "Invalid Type <kind>", for a kind outside the enumeration.
[[noreturn]] void ThrowInvalidType(ItemType kind);

}  // namespace Korvel::detail
