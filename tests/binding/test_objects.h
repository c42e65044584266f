// SPDX-License-Identifier: MIT
// Small hand-written bound classes for the binding tests: a person with an
// attribute and one child, a collection of persons, a collection of ints, and
// a sink that records what it hears.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <korvel/collection.h>
#include <korvel/conversions.h>
#include <korvel/errors.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

namespace Korvel::testing {

// <person id="..." xmlns="urn:p"><name>...</name></person>
class CPerson : public CXmlObjectBase {
 public:
  CPerson() {
    SetElementName(L"person");
    ++live;
  }
  CPerson(const CPerson& other) : CXmlObjectBase(other), name(other.name), id(other.id) { ++live; }
  CPerson& operator=(const CPerson&) = default;
  ~CPerson() override { --live; }

  CXmlObjectBase* GetBase() override { return this; }
  using CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return L"urn:p"; }
  int32_t RefCount() {
    AddRef();
    return Release();
  }

  // The protected helpers, for the tests.
  using CXmlObjectBase::Choice_CollectionChanged;
  using CXmlObjectBase::Choice_Read_Collection;
  using CXmlObjectBase::Choice_SelectElement;
  using CXmlObjectBase::Choice_SetElementValid;
  using CXmlObjectBase::DoesElementNameMatch;
  using CXmlObjectBase::GetElementName;
  using CXmlObjectBase::IsNamespaceValid;
  using CXmlObjectBase::SetElementName;
  using CXmlObjectBase::TestNamespace;
  using CXmlObjectBase::Throw_IfElementNameDiffers;
  using CXmlObjectBase::Throw_IfPropertyIsNull;

  static inline int live = 0;  // instances alive
  std::wstring name;
  std::wstring id;

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

class CPersonCol : public CXmlCollection {
 public:
  CPersonCol(int32_t minOccurs = 0, int32_t maxOccurs = -1)
      : CXmlCollection(L"person", L"urn:p", minOccurs, maxOccurs) {}
  CXmlObjectBase* GetBase() override { return this; }

  using CXmlCollection::AddAfterItem;
  using CXmlCollection::AddBeforeItem;
  using CXmlCollection::AddItemAt;
  using CXmlCollection::AppendItem;
  using CXmlCollection::PrependItem;
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
class CIntCol : public CXmlTypeCollection {
 public:
  CIntCol(int32_t minOccurs = 0, int32_t maxOccurs = -1)
      : CXmlTypeCollection(it_i4, L"v", L"urn:p", minOccurs, maxOccurs, nullptr, -1, -1, nullptr,
                           nullptr, nullptr, nullptr, -1, -1, -1, CWhitespaceUtils::ws_collapse,
                           nullptr) {}
  CXmlObjectBase* GetBase() override { return this; }
  int32_t GetCount() const override { return static_cast<int32_t>(values.size()); }
  void Clear() override { values.clear(); }
  void Remove(int32_t index) override { values.erase(values.begin() + index); }

  std::vector<int32_t> values;

 protected:
  void ToXml_Int(CXmlWriter*, bool, const wchar_t*, const CSerializationContext&,
                 bool) const override {}
  void AddFromString(const std::wstring& text) override {
    values.push_back(CConversions::i4FromString(text, GetWhitespaceRule()));
  }
};

inline int32_t RefCount(CXmlObjectBase* object) {
  object->AddRef();
  return object->Release();
}

// Records (sender, message, data) of every event.
struct RecordingSink : IEventSink {
  struct Event {
    CXmlObjectBase* sender;
    MsgType msg;
    void* data;
  };
  void OnEvent(CXmlObjectBase* sender, MsgType msg, void* data) override {
    events.push_back({sender, msg, data});
  }
  std::vector<int> Messages() const {
    std::vector<int> messages;
    for (const Event& e : events) messages.push_back(e.msg);
    return messages;
  }
  std::vector<Event> events;
};

}  // namespace Korvel::testing
