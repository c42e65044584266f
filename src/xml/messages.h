// SPDX-License-Identifier: MIT
// The messages of the XML document and its text reader, each defined once.
#pragma once

namespace Korvel::detail {

inline constexpr wchar_t kXmlStringEmpty[] = L"XML String is empty!";
inline constexpr wchar_t kXmlStreamEmpty[] = L"XML Stream is empty!";
inline constexpr wchar_t kFileOpenFailed[] = L"Failed to open the file [%s] Error [0x%08x]";
inline constexpr wchar_t kFileSizeFailed[] =
    L"Failed to get the size of the file [%s] Error [0x%08x]";
inline constexpr wchar_t kFileReadFailed[] =
    L"Failed to read the contents of the file [%s] Error [0x%08x]";
// Starting a read of one chunk of a file read in chunks.
inline constexpr wchar_t kChunkReadFailed[] =
    L"Failed to read the contents of the file. Error [0x%08x]";
// For systems whose overlapped reads need a completion event; the kernel
// read-ahead used here needs none, so nothing raises it on this platform.
inline constexpr wchar_t kOverlapEventFailed[] =
    L"Failed to create event for file overlap [%s] error [0x%08X]";
inline constexpr wchar_t kInvalidXmlDocument[] = L"Invalid or empty XML document";
// The parser's own description of the error and its 1-based line.
inline constexpr wchar_t kParseFailed[] = L"%s at line %d";

}  // namespace Korvel::detail
