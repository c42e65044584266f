// SPDX-License-Identifier: MIT
// UTF-8 arguments and file paths of the narrow entry points, turned into the
// wide text the rest of the library works with.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Korvel::detail {

// Throws CKvInvalidParamException naming the argument ("text", "file name")
// and the offset of the first malformed byte unless text is well-formed UTF-8.
void CheckUtf8Argument(std::string_view text, const wchar_t* argument);
// The wide form of a UTF-8 argument, checked as above.
std::wstring WideFromUtf8Argument(std::string_view text, const wchar_t* argument);
// The wide form of a path, whose bytes must be UTF-8. The path's own wide
// conversion is not used: it depends on the process locale and throws
// std::filesystem's errors.
std::wstring WideFileName(const std::filesystem::path& path);

}  // namespace Korvel::detail
