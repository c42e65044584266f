// SPDX-License-Identifier: MIT
// Byte decoders: base64, hex, UTF-8, UTF-16LE and transparent decompression of
// arbitrary input. Whatever decodes must encode back to an equivalent form.
#include <cstdlib>

#include <korvel/binary_data.h>
#include <korvel/errors.h>

#include "fuzz_support.h"
#include "values/compression.h"
#include "values/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  std::wstring text = fuzz::BytesToWide(data, size);
  try {
    CBinaryData b64;
    b64.SetAsBase64(text.c_str());
    CBinaryData again;
    again.SetAsBase64(b64.GetAsBase64().c_str());
    if (again.GetLength() != b64.GetLength()) std::abort();
  } catch (const CKvException&) {
  }
  try {
    CBinaryData hex;
    hex.SetAsHexString(text.c_str());
  } catch (const CKvException&) {
  }
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::wstring wide = detail::Utf8ToWide(bytes);
  if (!wide.empty() && detail::WideToUtf8(wide) != bytes) std::abort();
  detail::Utf16LeToWide(bytes);
  CBinaryData raw(data, static_cast<uint32_t>(size));
  detail::InflateIfCompressed(raw);
  return 0;
}
