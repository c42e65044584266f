// SPDX-License-Identifier: MIT
// Untyped content: wildcard refusals, reading foreign content, writing in
// every layout, own namespace scopes, the extra root attributes, and the
// namespace wildcards themselves.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

#include <korvel/serialization_context.h>
#include <korvel/untyped.h>
#include <korvel/xml_document.h>

#include "binding/namespace_wildcard.h"
#include "binding/test_objects.h"
#include "test_support.h"
#include "vector_file.h"

namespace Korvel::testing {
namespace {

constexpr wchar_t kWildcardMessage[] =
    L"Invalid namespace [%s]. The namespace must be one of [%s] where the target namespace is "
    L"[%s].";

// The protected readers, for the tests.
struct Element : CElement {
  using CElement::CElement;
  using CElement::FromXml_Int;
};
struct Elements : CElementCol {
  using CElementCol::CElementCol;
  using CElementCol::FromXml_Int;
};
struct Attributes : CAttributeCol {
  using CAttributeCol::CAttributeCol;
  using CAttributeCol::FromXml_Int;
};

std::wstring Xml(const CXmlObjectBase& object, bool formatted = false, EOLType eol = EOL_LF) {
  return object.ToXml(false, formatted, eol, CSerializationContext::GetDefaultContext());
}

// <a xmlns:q="urn:q" q:k="v &quot;1&quot;">text &amp; more<b/><q:c>leaf</q:c></a>, with a child
// that opens its own default namespace.
CSmartPtr<CElement> SampleTree() {
  CSmartPtr<CElement> root(new CElement(L"a"));
  root->GetAttributes()->Add(L"k", L"v \"1\"\n", L"urn:q");
  root->SetText(L"text & more");
  CSmartPtr<CElementCol> children = root->GetChildElements();
  children->Add(L"b");
  CSmartPtr<CElement> leaf = children->Add(L"c", L"urn:q");
  leaf->SetText(L"  leaf <x>  ");
  leaf->GetChildElements();  // no children: the text keeps its blanks
  CSmartPtr<CElement> deep = children->Add(L"d", L"urn:q");
  deep->GetChildElements()->Add(L"e", L"urn:q")->SetText(L"\u00e9\u6f22\U0001F600");
  return root;
}

TEST(Untyped, RefusalsCarryTheirMessages) {
  const std::wstring other = L"##other";
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"##other"), CKvInvalidNamespaceException,
                              L"Invalid Namespace [##other].");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(nullptr), CKvInvalidNamespaceException,
                              L"Element Name must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"", nullptr, L""), CKvInvalidNamespaceException,
                              L"Namespace Restriction must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"", L"##any", nullptr),
                              CKvInvalidNamespaceException, L"Target Namespace must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"urn:z", L"##local", L"urn:t"),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:z", L"##local", L"urn:t"));

  CSmartPtr<CElementCol> foreign(new CElementCol(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(L"x"), CKvInvalidStateException,
                              L"A Namespace has not been set for this Collection");
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(L"x", L"urn:t"), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:t", L"##other", L"urn:t"));
  CSmartPtr<CElement> local(new CElement(L"x"));
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(local), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"", L"##other", L"urn:t"));
  EXPECT_EQ(foreign->Add(L"x", L"urn:o")->GetNamespace(), L"urn:o");

  // A list of URIs admits unqualified content; a keyword never becomes a namespace.
  CSmartPtr<CElementCol> listed(new CElementCol(L"", L"urn:y", L""));
  EXPECT_EQ(listed->Add(L"x")->GetNamespace(), L"");
  CSmartPtr<CElementCol> targeted(new CElementCol(L"", L"##targetNamespace", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(targeted->Add(L"x"), CKvInvalidStateException,
                              L"A Namespace has not been set for this Collection");

  // The first URI of the restriction serves attributes added without one.
  CSmartPtr<CAttributeCol> attributes(new CAttributeCol(L"", L"urn:a urn:b", L""));
  EXPECT_EQ(attributes->Add(L"x", L"1")->GetNamespace(), L"urn:a");
  CSmartPtr<CAttributeCol> otherAttributes(new CAttributeCol(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(otherAttributes->Add(L"x"), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"", other.c_str(), L"urn:t"));

  // A tree checked against a wildcard it does not fit.
  CSmartPtr<CElement> tree = SampleTree();
  tree->SetNamespace(L"urn:t");
  try {
    tree->SetNamespaceRestrictions(L"##other", L"urn:t");
    ADD_FAILURE() << "no exception";
  } catch (const CKvInvalidNamespaceException& e) {
    EXPECT_EQ(e.GetMessageW(), L"The namespace urn:t in the class a is invalid against "
                               L"restriction ##other");
    ASSERT_NE(e.GetInnerException(), nullptr);
    EXPECT_EQ(e.GetInnerException()->GetMessageW(),
              FormatString(kWildcardMessage, L"urn:t", L"##other", L"urn:t"));
  }
  tree->SetNamespace(L"urn:o");
  KORVEL_EXPECT_THROW_MESSAGE(tree->SetNamespaceRestrictions(L"urn:o", L"urn:t"),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:q", L"urn:o", L"urn:t"));
}

TEST(Untyped, WritesAttributesChildrenThenText) {
  EXPECT_EQ(Xml(*SampleTree()),
            L"<a xmlns:AA=\"urn:q\" AA:k=\"v &quot;1&quot;&#xA;\"><b/>"
            L"<AA:c>  leaf &lt;x&gt;  </AA:c><AA:d><AA:e>\u00e9\u6f22\U0001F600</AA:e></AA:d>text &amp; more</a>");
}

TEST(Untyped, OwnNamespaceScope) {
  CPerson person;
  person.name = L"Ann";
  person.id = L"7";
  CSmartPtr<CElement> scoped(new CElement(&person, L"urn:p"));
  EXPECT_EQ(scoped->GetDefaultNamespace(), L"urn:p");
  EXPECT_EQ(Xml(*scoped), L"<person xmlns=\"urn:p\" id=\"7\"><name>Ann</name></person>");

  // Inside another element, indented like a sibling, and read back to the same text.
  CSmartPtr<CElement> outer(new CElement(L"outer"));
  outer->GetChildElements()->Add(L"first");
  outer->GetChildElements()->Add(scoped);
  const std::wstring formatted = Xml(*outer, true);
  EXPECT_EQ(formatted,
            L"<outer>\n\t<first/>\n\t<person xmlns=\"urn:p\" id=\"7\">\n\t<name>Ann</name>\n"
            L"</person>\n</outer>\n");
  CSmartPtr<CElement> back(new CElement(L"x"));
  back->FromXml(formatted.c_str());
  EXPECT_EQ(Xml(*back->GetChildElements()->Item(1)),
            L"<person xmlns=\"urn:p\" id=\"7\"><name>Ann</name></person>");

  // A bound object reads from untyped content, and the element reads its own output.
  CPerson copy;
  copy.FromXmlElement(scoped.Get(), CSerializationContext::GetDefaultContext());
  EXPECT_EQ(copy.name, L"Ann");
  EXPECT_EQ(copy.id, L"7");
  back->FromXml(Xml(*scoped).c_str());
  EXPECT_EQ(Xml(*back), Xml(*scoped));
}

TEST(Untyped, ReadsForeignContentFromADocument) {
  CXmlDocument document;
  document.LoadXml(
      L"<r xmlns='urn:t' xmlns:o='urn:o' o:x='1' y='2'>"
      L"<o:a>1</o:a><o:a>2</o:a><o:a>3</o:a><mine/></r>");
  CXmlElement* root = document.GetDocumentElement();
  const CSerializationContext& context = CSerializationContext::GetDefaultContext();

  CSmartPtr<Attributes> attributes(new Attributes(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(attributes->FromXml_Int(root, nullptr, context, false),
                              CKvInvalidNamespaceException,
                              L"Invalid Attribute [y]. The attributes namespace is "
                              L"Inappropriate.\nPath: /r");
  CSmartPtr<Attributes> any(new Attributes(L"", L"##any", L""));
  any->FromXml_Int(root, nullptr, context, false);
  ASSERT_EQ(any->GetCount(), 2);
  EXPECT_EQ(any->Item(0)->GetNamespace(), L"urn:o");
  EXPECT_EQ(any->Item(1)->GetValue(), L"2");

  // A wildcard collection stops at its bound and at what it does not admit.
  CXmlElement* first = root->GetFirstElement();
  CSmartPtr<Elements> two(new Elements(L"", L"##other", L"urn:t", 0, 2));
  EXPECT_EQ(two->FromXml_Int(root, first, context, false)->GetText(), L"3");
  EXPECT_EQ(two->GetCount(), 2);
  CSmartPtr<Elements> others(new Elements(L"", L"##other", L"urn:t"));
  EXPECT_EQ(others->FromXml_Int(root, first, context, false)->GetLocalName(), L"mine");
  EXPECT_EQ(others->GetCount(), 3);
  CSmartPtr<Elements> named(new Elements(L"", L"##any", L""));
  EXPECT_EQ(named->FromXmlLockElementName_Int(L"a", L"urn:o", root, first, context)
                ->GetLocalName(),
            L"mine");
  EXPECT_EQ(named->GetCount(), 3);

  // Every reading entry point takes the element itself; the document declares
  // its namespace as the default one, so that is its scope.
  CSmartPtr<CElement> whole(new CElement(L"x"));
  whole->FromXmlElement(root, context);
  EXPECT_EQ(whole->GetName(), L"r");
  EXPECT_EQ(whole->GetDefaultNamespace(), L"urn:t");
  EXPECT_EQ(whole->GetChildElements()->GetCount(), 4);
  whole->FromXml(std::string_view("<n xmlns='urn:n'/>"), context);
  EXPECT_EQ(whole->GetNamespace(), L"urn:n");
  EXPECT_EQ(whole->GetChildElements()->GetCount(), 0);
  CSmartPtr<CElement> onlyLocal(new CElement(L"x", L"", L"##local", L""));
  KORVEL_EXPECT_THROW_MESSAGE(onlyLocal->FromXmlElement(root, context),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:t", L"##local", L""));

  // An element outside the wildcard is left unread.
  CSmartPtr<Element> local(new Element(L"", L"", L"##local", L""));
  EXPECT_EQ(local->FromXml_Int(root, first, context, false), first);
  EXPECT_EQ(local->GetName(), L"");
  EXPECT_EQ(local->GetChildElements()->GetCount(), 0);
}

TEST(Untyped, CloneIsIndependent) {
  CSmartPtr<CElement> source = SampleTree();
  CSmartPtr<CElement> clone = source->Clone();
  EXPECT_EQ(Xml(*clone), Xml(*source));
  clone->GetChildElements()->Item(1)->SetText(L"changed");
  clone->GetAttributes()->Item(0)->SetValue(L"changed");
  EXPECT_EQ(source->GetChildElements()->Item(1)->GetText(), L"  leaf <x>  ");
  EXPECT_EQ(source->GetAttributes()->Item(0)->GetValue(), L"v \"1\"\n");
}

// Scopes nested in a plain tree and in each other, with an unqualified
// element leaving one.
CSmartPtr<CElement> ScopedTree() {
  CSmartPtr<CElement> inner(new CElement(L"i", L"urn:i"));
  CSmartPtr<CElement> scoped(new CElement(L"s", L"urn:p"));
  CSmartPtr<CElementCol> children = scoped->GetChildElements();
  children->Add(L"t", L"urn:p")->SetText(L"text");
  children->Add(L"q", L"urn:q");
  children->Add(L"f", L"");
  children->Add(CSmartPtr<CElement>(new CElement(inner.Get(), L"urn:i")));
  CSmartPtr<CElement> root(new CElement(L"a"));
  root->GetChildElements()->Add(L"b", L"urn:q");
  root->GetChildElements()->Add(CSmartPtr<CElement>(new CElement(scoped.Get(), L"urn:p")));
  return root;
}

TEST(Untyped, RoundTripsAreStableInEveryLayout) {
  CSmartPtr<CElement> tree = SampleTree();
  CSmartPtr<CElement> mixed = tree->GetChildElements()->Add(L"m");
  mixed->FromXml(L"<m>\n  head <b>bold</b>\n  <i/> tail\n</m>");
  EXPECT_EQ(Xml(*ScopedTree()),
            L"<a><AA:b xmlns:AA=\"urn:q\"/><s xmlns=\"urn:p\"><t>text</t>"
            L"<AA:q xmlns:AA=\"urn:q\"/><f xmlns=\"\"/><i xmlns=\"urn:i\"/></s></a>");
  tree->GetChildElements()->Add(ScopedTree());
  const std::wstring reference = Xml(*tree);
  const struct {
    bool formatted;
    EOLType eol;
  } layouts[] = {{false, EOL_LF}, {true, EOL_LF}, {true, EOL_CRLF}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(::testing::Message() << "formatted " << layout.formatted << " eol " << layout.eol);
    const std::wstring first = Xml(*tree, layout.formatted, layout.eol);
    CSmartPtr<CElement> once(new CElement(L"x"));
    once->FromXml(first.c_str());
    const std::wstring second = Xml(*once, layout.formatted, layout.eol);
    CSmartPtr<CElement> twice(new CElement(L"x"));
    twice->FromXml(second.c_str());
    EXPECT_EQ(second, first);
    EXPECT_EQ(Xml(*twice, layout.formatted, layout.eol), first);
    EXPECT_EQ(Xml(*twice), reference);
    // Each nested element reads back with its own scope.
    const CSmartPtr<CElement> scoped =
        once->GetChildElements()->Item(4)->GetChildElements()->Item(1);
    EXPECT_EQ(scoped->GetDefaultNamespace(), L"urn:p");
    EXPECT_EQ(scoped->GetChildElements()->Item(2)->GetDefaultNamespace(), L"");
    EXPECT_EQ(scoped->GetChildElements()->Item(3)->GetDefaultNamespace(), L"urn:i");
  }
}

TEST(Untyped, DeepNestingNeedsNoCallStack) {
  constexpr size_t kDepth = 50000;  // beyond what nested calls survive
  std::wstring xml;
  for (size_t i = 1; i < kDepth; ++i) xml += L"<a>";
  xml += L"<a/>";
  for (size_t i = 1; i < kDepth; ++i) xml += L"</a>";
  CSmartPtr<CElement> deep(new CElement(L"x"));
  deep->FromXml(xml.c_str());
  CSmartPtr<CElement> copy = deep->Clone();
  deep.Reset();
  KORVEL_EXPECT_THROW_MESSAGE(copy->SetNamespaceRestrictions(L"##other", L""),
                              CKvInvalidNamespaceException,
                              L"The namespace  in the class a is invalid against restriction "
                              L"##other");
  EXPECT_EQ(Xml(*copy), xml);
}

TEST(Untyped, ContextSharesItsRootAttributes) {
  CSerializationContext context;
  const CSerializationContext copiedFirst(context);
  const CSerializationContext& constant = context;
  CSmartPtr<CAttributeCol> attributes = constant.GetAdditionalRootAttributes();
  EXPECT_EQ(attributes.Get(), context.GetAdditionalRootAttributes().Get());
  EXPECT_EQ(attributes.Get(), copiedFirst.GetAdditionalRootAttributes().Get());
  CSerializationContext assigned;
  assigned = context;
  attributes->Add(L"lang", L"en", L"urn:any");
  EXPECT_EQ(assigned.GetAdditionalRootAttributes()->Item(0)->GetValue(), L"en");
}

// The rows are in tests/data/binding/namespace_wildcard.txt.
TEST(NamespaceWildcard, AdmittedNamespacesAndTheDefaultOfWrittenContent) {
  using Args = VectorArgs;
  const auto admits = [](const Args& a) -> std::wstring {
    const bool valid = detail::IsNamespaceValid(a[1], a[0], L"urn:t");
    try {
      detail::TestNamespace(a[1], a[0], L"urn:t");
    } catch (const CKvInvalidNamespaceException& e) {
      return valid ? L"valid, yet refused" : L"!" + e.GetMessageW();
    }
    return valid ? L"yes" : L"invalid, yet admitted";
  };
  const auto defaultOf = [](const Args& a) {
    return detail::GetAnyDefaultNamespace(a[0], a[1], L"urn:t");
  };
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/namespace_wildcard.txt",
                {{L"admits", admits}, {L"default", defaultOf}});
}

// Ten megabytes of arbitrary XML through CElement: the output is well-formed
// (xmllint) and a second round trip gives the same bytes.
// binding/arbitrary_content.xml, repeated under one root to ten megabytes:
// prefixes, default namespaces declared and undeclared, foreign attributes,
// escapes, non-ASCII text, CDATA, comments, processing instructions, mixed
// content and layout whitespace.
std::string TenMegabytes() {
  std::ifstream in(std::string(KORVEL_TEST_DATA_DIR) + "/binding/arbitrary_content.xml",
                   std::ios::binary);
  const std::string content(std::istreambuf_iterator<char>(in), {});
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<r:root xmlns:r=\"urn:r\" xmlns:q=\"urn:q\" xmlns=\"urn:d\" q:v=\"1\">";
  while (!content.empty() && xml.size() < (10u << 20)) xml += content;
  return xml + "\n</r:root>\n";
}

// A name follows "<" only in a start or empty-element tag of that text.
int StartTags(const std::string& xml) {
  int count = 0;
  for (size_t i = xml.find('<'); i != std::string::npos; i = xml.find('<', i + 1)) {
    count += std::isalpha(static_cast<unsigned char>(xml[i + 1])) ? 1 : 0;
  }
  return count;
}

int CountElements(const CElement& element) {
  int count = 1;
  for (const CElement& child : *element.GetChildElements()) count += CountElements(child);
  return count;
}

TEST(UntypedLarge, TenMegabytesRoundTripWellFormedAndStable) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
  const std::string source = TenMegabytes();
  ASSERT_GT(source.size(), 10u << 20);
  const CSerializationContext& context = CSerializationContext::GetDefaultContext();

  CSmartPtr<CElement> first(new CElement(L"x"));
  first->FromXml(source.c_str(), context);
  EXPECT_EQ(CountElements(*first), StartTags(source));
  const std::string written = BytesOf(
      first->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none));

  TempDir dir;
  dir.Write("written.xml", written);
  const std::string command = "xmllint --noout --nonet --huge '" + dir.Path("written.xml") + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;

  CSmartPtr<CElement> second(new CElement(L"x"));
  second->FromXmlStream(DataOf(written), context);
  const std::string rewritten = BytesOf(
      second->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none));
  ASSERT_EQ(rewritten.size(), written.size());
  const auto mismatch = std::mismatch(written.begin(), written.end(), rewritten.begin());
  EXPECT_TRUE(mismatch.first == written.end())
      << "first difference at byte " << (mismatch.first - written.begin()) << ": "
      << written.substr(static_cast<size_t>(mismatch.first - written.begin()), 80);
}

}  // namespace
}  // namespace Korvel::testing
