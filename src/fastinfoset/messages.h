// SPDX-License-Identifier: MIT
// The messages of the Fast Infoset writer, reader and encoding algorithms, each
// defined once, and the helpers that throw them.
#pragma once

#include <cstdint>

namespace Korvel::detail {

// Writer. The double spaces and the function names in the texts are part of
// the interface.
inline constexpr wchar_t kFiUnsupportedUtf16Bit5[] =
    L"Failed to write FastInfoset. Unsupported Feature UTF16BE in EncodedCharacterStringBit5.";
inline constexpr wchar_t kFiUnknownEncodingBit5[] =
    L"Failed to write FastInfoset. Unknown encoding in EncodedCharacterStringBit5.";
inline constexpr wchar_t kFiUnknownEncodingBit7[] =
    L"Failed to write FastInfoset. Unknown encoding in EncodedCharacterStringBit7.";
inline constexpr wchar_t kFiInvalidAlphabetValue[] =
    L"Failed to write FastInfoset. Invalid Restricted Alphabet value [%d]";
inline constexpr wchar_t kFiInvalidAlgorithmValue[] =
    L"Failed to write FastInfoset. Invalid Encoding Algorithm value [%d]";
inline constexpr wchar_t kFiWriteAlphabetSize[] =
    L"Failed to write FastInfoset. Invalid Restricted Alphabet. Alphabet must contain between 2 "
    L"and 2^20 characters.";
inline constexpr wchar_t kFiUnsupportedAlphabetWidth[] =
    L"Failed to write FastInfoset. Unsupported Feature in AppendRestrictedAlphabetString.";

// Reader. Every bit pattern of an encoded string's kind and of the
// seventh-bit length form means something, so those forms have no message.
inline constexpr wchar_t kFiUnexpectedEnd[] =
    L"Failed to parse FastInfoset. Unexpected End of File.";
inline constexpr wchar_t kFiInvalidElementType[] =
    L"Failed to parse FastInfoset. Invalid Encoding of Element type.";
inline constexpr wchar_t kFiPrefixWithoutNamespace[] =
    L"Failed to parse FastInfoset. Invalid QName type Prefix without Namespace.";
inline constexpr wchar_t kFiReadAlphabetSize[] =
    L"Failed to parse FastInfoset. Invalid Encoding of Restricted Alphabet. Alphabet must contain "
    L"between 2 and 2^20 characters.";
inline constexpr wchar_t kFiOctetStringBit2[] =
    L"Failed to parse FastInfoset. Invalid NonEmptyOctetString type  on the second bit of an "
    L"octet.";
inline constexpr wchar_t kFiOctetStringBit5[] =
    L"Failed to parse FastInfoset. Invalid NonEmptyOctetString type  on the fifth bit of an octet.";
inline constexpr wchar_t kFiIntegerBit2[] =
    L"Failed to parse FastInfoset. Invalid Encoding of integers 1 To 2^20 type  on the second bit "
    L"of an octet.";
inline constexpr wchar_t kFiIntegerBit3[] =
    L"Failed to parse FastInfoset. Invalid Encoding of integers 1 To 2^20 type  on the third bit "
    L"of an octet.";
inline constexpr wchar_t kFiIntegerBit4[] =
    L"Failed to parse FastInfoset. Invalid Encoding of integers 1 To 2^20 type  on the fourth bit "
    L"of an octet.";
inline constexpr wchar_t kFiInteger0Bit2[] =
    L"Failed to parse FastInfoset. Invalid Encoding of integers 0 To 2^20 type  on the second bit "
    L"of an octet.";
// The reader's own cases, in the style of the ones above: the table's name and
// the index the document used.
inline constexpr wchar_t kFiIndexOutOfRange[] =
    L"Failed to parse FastInfoset. Invalid index [%u] into the %s table.";
inline constexpr wchar_t kFiUnknownAlphabet[] =
    L"Failed to parse FastInfoset. Invalid Restricted Alphabet index [%u].";
inline constexpr wchar_t kFiCharacterOutsideAlphabet[] =
    L"Failed to parse FastInfoset. Invalid character index [%u] for Restricted Alphabet.";
inline constexpr wchar_t kFiUnknownAlgorithm[] =
    L"Failed to parse FastInfoset. Unknown Encoding Algorithm index [%u].";
inline constexpr wchar_t kFiInvalidUtf8[] = L"Failed to parse FastInfoset. Invalid UTF-8 string.";
inline constexpr wchar_t kFiInvalidUtf16[] = L"Failed to parse FastInfoset. Invalid UTF-16 string.";
inline constexpr wchar_t kFiUnknownVocabulary[] =
    L"Failed to parse FastInfoset. Unknown external vocabulary [%s].";
inline constexpr wchar_t kFiInvalidNamespaceAttribute[] =
    L"Failed to parse FastInfoset. Invalid Encoding of Namespace Attribute.";
inline constexpr wchar_t kFiInvalidAttributeList[] =
    L"Failed to parse FastInfoset. Invalid Encoding of Attribute.";
inline constexpr wchar_t kFiInvalidDocumentItem[] =
    L"Failed to parse FastInfoset. Invalid Encoding of Document child.";
inline constexpr wchar_t kFiTooManyReferences[] =
    L"Failed to parse FastInfoset. The document copies more text out of its tables than its "
    L"size allows.";
inline constexpr wchar_t kFiSecondDocumentElement[] =
    L"Failed to parse FastInfoset. The document has more than one document element.";

inline constexpr wchar_t kFiNotADocument[] =
    L"Failed to parse FastInfoset. The data is not a Fast Infoset document.";
// Encoding algorithms.
inline constexpr wchar_t kFiUnknownByteEncoding[] = L"Unknown byte encoding.";
inline constexpr wchar_t kFiShortLength[] = L"Invalid value for SHORT byte encoding.";
inline constexpr wchar_t kFiIntLength[] = L"Invalid value for INT byte encoding.";
inline constexpr wchar_t kFiLongLength[] = L"Invalid value for LONG byte encoding.";
inline constexpr wchar_t kFiFloatLength[] = L"Invalid value for FLOAT byte encoding.";
inline constexpr wchar_t kFiDoubleLength[] = L"Invalid value for DOUBLE byte encoding.";
inline constexpr wchar_t kFiUuidLength[] = L"Invalid value for UUID byte encoding.";
inline constexpr wchar_t kFiBooleanLength[] = L"Invalid value for BOOLEAN byte encoding.";

// CKvException with the message as it is.
[[noreturn]] void ThrowFiError(const wchar_t* message);
// CKvException with a message formatted from one number.
[[noreturn]] void ThrowFiError(const wchar_t* format, uint32_t value);
// CKvException with a message formatted from a number and a text.
[[noreturn]] void ThrowFiError(const wchar_t* format, uint32_t value, const wchar_t* text);
// CKvException with a message formatted from a text.
[[noreturn]] void ThrowFiError(const wchar_t* format, const wchar_t* text);

}  // namespace Korvel::detail
