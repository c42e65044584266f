// SPDX-License-Identifier: MIT
// Small hand-written bound classes for the binding tests: a person with an
// attribute and one child, a list of persons, a list of ints, and a sink that
// records what it hears.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/typed_collections.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

namespace Korvel::testing {

inline int32_t RefCount(CXmlObjectBase* object) {
  object->AddRef();
  return object->Release();
}

// <person id="..."><name>...</name></person> in urn:p.
class CPerson : public CXmlObjectBase {
 public:
  CPerson() { SetElementName(L"person"), ++live; }
  CPerson(const CPerson& other) : CXmlObjectBase(other), name(other.name) { ++live; }
  CPerson& operator=(const CPerson&) = default;
  ~CPerson() override { --live; }
  CXmlObjectBase* GetBase() override { return this; }
  std::wstring GetNamespace() const override { return L"urn:p"; }

  // The protected helpers, for the tests.
  using CXmlObjectBase::Choice_CollectionChanged, CXmlObjectBase::Choice_Read_Collection,
      CXmlObjectBase::Choice_SelectElement, CXmlObjectBase::Choice_SetElementValid,
      CXmlObjectBase::GetElementName, CXmlObjectBase::SetElementName,
      CXmlObjectBase::Throw_IfElementNameDiffers, CXmlObjectBase::Throw_IfPropertyIsNull;

  static inline int live = 0;  // instances alive
  std::wstring name, id;

 protected:
  std::wstring GetTargetNamespace() const override { return L"urn:p"; }
  void ToXml_Int(CXmlWriter* writer, bool, const wchar_t* ns, const CSerializationContext&,
                 bool) const override {
    writer->StartElement(GetElementName(), ns);
    if (!id.empty()) writer->WriteAttribute(L"id", L"", id, it_string);
    writer->StartElement(L"name", ns);
    writer->WriteText(name, it_string, false);
    writer->EndElement();
    writer->EndElement();
  }
  CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool) override {
    id = element->GetAttribute(L"id", nullptr);
    if (!DoesElementNameMatch(context, current, L"name", L"urn:p")) {
      throw CKvValidationException(L"name expected", element->GetXPath());
    }
    name = current->GetText();
    return current->GetNextSiblingElement();
  }
};

// The person most tests write: a name beyond ASCII and an id.
inline const wchar_t kName[] = L"Ann \u00e9\U0001F600";

inline CSmartPtr<CPerson> Ann() {
  CSmartPtr<CPerson> person = new CPerson;
  person->name = kName;
  person->id = L"7";
  return person;
}

// Reads with read into a new person and checks it came back whole.
template <class Read>
void ExpectReadsAnn(Read read) {
  CSmartPtr<CPerson> person = new CPerson;
  read(*person);
  EXPECT_EQ(person->name, kName);
  EXPECT_EQ(person->id, L"7");
}

class CPersonCol : public CXmlCollection {
 public:
  CPersonCol(int32_t minOccurs = 0, int32_t maxOccurs = -1)
      : CXmlCollection(L"person", L"urn:p", minOccurs, maxOccurs) {}
  using CXmlCollection::AddAfterItem, CXmlCollection::AddBeforeItem, CXmlCollection::AddItemAt,
      CXmlCollection::AppendItem, CXmlCollection::PrependItem;
  std::wstring Names() const {
    std::wstring names;
    for (CNode* node = GetFirstNode(); node; node = node->next) {
      names += static_cast<CPerson*>(node->item.Get())->name;
    }
    return names;
  }

 protected:
  void ToXml_Int(CXmlWriter*, bool, const wchar_t*, const CSerializationContext&,
                 bool) const override {}
  CXmlElement* FromXml_Int(CXmlElement*, CXmlElement* current, const CSerializationContext&,
                           bool) override {
    return current;
  }
};

// <v>1</v><v>2</v>... in urn:p.
inline CSmartPtr<Ci4Col> Ints(int32_t minOccurs = 0, int32_t maxOccurs = -1,
                              const wchar_t* minInclusive = nullptr) {
  return new Ci4Col(L"v", L"urn:p", minOccurs, maxOccurs, nullptr, -1, -1, minInclusive, nullptr,
                    nullptr, nullptr, -1, -1, -1, CWhitespaceUtils::ws_collapse, nullptr);
}
inline std::vector<int32_t> Values(const Ci4Col& col) { return {col.begin(), col.end()}; }

// The messages it was sent, and the sender and data of each.
struct RecordingSink : IEventSink {
  void OnEvent(CXmlObjectBase* sender, MsgType msg, void* data) override {
    messages.push_back(msg), senders.push_back(sender), data_.push_back(data);
  }
  std::vector<int> messages;
  std::vector<CXmlObjectBase*> senders;
  std::vector<void*> data_;
};

}  // namespace Korvel::testing
