// SPDX-License-Identifier: MIT
// The element descriptions that the catalogue cannot use (collections in all
// groups, the generic collections) and those no other fixture reaches, each
// read, written and failed through small class shapes: the rows are in
// tests/data/binding/descriptions.txt.
#include <gtest/gtest.h>

#include <korvel/serialization_context.h>
#include <korvel/typed_collections.h>
#include <korvel/untyped.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "binding/flex_class.h"
#include "vector_file.h"

namespace Korvel::testing {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;
const wchar_t* const kT = L"urn:t";

// leaf: one mandatory int v; the item of every class-valued member below.
const Shape kLeaf(XmlElementGroupType_Sequence, L"leaf", kT,
                  {new CElementInfoSeqPrimMnd(L"v", kT, 0, false, it_i4, nullptr, kCollapse,
                                              CPrimitiveRestrictions(), nullptr)});
const int kLeafId = RegisterFlex(kLeaf);

// The substitution groups of the abstract members: the head x and its member
// x2; any other element is no member of the group.
template <const wchar_t* kHead>
CSmartPtr<CXmlObjectBase> Substitute(CXmlElement* element) {
  const std::wstring& name = element->GetLocalName();
  if (name != kHead && name != kHead + std::wstring(L"2")) return nullptr;
  return new CFlex(kLeaf, name.c_str());
}
constexpr wchar_t kAm[] = L"am";
constexpr wchar_t kAo[] = L"ao";

CSmartPtr<CXmlCollectionBase> Ints(int32_t minOccurs, int32_t maxOccurs) {
  return new Ci4Col(L"n", kT, minOccurs, maxOccurs, nullptr, -1, -1, nullptr, nullptr, nullptr,
                    nullptr, -1, -1, -1, kCollapse, nullptr);
}
// An enumeration's collection: the values as their text.
CSmartPtr<CXmlCollectionBase> Kinds(int32_t minOccurs, int32_t maxOccurs) {
  return new CstringCol(L"k", kT, minOccurs, maxOccurs, L"home|work", -1, -1, nullptr, nullptr,
                        nullptr, nullptr, -1, -1, -1, kCollapse, nullptr);
}
CSmartPtr<CXmlCollectionBase> Leaves(std::vector<std::wstring> names, int32_t minOccurs,
                                     int32_t maxOccurs) {
  return new CFlexCol(kLeaf, std::move(names), kT, minOccurs, maxOccurs);
}

// The members every collection shape has, at properties 0 to 5: ints n,
// kinds k, leaves c, the substitution group s (s, s2), the wildcard ##other
// and the generic collection g of leaves.
void InitCollections(CFlex& flex, int32_t minOccurs) {
  flex.properties[0].SetXmlCollection(Ints(minOccurs, 3));
  flex.properties[1].SetXmlCollection(Kinds(minOccurs, -1));
  flex.properties[2].SetXmlCollection(Leaves({L"c"}, minOccurs, -1));
  flex.properties[3].SetXmlCollection(Leaves({L"s", L"s2"}, 1, 2));
  flex.properties[4].SetXmlCollection(new CElementCol(L"", L"##other", kT, minOccurs));
  flex.properties[5].SetXmlCollection(Leaves({L"g"}, minOccurs, -1));
}

// The collections in a group; a choice's each need an item, so the choice
// needs a member.
template <class Prim, class Enum, class Cls, class AbsCls, class Untpd, class Generic>
Shape CollectionShape(XmlElementGroupType group, const wchar_t* name,
                      std::vector<CElementInfo*> more = {}) {
  std::vector<CElementInfo*> members = {new Prim(L"n", kT, 0),
                                        new Enum(L"k", kT, 1),
                                        new Cls(L"c", kT, 2, XmlElementType_Element),
                                        new AbsCls(L"s", kT, 3, XmlElementType_Element),
                                        new Untpd(L"AnyElement", L"##other", 4),
                                        new Generic(L"g", kT, 5)};
  members.insert(members.end(), more.begin(), more.end());
  Shape shape(group, name, kT, std::move(members));
  const int32_t minOccurs = group == XmlElementGroupType_Choice ? 1 : 0;
  shape.init = [minOccurs](CFlex& flex) { InitCollections(flex, minOccurs); };
  return shape;
}
const Shape kAllCollections =
    CollectionShape<CElementInfoAllPrimCol, CElementInfoAllEnumCol, CElementInfoAllClsCol,
                    CElementInfoAllAbsClsCol, CElementInfoAllUntpdCol, CElementInfoAllCol>(
        XmlElementGroupType_All, L"allcol");
const Shape kChoiceCollections =
    CollectionShape<CElementInfoChoicePrimCol, CElementInfoChoiceEnumCol, CElementInfoChoiceClsCol,
                    CElementInfoChoiceAbsClsCol, CElementInfoChoiceUntpdCol, CElementInfoChoiceCol>(
        XmlElementGroupType_Choice, L"pickcol");
// The sequence ends with an optional abstract ao.
const Shape kSequenceCollections =
    CollectionShape<CElementInfoSeqPrimCol, CElementInfoSeqEnumCol, CElementInfoSeqClsCol,
                    CElementInfoSeqAbsClsCol, CElementInfoSeqUntpdCol, CElementInfoSeqCol>(
        XmlElementGroupType_Sequence, L"seqcol",
        {new CElementInfoSeqAbsClsOpt(L"ao", kT, 6, XmlElementType_Element, Substitute<kAo>)});

// A choice of an abstract ao and an untyped u, single-valued and so optional.
const Shape kChoiceSingles(XmlElementGroupType_Choice, L"pickone", kT,
                           {new CElementInfoChoiceAbsClsOpt(L"ao", kT, 0, XmlElementType_Element,
                                                            Substitute<kAo>),
                            new CElementInfoChoiceUntpdOpt(L"u", kT, 1, L"##any", kT)});

// The single-valued members of an all group: m and am mandatory classes
// (am abstract), o and ao optional ones, e an optional enumeration, u a
// mandatory and uo an optional untyped element.
Shape MakeAllSingles() {
  Shape shape(
      XmlElementGroupType_All, L"allone", kT,
      {new CElementInfoAllClsMnd(L"m", kT, 0, XmlElementType_Element, CreateFlex, kLeafId, true),
       new CElementInfoAllClsOpt(L"o", kT, 1, XmlElementType_Element, CreateFlex, kLeafId),
       new CElementInfoAllAbsClsMnd(L"am", kT, 2, XmlElementType_Element, Substitute<kAm>, 0),
       new CElementInfoAllAbsClsOpt(L"ao", kT, 3, XmlElementType_Element, Substitute<kAo>),
       new CElementInfoAllEnumOpt(L"e", kT, 4, false, KindToString, StringToKind, L"work"),
       new CElementInfoAllUntpdMnd(L"u", kT, 5, L"##any", kT),
       new CElementInfoAllUntpdOpt(L"uo", kT, 6, L"##any", kT)});
  shape.init = [](CFlex& flex) { flex.properties[0].SetXmlObject(CreateFlex(kLeafId, L"m")); };
  return shape;
}
const Shape kAllSingles = MakeAllSingles();

// Rows: "rw" reads the document and answers the text written from the
// objects, which must read back to the same text; "write" reads leniently (no
// facets or counts checked) and answers what strict writing gives; "drop"
// reads, empties a property and writes. A failure answers "!" and the full
// message.
TEST(ElementDescriptions, ReadWriteAndFail) {
  const std::map<std::wstring, const Shape*> shapes = {{L"allcol", &kAllCollections},
                                                       {L"pickcol", &kChoiceCollections},
                                                       {L"pickone", &kChoiceSingles},
                                                       {L"seqcol", &kSequenceCollections},
                                                       {L"allone", &kAllSingles}};
  CSerializationContext strict;
  strict.SetDefaultNamespaceURI(kT);
  CSerializationContext lenient = strict;
  lenient.SetCheckFacetsOnRead(false);
  lenient.SetIgnoreInvalidCollectionCounts(true);
  lenient.SetIgnoreMissingChoice(true);
  const std::wstring declaration = L" xmlns=\"urn:t\"";

  auto run = [&](const VectorArgs& a, const CSerializationContext& reading, int drop) {
    const Shape& shape = *shapes.at(a[0]);
    CSmartPtr<CFlex> object = new CFlex(shape, L"");
    std::wstring written;
    const std::wstring failure = ValidationFailure([&] {
      object->FromXml(a[1].c_str(), reading);
      object->properties.erase(drop);
      written = object->ToXml(false, false, EOL_LF, strict);
      CSmartPtr<CFlex> again = new CFlex(shape, L"");
      again->FromXml(written.c_str(), strict);
      EXPECT_EQ(again->ToXml(false, false, EOL_LF, strict), written);
    });
    if (failure != L"no exception") return L"!" + failure;
    // The root's namespace declaration is in every row's document.
    const size_t at = written.find(declaration);
    if (at != std::wstring::npos) written.erase(at, declaration.size());
    return written;
  };
  VectorOperations operations;
  operations[L"rw"] = [&](const VectorArgs& a) { return run(a, strict, -1); };
  operations[L"write"] = [&](const VectorArgs& a) { return run(a, lenient, -1); };
  operations[L"drop"] = [&](const VectorArgs& a) { return run(a, strict, std::stoi(a[2])); };
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/descriptions.txt", operations);
}

}  // namespace
}  // namespace Korvel::testing
