// SPDX-License-Identifier: MIT
#include <korvel/class_factory.h>

#include <korvel/xml_document.h>

#include "test_support.h"

namespace Korvel {
namespace {

struct Factory : CClassfactoryBase {
  using CClassfactoryBase::GetElementType;
  using CClassfactoryBase::GetElementTypeNamespaceUri;
};

TEST(ClassFactory, ReadsXsiType) {
  struct Row {
    const wchar_t* xsiType;  // null: no attribute
    const wchar_t* type;
    const wchar_t* ns;
  };
  const Row rows[] = {
      {nullptr, L"", L"urn:e"},
      {L"p:T", L"T", L"urn:p"},
      {L"T", L"T", L"urn:e"},    // unprefixed: the element's namespace, whatever the default says
      {L"q:T", L"T", L"urn:e"},  // unbound prefix
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << (row.xsiType ? row.xsiType : L"(none)"));
    std::wstring xml =
        L"<e:r xmlns:e='urn:e' xmlns:p='urn:p' xmlns='urn:default' "
        L"xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'";
    if (row.xsiType) xml += std::wstring(L" xsi:type='") + row.xsiType + L"'";
    xml += L"/>";
    CXmlDocument document;
    document.LoadXml(xml.c_str());
    CXmlElement* element = document.GetDocumentElement();
    EXPECT_EQ(Factory::GetElementType(element), row.type);
    EXPECT_EQ(Factory::GetElementTypeNamespaceUri(element), row.ns);
  }
}

}  // namespace
}  // namespace Korvel
