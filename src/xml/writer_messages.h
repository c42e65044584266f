// SPDX-License-Identifier: MIT
// The messages of the writers and text streams, each defined once, and the
// helpers that throw them.
#pragma once

#include <string>

namespace Korvel::detail {

inline constexpr wchar_t kAttributesBeforeElements[] = L"Attributes must be added before elements";
inline constexpr wchar_t kElementNotClosed[] = L"An Element has not been closed.";
inline constexpr wchar_t kNoElementOpen[] = L"No element is open.";
inline constexpr wchar_t kInvalidEolType[] = L"Invalid EOL type.";
inline constexpr wchar_t kUnknownEncoding[] =
    L"Unknown Encoding, select UTF-8 (contact our support team)";
inline constexpr wchar_t kFileCreateFailed[] =
    L"Failed to write data to the file [%s] error [0x%08X]";
inline constexpr wchar_t kFileOverlapFailed[] =
    L"Failed to create event for file overlap [%s] error [0x%08X]";
inline constexpr wchar_t kFileWriteFailed[] = L"Failed to write data to the file. Error [0x%08X]";

// CKvException with the message as it is.
[[noreturn]] void ThrowWriterError(const wchar_t* message);
// CKvException with a message that quotes a file path and a system error code.
[[noreturn]] void ThrowFileError(const wchar_t* format, const std::wstring& path, int error);
// CKvException with a message that quotes a system error code.
[[noreturn]] void ThrowFileError(const wchar_t* format, int error);

}  // namespace Korvel::detail
