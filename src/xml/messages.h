// SPDX-License-Identifier: MIT
// The messages of the XML subsystem (document, reader, writers, text streams),
// each defined once.
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
inline constexpr wchar_t kInvalidXmlDocument[] = L"Invalid or empty XML document";
// The parser's own description of the error and its 1-based line.
inline constexpr wchar_t kParseFailed[] = L"%s at line %d";


// Writers and text streams.
inline constexpr wchar_t kAttributesBeforeElements[] = L"Attributes must be added before elements";
inline constexpr wchar_t kElementNotClosed[] = L"An Element has not been closed.";
inline constexpr wchar_t kNoElementOpen[] = L"No element is open.";
inline constexpr wchar_t kInvalidEolType[] = L"Invalid EOL type.";
inline constexpr wchar_t kUnknownEncoding[] =
    L"Unknown Encoding, select UTF-8 (contact our support team)";
inline constexpr wchar_t kFileCreateFailed[] =
    L"Failed to write data to the file [%s] error [0x%08X]";
// Starting the overlapped writes of a file.
inline constexpr wchar_t kFileOverlapFailed[] =
    L"Failed to create event for file overlap [%s] error [0x%08X]";
inline constexpr wchar_t kFileWriteFailed[] = L"Failed to write data to the file. Error [0x%08X]";

}  // namespace Korvel::detail
