// SPDX-License-Identifier: MIT
// The messages of the JSON subsystem (reader, mapping to XML, writer), each
// defined once, and the helpers that throw them.
#pragma once

#include <string>

namespace Korvel::detail {

// Reader: every syntax error ends with the line and the 1-based column of the
// last character read.
inline constexpr wchar_t kJsonDepthLimit[] = L"JSON exceeded depth limit at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedValue[] =
    L"Expected Value '{', '[', '\"', '0-9', '-', 'true', 'false' or 'null', found '%c' at line "
    L"%d, position %d.";
inline constexpr wchar_t kJsonEofAfterObjectStart[] =
    L"Unexpected End of File. Expected Object terminator character '}}' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedNameQuote[] =
    L"Expected quotation mark character '\"' before Name, found '%c' at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedNameSeparator[] =
    L"Unexpected End of File. Expected Object Name/Value separator character ':' at line %d, "
    L"position %d.";
inline constexpr wchar_t kJsonExpectedNameSeparator[] =
    L"Expected Object Name/Value separator character ':', found '%c' at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedObjectValue[] =
    L"Unexpected End of File. Expected Object Value at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedObjectEnd[] =
    L"Unexpected End of File. Expected Object terminator character '}' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedObjectSeparator[] =
    L"Expected Object separator character ',', found '%c' at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedArrayEnd[] =
    L"Unexpected End of File. Expected Array terminator character ']' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedArraySeparator[] =
    L"Expected Array separator character ',', found '%c' at line %d, position %d.";
inline constexpr wchar_t kJsonEofInString[] =
    L"Unexpected End of File. Expected string value at line %d, position %d.";
inline constexpr wchar_t kJsonInvalidEscape[] =
    L"Invalid Escape Character '%c' at line %d, position %d.";
inline constexpr wchar_t kJsonEofHexDigits[] =
    L"Unexpected End of File. Expected 4 hexadecimal digits'\\uxxxx' at line %d, position %d.";
inline constexpr wchar_t kJsonEofNull[] =
    L"Unexpected End of File. Expected value 'NULL' at line %d, position %d.";
inline constexpr wchar_t kJsonEofTrue[] =
    L"Unexpected End of File. Expected value 'true' at line %d, position %d.";
inline constexpr wchar_t kJsonEofFalse[] =
    L"Unexpected End of File. Expected value 'false' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedNull[] = L"Expected 'NULL' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedTrue[] = L"Expected 'true' at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedFalse[] = L"Expected 'false' at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedNumber[] =
    L"Unexpected End of File. Expected a number at line %d, position %d.";
inline constexpr wchar_t kJsonExpectedDigit[] =
    L"Expected a digit '0' to '9', found '%c' at line %d, position %d.";
// Also used, as worded, for a non-digit after an exponent and its sign.
inline constexpr wchar_t kJsonEofExpectedDigit[] =
    L"Unexpected End of File. Expected a digit '0' to '9' at line %d, position %d.";
inline constexpr wchar_t kJsonEofExpectedExponent[] =
    L"Unexpected End of File. Expected '+', '-' or a number at line %d, position %d.";
// Ours: the four characters of a \u escape that are not all hexadecimal digits,
// a surrogate escape without its partner, input after the top-level value, and
// bytes that are not in the encoding of the input.
inline constexpr wchar_t kJsonInvalidHexDigits[] =
    L"Expected 4 hexadecimal digits '\\uxxxx', found '%s' at line %d, position %d.";
inline constexpr wchar_t kJsonUnpairedSurrogate[] =
    L"Unpaired surrogate '\\u%04X' in string at line %d, position %d.";
inline constexpr wchar_t kJsonContentAfterValue[] =
    L"Unexpected character '%c' after the JSON value at line %d, position %d.";
inline constexpr wchar_t kJsonInvalidUtf8[] =
    L"Invalid UTF-8 byte sequence at line %d, position %d.";
inline constexpr wchar_t kJsonInvalidUtf16[] =
    L"Invalid UTF-16 code unit sequence at line %d, position %d.";

// Mapping to XML.
inline constexpr wchar_t kJsonEmptyName[] = L"JSON item has an empty Name.";
inline constexpr wchar_t kJsonArrayHasNoName[] = L"JSON Array has no Name.";
// Ours: a top-level scalar without a root element name, and an object or array
// given as an attribute's or a text's value.
inline constexpr wchar_t kJsonValueHasNoName[] = L"JSON Value has no Name.";
inline constexpr wchar_t kJsonValueNotScalar[] =
    L"JSON item '%s' must hold a string, number, boolean or null.";
inline constexpr wchar_t kJsonBadElementName[] =
    L"Failed to convert name '%s' to Element name in XML.";
inline constexpr wchar_t kJsonBadAttributeValue[] =
    L"Failed to convert value '%s' to Attribute string value in XML.";
inline constexpr wchar_t kJsonBadElementValue[] =
    L"Failed to convert value '%s' to Element string value in XML.";
// Ours: what an XML parser would refuse in the XML the JSON stands for.
inline constexpr wchar_t kJsonUndeclaredPrefix[] = L"JSON name '%s' uses an undeclared prefix.";
inline constexpr wchar_t kJsonRepeatedAttribute[] = L"JSON attribute '%s' occurs twice.";
inline constexpr wchar_t kJsonSecondRoot[] = L"JSON member '%s' would be a second root element.";
inline constexpr wchar_t kJsonStreamEmpty[] = L"JSON Stream is empty!";
inline constexpr wchar_t kJsonStringEmpty[] = L"JSON String is empty!";
inline constexpr wchar_t kJsonConversionFailed[] = L"Error converting JSON to XML:\n%s";

// Writer: a JSON value holds one text, and no child elements beside it.
inline constexpr wchar_t kJsonMixedContent[] =
    L"JSON cannot hold the element [%s] after the text of its parent.";
inline constexpr wchar_t kJsonSecondText[] = L"JSON cannot hold a second text of the element [%s].";

// CKvValidationException with the message and the error path.
[[noreturn]] void ThrowJsonValidationError(std::wstring message, std::wstring path);
// CKvInvalidStateException quoting the text the XML side refused.
[[noreturn]] void ThrowJsonConversionError(const wchar_t* format, const std::wstring& text);
// CKvException with the message as it is.
[[noreturn]] void ThrowJsonError(const wchar_t* message);
// CKvException with the formatted message naming one item.
[[noreturn]] void ThrowJsonError(const wchar_t* format, const std::wstring& name);

}  // namespace Korvel::detail
