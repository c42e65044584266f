// SPDX-License-Identifier: MIT
// The loaders of CXmlDocument that take UTF-8 text, std::wstring and
// std::filesystem::path arguments; each forwards to the wide or byte path.
#include <korvel/xml_document.h>

#include <korvel/errors.h>

#include "runtime/messages.h"
#include "runtime/utf8_argument.h"
#include "xml/expat_reader.h"
#include "xml/messages.h"

namespace Korvel {

void CXmlDocument::Load(const std::wstring& fileName) { Load(fileName.c_str()); }

void CXmlDocument::Load(const std::filesystem::path& fileName) {
  Load(detail::WideFileName(fileName).c_str());
}

void CXmlDocument::LoadXml(std::string_view text) {
  Cleanup();
  if (text.empty()) throw CKvException(detail::kXmlStringEmpty);
  detail::CheckUtf8Argument(text, detail::kTextArgument);
  CExpatReader::LoadWhole(*this, [&](CExpatReader& reader) {
    reader.AssumeUtf8();
    reader.Parse(text.data(), text.size(), true);
  });
}

}  // namespace Korvel
