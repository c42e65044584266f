// SPDX-License-Identifier: MIT
// The messages of the data-binding runtime, each defined once.
#pragma once

namespace Korvel::detail {

inline constexpr wchar_t kCannotIgnoreUnknownElements[] =
    L"The parser can only ignore additional elements, or ignore the fact that some required "
    L"ones are missing, you can not ignore both\n"
    L"Set IgnoreMissingMandatoryElements to false before setting IgnoreUnknownElements to true";
inline constexpr wchar_t kCannotIgnoreMissingMandatoryElements[] =
    L"The parser can only ignore additional elements, or ignore the fact that some required "
    L"ones are missing, you can not ignore both\n"
    L"Set IgnoreUnknownElements to false before setting IgnoreMissingMandatoryElements to true";
// "\t" is a tab character in the message, as "\n" is a line feed above.
inline constexpr wchar_t kInvalidIndentChars[] =
    L"IndentChars can only contain Whitespace characters, i.e. \t or spaces";

// Entry points.
inline constexpr wchar_t kZlibOnlyForStreams[] =
    L"ZLIB Compression only available for To Stream methods.";
inline constexpr wchar_t kNoElementToRead[] = L"There is no element to read from (null).";

// Property setters of generated classes. The typos are part of the messages.
inline constexpr wchar_t kChoiceMemberAlreadySet[] =
    L"The Property [%s] is already set. Only one element within this class bay be set at a time";
inline constexpr wchar_t kChoicePrimitiveAlreadySet[] =
    L"The Property %s is already set. Only one element within this class bay be set at a time";
inline constexpr wchar_t kPropertyIsMandatory[] =
    L"The Property [%s] is mandatory, it may node be NULL";
inline constexpr wchar_t kElementNameDiffers[] =
    L"This property requires an element with the name %s the element being set has the "
    L"element name %s";

// The namespace wildcard test.
inline constexpr wchar_t kInvalidNamespace[] =
    L"Invalid namespace [%s]. The namespace must be one of [%s] where the target namespace is "
    L"[%s].";

// Collections.
inline constexpr wchar_t kCollectionHasNoTargetNamespace[] =
    L"CXmlCollectionBase::GetTargetNamespace Should not be used from within a Collection "
    L"(program logic error)";
inline constexpr wchar_t kObjectNotInCollection[] = L"The object was not found in the collection";
inline constexpr wchar_t kInsertIndexOutOfRange[] = L"Index out of range";
inline constexpr wchar_t kIndexOutOfRange[] = L"Index %d is out of range, use 0 - %d";
inline constexpr wchar_t kTooManyItems[] =
    L"The Maximum number of [%s] elements allowed in this collection is %d";
inline constexpr wchar_t kTooFewItems[] =
    L"The Minimum number of [%s] elements allowed in this collection is %d";

// Untyped content.
inline constexpr wchar_t kNamespaceIsWildcardKeyword[] = L"Invalid Namespace [%s].";
inline constexpr wchar_t kElementNameRequired[] = L"Element Name must have a value";
inline constexpr wchar_t kRestrictionRequired[] = L"Namespace Restriction must have a value";
inline constexpr wchar_t kTargetNamespaceRequired[] = L"Target Namespace must have a value";
inline constexpr wchar_t kCollectionHasNoNamespace[] =
    L"A Namespace has not been set for this Collection";
inline constexpr wchar_t kInvalidAttributeNamespace[] =
    L"Invalid Attribute [%s]. The attributes namespace is Inappropriate.";
inline constexpr wchar_t kTreeAgainstRestriction[] =
    L"The namespace %s in the class %s is invalid against restriction %s";
inline constexpr wchar_t kAttributeReadByCollection[] = L"This should be done by the collection";
inline constexpr wchar_t kNullItem[] = L"A null item cannot be added to the collection.";

// Typed collections of dates.
inline constexpr wchar_t kDatesMustBeDate[] =
    L"Dates added to this collection must be of type dt_date";
inline constexpr wchar_t kDatesMustBeDateTime[] =
    L"Dates added to this collection must be of type dt_dateTime";
inline constexpr wchar_t kDatesMustBeTime[] =
    L"Dates added to this collection must be of type dt_time";
inline constexpr wchar_t kDatesMustBeYearMonth[] =
    L"Dates added to this collection must be of type dt_gYearMonth";
inline constexpr wchar_t kDatesMustBeMonthDay[] =
    L"Dates added to this collection must be of type dt_gMonthDay";

}  // namespace Korvel::detail
