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

// Class metadata and the generated-class serialiser. The typos are part of the messages.
inline constexpr wchar_t kNotImplemented[] = L"Not implemented, should never be called";
inline constexpr wchar_t kCannotCheckRestriction[] = L"Cannot CheckRestriction for type: ";
inline constexpr wchar_t kFailedToGetProperty[] = L"Failed to get the property value for [%s].";
inline constexpr wchar_t kFailedToSetProperty[] = L"Failed to set the property value.";
inline constexpr wchar_t kFailedToSetAttributeProperty[] =
    L"Failed to set the property value [%s].";
inline constexpr wchar_t kRequiredAttributeMissing[] =
    L"Failed to find the required Attribute [%s].";
inline constexpr wchar_t kNotAnAttributeCol[] =
    L"Serialization Data Error : The collection should be a CAttributeCol, it was not!";
inline constexpr wchar_t kNilOnNonNillable[] =
    L"Invalid use of 'nil' attribute in non-nillable element.";
inline constexpr wchar_t kUnexpectedNilValue[] =
    L"Unexpected Value [%s] for 'nil' Attribute found.";
inline constexpr wchar_t kNilWithContent[] = L"An element marked nil must be empty.";
inline constexpr wchar_t kUnexpectedAttribute[] = L"Unexpected Attribute found.";
inline constexpr wchar_t kFailedToConvertElement[] = L"Failed to convert the element [%s] to XML";
inline constexpr wchar_t kFailedToConvertAttributes[] = L"Failed to convert attributes to XML";
inline constexpr wchar_t kUnknownXmlGroupType[] = L"Unknown XML Group Type";
inline constexpr wchar_t kUnknownGroupType[] = L"Unknown Group Type";
inline constexpr wchar_t kChoiceNoneSet[] =
    L"This element is a choice, and as such must have at one (and only one) valid item, "
    L"currently there are none set";
inline constexpr wchar_t kFailedToProcessElement[] = L"Failed to process the element.";
inline constexpr wchar_t kObjectsNestedTooDeep[] =
    L"The element nests objects more than %d levels deep, which is more than a read allows.";
inline constexpr wchar_t kUnprocessedElement[] =
    L"Failed read all the elements held within the element [%s]. The unexpected element [%s] "
    L"remains un processed";
inline constexpr wchar_t kChoiceNotPopulated[] =
    L"No child elements within the element [%s] were populated. The element represents a "
    L"choice, so one and only one element should be populated. The element contained no "
    L"sutable child elements";
inline constexpr wchar_t kMandatoryPropertyNull[] =
    L"The Property [%s] is mandatory, it may not be NULL";
inline constexpr wchar_t kRequiredChildMissing[] =
    L"Failed to find the required child element [%s].";
inline constexpr wchar_t kMandatoryElementMissing[] = L"Failed to find the mandatory element [%s].";
inline constexpr wchar_t kRequiredFromNamespace[] =
    L"Failed to find the required element from namespace [%s].";
inline constexpr wchar_t kNoSubstitution[] =
    L"Failed to find a suitable substitution element for [%s].";

}  // namespace Korvel::detail
