// SPDX-License-Identifier: MIT
#include <korvel/class_factory.h>

#include <korvel/xml_document.h>

#include "test_support.h"

namespace Korvel {
namespace {

struct Factory : CClassfactoryBase {
  using CClassfactoryBase::GetElementType, CClassfactoryBase::GetElementTypeNamespaceUri;
};

TEST(ClassFactory, ReadsXsiType) {
  // xsi:type (empty: none), then the type name and namespace read from it.
  const std::tuple<std::wstring, const wchar_t*, const wchar_t*> rows[] = {
      {L"", L"", L"urn:e"},
      {L"p:T", L"T", L"urn:p"},
      {L"T", L"T", L"urn:d"},    // unprefixed: the default namespace in scope
      {L"q:T", L"T", L"urn:e"},  // unbound prefix
  };
  for (const auto& [xsiType, type, ns] : rows) {
    SCOPED_TRACE(::testing::Message() << xsiType);
    CXmlDocument document;
    document.LoadXml((L"<e:r xmlns:e='urn:e' xmlns:p='urn:p' xmlns='urn:d' "
                      L"xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'" +
                      (xsiType.empty() ? L"" : L" xsi:type='" + xsiType + L"'") + L"/>")
                         .c_str());
    EXPECT_EQ(Factory::GetElementType(document.GetDocumentElement()), type);
    EXPECT_EQ(Factory::GetElementTypeNamespaceUri(document.GetDocumentElement()), ns);
  }
}

}  // namespace
}  // namespace Korvel
