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

}  // namespace Korvel::detail
