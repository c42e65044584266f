// SPDX-License-Identifier: MIT
// The document vectors, in tests/data/xml/*.txt: a document given as bytes (each
// character of the field one byte, so UTF-8 is spelt out byte by byte) and the
// tree it loads as, one line: {namespace}name @{namespace}attribute=value
// [text] (child)(child)...; the text writer's scripts with the text they
// write; and calls on a namespace alias map with its answers.
#include <korvel/xml_document.h>

#include <string>
#include <typeinfo>

#include <korvel/namespace_alias_map.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_text_writer.h>

#include "tree_text.h"
#include "vector_file.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {
namespace {

using Args = testing::VectorArgs;
using detail::XmlTreeBuilder;

std::string Bytes(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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
    return error + testing::TreeText(root);
  }

  CSerializationContext context;
  CXmlDocument document;
  std::wstring error;
};

// One writer call, "name|argument|...": the calls the script tests need.
void Call(CXmlTextWriter& w, const std::wstring& command) {
  const Args c = testing::Split(command, L'|', 5);
  const std::wstring& name = c[0];
  if (name == L"flat") w.SetFormatted(false);
  if (name == L"eol") w.SetEOLType(static_cast<EOLType>(std::stoi(c[1])));
  if (name == L"indent") w.SetIndentChars(c[1]);
  if (name == L"defaults") w.SetWriteDefaultElementValues(true);
  if (name == L"decl") w.WriteXmlDeclaration();
  if (name == L"alias") w.AddNamespaceAlias(c[1], c[2]);
  if (name == L"default") w.SetDefaultNamespace(c[1]);
  if (name == L"start") w.StartElement(c[1], c[2]);
  if (name == L"attr") w.WriteAttribute(c[1], c[2], c[3], it_string);
  if (name == L"text") w.WriteText(c[1], it_string, false);
  if (name == L"default-i4") w.WriteText(c[1], it_i4, true);
  if (name == L"end") w.EndElement();
  if (name == L"comment") w.WriteComment(c[1]);
  if (name == L"pi") w.WriteProcessingInstruction(c[1]);
  if (name == L"schema") w.WriteInLineSchema(c[1]);
  if (name == L"xsitype") w.WriteXsiType(c[1], c[2], it_none);
  if (name == L"nil") w.WriteNil();
  if (name == L"open") w.Open();
  if (name == L"close") w.Close();
}

// The answers of the queries among calls on one CNamespaceAliasMap.
std::wstring AliasMapCalls(const Args& calls) {
  CNamespaceAliasMap map;
  std::wstring out;
  for (const std::wstring& call : calls) {
    const Args c = testing::Split(call, L'|', 3);
    const auto text = [&](int i) { return c[i] == L"~" ? nullptr : c[i].c_str(); };
    const auto answer = [&](const std::wstring& text) { out += text + L"|"; };
    const auto yes = [&](bool b) { answer(b ? L"yes" : L"no"); };
    if (c[0] == L"add") map.Add(text(1), text(2));
    if (c[0] == L"remove") map.RemoveNamespace(text(1));
    if (c[0] == L"count") answer(std::to_wstring(map.GetNamespaceCount()));
    if (c[0] == L"at") answer(map.GetNamespaceAt(std::stoi(c[1])));
    if (c[0] == L"alias-of") answer(map.GetAliasFromNamespace(text(1)));
    if (c[0] == L"has-alias") yes(map.DoesAliasExist(text(1)));
    if (c[0] == L"has-namespace") yes(map.DoesNamespaceExist(text(1)));
    if (c[0] == L"all") {
      for (int32_t i = 0; i < map.GetNamespaceCount(); ++i) out += map.GetNamespaceAt(i) + L",";
      answer(L"");
    }
    if (c[0] != L"namespace-of") continue;
    try {
      answer(map.GetNamespaceFromAlias(text(1)));
    } catch (const CKvException& e) {
      answer((typeid(e) == typeid(CKvException) ? L"!" : L"!subclass: ") + e.GetMessageW());
    }
  }
  return out;
}

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
      // namespace, local name: the kind of an attribute built with that name.
      {L"attribute-kind",
       [](const Args& a) {
         CXmlDocument document;
         CXmlElement* root = XmlTreeBuilder::AddDocElement(document, L"", L"r");
         XmlTreeBuilder::AddElementAttribute(root, a[1].c_str(), L"v", a[0].c_str());
         const CXmlAttribute* attribute = root->GetAttributes()[0];
         return std::wstring(attribute->IsNamespaceAttribute() ? L"namespace" : L"") +
                (attribute->IsNilAttribute() ? L"nil" : L"");
       }},
      // text, length (- for none): "<" and the text appended without carriage returns.
      {L"append-without-cr",
       [](const Args& a) {
         CXmlDocument document;
         CXmlElement* root = XmlTreeBuilder::AddDocElement(document, nullptr, L"r");
         XmlTreeBuilder::AppendTextExcludingCR(root, L"<");
         XmlTreeBuilder::AppendTextExcludingCR(
             root, a[0].c_str(), a[1] == L"-" ? std::wstring::npos : std::stoul(a[1]));
         return root->GetText();
       }},
      {L"aliases", AliasMapCalls},
      // stream encoding, calls...: the text written, then {!message} for each
      // call that was refused.
      {L"write",
       [](const Args& a) {
         CTextStream stream(static_cast<XmlEncoding>(std::stoi(a[0])));
         CXmlTextWriter writer(stream);
         std::wstring refused;
         for (size_t i = 1; i < a.size(); ++i) {
           try {
             Call(writer, a[i]);
           } catch (const CKvException& e) {
             refused += L"{!" + e.GetMessageW() + L"}";
           }
         }
         return stream.GetAllText() + refused;
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
