// SPDX-License-Identifier: MIT
// UTF-8 arguments and file paths checked and widened, with one error for both.
#include "runtime/utf8_argument.h"

#include <cstdint>

#include <korvel/errors.h>

#include "runtime/messages.h"
#include "values/utf.h"

namespace Korvel::detail {

namespace {

[[noreturn]] void ThrowInvalidUtf8(const wchar_t* argument, size_t offset) {
  throw CKvInvalidParamException(
      FormatString(kInvalidUtf8Argument, argument, static_cast<uint64_t>(offset)));
}

}  // namespace

void CheckUtf8Argument(std::string_view text, const wchar_t* argument) {
  const size_t valid = Utf8ValidPrefixLength(text);
  if (valid != text.size()) ThrowInvalidUtf8(argument, valid);
}

std::wstring WideFromUtf8Argument(std::string_view text, const wchar_t* argument) {
  std::wstring wide;
  if (!Utf8ToWide(text, wide)) ThrowInvalidUtf8(argument, Utf8ValidPrefixLength(text));
  return wide;
}

std::wstring WideFileName(const std::filesystem::path& path) {
  return WideFromUtf8Argument(path.native(), kFileNameArgument);
}

}  // namespace Korvel::detail
