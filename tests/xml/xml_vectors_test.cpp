// SPDX-License-Identifier: MIT
// The document vectors, in tests/data/xml/*.txt: a document given as bytes (each
// character of the field one byte, so UTF-8 is spelt out byte by byte) and the
// tree it loads as, one line: {namespace}name @{namespace}attribute=value
// [text] (child)(child)...
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <string>

#include <korvel/serialization_context.h>

#include "vector_file.h"

namespace Korvel {
namespace {

using Args = testing::VectorArgs;

std::string Bytes(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring Describe(const CXmlElement* e) {
  std::wstring out = L"{" + e->GetNamespaceURI() + L"}" + e->GetLocalName();
  for (const CXmlAttribute* a : e->GetAttributes()) {
    out += L" @{" + a->GetNamespaceURI() + L"}" + a->GetLocalName() + L"=" + a->GetValue();
  }
  if (!e->GetText().empty()) out += L" [" + e->GetText() + L"]";
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    out += L" (" + Describe(c) + L")";
  }
  return out;
}

// The paths of every element and attribute, in document order.
void AppendPaths(const CXmlElement* e, std::wstring& out) {
  out += (out.empty() ? L"" : L" ") + e->GetXPath();
  for (const CXmlAttribute* a : e->GetAttributes()) out += L" " + a->GetXPath();
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    AppendPaths(c, out);
  }
}

// Options: "nons" reads without namespace processing, "cdata" keeps CDATA markup.
CSerializationContext ContextFor(const std::wstring& options) {
  CSerializationContext context;
  context.SetSchemaType(options.find(L"nons") != std::wstring::npos ? SchemaType_NoNamespaces
                                                                     : SchemaType_Default);
  context.SetStripCDATA(options.find(L"cdata") == std::wstring::npos);
  return context;
}

struct Loaded {
  Loaded(const std::wstring& options, const std::wstring& xml)
      : context(ContextFor(options)), document(context) {
    const std::string bytes = Bytes(xml);
    try {
      document.LoadXmlStream(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    } catch (const CKvException& e) {
      error = L"!" + e.GetMessageW() + L" => ";
    }
  }
  std::wstring Tree() const {
    const CXmlElement* root = document.GetDocumentElement();
    return error + (root ? Describe(root) : L"");
  }

  CSerializationContext context;
  CXmlDocument document;
  std::wstring error;
};

const testing::VectorOperations& Operations() {
  static const testing::VectorOperations operations = {
      // options, document: the tree, after the message when the load fails.
      {L"tree", [](const Args& a) { return Loaded(a[0], a[1]).Tree(); }},
      // options, document: every path.
      {L"paths",
       [](const Args& a) {
         Loaded loaded(a[0], a[1]);
         std::wstring out = loaded.error;
         AppendPaths(loaded.document.GetDocumentElement(), out);
         return out;
       }},
      // document, prefix: the namespace the document declared for it.
      {L"namespace",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.LookupNamespaceFromAlias(a[1].c_str());
       }},
      // document, namespace: the smallest prefix declared for it.
      {L"prefix",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.LookupAliasFromNamespace(a[1].c_str());
       }},
      // document, local name, namespace: the document element's attribute.
      {L"attribute",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.GetDocumentElement()->GetAttribute(a[1].c_str(),
                                                                              a[2].c_str());
       }},
  };
  return operations;
}

class XmlVectors : public ::testing::TestWithParam<std::string> {};

TEST_P(XmlVectors, EveryRowGivesItsResult) { testing::RunVectorFile(GetParam(), Operations()); }

INSTANTIATE_TEST_SUITE_P(Files, XmlVectors, ::testing::ValuesIn(testing::VectorFiles("xml")),
                         testing::VectorFileName);

}  // namespace
}  // namespace Korvel
