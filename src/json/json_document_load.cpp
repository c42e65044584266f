// SPDX-License-Identifier: MIT
// The JSON loaders of CXmlDocument: every input form is converted to XML
// text.
#include <korvel/xml_document.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include <korvel/binary_data.h>
#include <korvel/errors.h>

#include "json/json_to_xml.h"
#include "json/messages.h"
#include "platform/async_read.h"
#include "platform/file.h"
#include "runtime/io_errors.h"

namespace Korvel {

namespace platform = detail::platform;

namespace detail {

JsonInput ReadJsonFile(const wchar_t* fileName) {
  platform::File file;
  if (platform::ErrorCode error = file.OpenForRead(fileName ? fileName : L"")) {
    ThrowFileError(kFileOpenFailed, fileName, error);
  }
  uint64_t size = 0;
  if (platform::ErrorCode error = file.Size(size)) {
    ThrowFileError(kFileSizeFailed, fileName, error);
  }
  if (size > std::numeric_limits<uint32_t>::max()) {
    ThrowFileError(kFileSizeFailed, fileName, platform::kFileTooLarge);
  }
  std::unique_ptr<unsigned char[]> content(new unsigned char[size ? size : 1]);
  size_t got = 0;
  if (platform::ErrorCode error = file.Read(content.get(), size, got)) {
    ThrowFileError(kFileReadFailed, fileName, error);
  }
  if (got != size) ThrowFileError(kFileReadFailed, fileName, platform::kEndOfFile);
  file.Close();
  return JsonInput(std::move(content), size);
}

}  // namespace detail

CBinaryData CXmlDocument::LoadJsonFile(const wchar_t* fileName) {
  Cleanup();
  // An empty file is empty JSON: the XML holds only its declaration.
  return detail::ConvertJsonToXml(detail::ReadJsonFile(fileName), m_context->GetJsonContext());
}

CBinaryData CXmlDocument::LoadJsonStream(const unsigned char* data, size_t length) {
  Cleanup();
  if (!data || length == 0) detail::ThrowJsonError(detail::kJsonStreamEmpty);
  return detail::ConvertJsonToXml(detail::JsonInput(data, length), m_context->GetJsonContext());
}

CBinaryData CXmlDocument::LoadJson(const char* text) {
  Cleanup();
  if (!text || *text == '\0') detail::ThrowJsonError(detail::kJsonStringEmpty);
  const detail::JsonInput json(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
  return detail::ConvertJsonToXml(json, m_context->GetJsonContext());
}

CBinaryData CXmlDocument::LoadJson(const wchar_t* text) {
  Cleanup();
  if (!text || *text == L'\0') detail::ThrowJsonError(detail::kJsonStringEmpty);
  return detail::ConvertJsonToXml(text, m_context->GetJsonContext());
}

}  // namespace Korvel
