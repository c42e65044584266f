// SPDX-License-Identifier: MIT
// The messages of the XML subsystem (document, reader, writers, text streams),
// each defined once.
#pragma once

namespace Korvel::detail {

inline constexpr wchar_t kXmlStringEmpty[] = L"XML String is empty!";
inline constexpr wchar_t kXmlStreamEmpty[] = L"XML Stream is empty!";
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

}  // namespace Korvel::detail
