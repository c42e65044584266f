// SPDX-License-Identifier: MIT
// The choice bookkeeping of generated classes: which one member of a choice is set.
#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/object_base.h>

#include "binding/messages.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowAlreadySet(const wchar_t* format, const std::wstring& selected) {
  throw CKvInvalidStateException(FormatString(format, selected.c_str()));
}

// Shared by object and collection members: `present` is a non-null value or a
// non-zero count, `claims` whether an empty selection goes to name.
void Select(const wchar_t* name, bool present, bool claims, std::wstring& selected) {
  const wchar_t* member = name ? name : L"";
  if (selected == member) {
    if (!present) selected.clear();
  } else if (selected.empty()) {
    if (claims) selected = member;
  } else if (present) {
    ThrowAlreadySet(detail::kChoiceMemberAlreadySet, selected);
  }
}

}  // namespace

void CXmlObjectBase::Choice_SelectElement(const wchar_t* name, CXmlObjectBase* value,
                                          std::wstring& selected) {
  Select(name, value != nullptr, true, selected);
}

void CXmlObjectBase::Choice_CollectionChanged(const wchar_t* name, int32_t count,
                                              std::wstring& selected) {
  Select(name, count != 0, count >= 1, selected);
}

void CXmlObjectBase::Choice_SetElementValid(bool valid, const wchar_t* name,
                                            std::wstring& selected) {
  const wchar_t* member = name ? name : L"";
  if (!valid) {
    if (selected == member) selected.clear();
    return;
  }
  if (!selected.empty() && selected != member) {
    ThrowAlreadySet(detail::kChoicePrimitiveAlreadySet, selected);
  }
  selected = member;
}

void CXmlObjectBase::Choice_Read_Collection(CXmlCollectionBase* collection, CXmlElement* parent,
                                            CXmlElement*& current, int32_t& count,
                                            const CSerializationContext& context) {
  if (count >= 1) return;
  CXmlElement* next = FromXml_Int(collection, parent, current, context);
  if (next == current) return;
  current = next;
  collection->ValidateCount(context);
  ++count;
}

}  // namespace Korvel
