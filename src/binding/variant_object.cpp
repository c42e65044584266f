// SPDX-License-Identifier: MIT
// KvVariant's object kinds, defined where the object classes are known.
#include "binding/variant_object.h"

#include <korvel/collection.h>

#include "runtime/variant_reference.h"

namespace Korvel {

void KvVariant::SetXmlObject(CXmlObjectBase* object) {
  detail::VariantAccess::SetReference(*this, it_xmlObject, detail::MakeReference(object));
}

void KvVariant::SetXmlCollection(CXmlCollectionBase* collection) {
  detail::VariantAccess::SetReference(*this, it_xmlCollection, detail::MakeReference(collection));
}

CSmartPtr<CXmlObjectBase> KvVariant::GetXmlObject() const {
  return detail::ReferencedObject<CXmlObjectBase>(
      detail::VariantAccess::GetReference(*this, it_xmlObject, "GetXmlObject"));
}

CSmartPtr<CXmlCollectionBase> KvVariant::GetXmlCollection() const {
  return detail::ReferencedObject<CXmlCollectionBase>(
      detail::VariantAccess::GetReference(*this, it_xmlCollection, "GetXmlCollection"));
}

void KvValueView::SetXmlObject(CXmlObjectBase* object) noexcept {
  detail::VariantAccess::BorrowReference(*this, it_xmlObject, object);
}

void KvValueView::SetXmlCollection(CXmlCollectionBase* collection) noexcept {
  detail::VariantAccess::BorrowReference(*this, it_xmlCollection, collection);
}

namespace detail {

CSmartPtr<CXmlObjectBase> VariantObject(const KvVariant& value) {
  return VariantObjectPointer(value);
}

CXmlObjectBase* VariantObjectPointer(const KvVariant& value) {
  if (!value.IsValid()) return nullptr;
  if (value.GetTypeAsEnum() == it_xmlCollection) {
    return ReferencedPointer<CXmlCollectionBase>(
        VariantAccess::GetReference(value, it_xmlCollection, "GetXmlCollection"));
  }
  return ReferencedPointer<CXmlObjectBase>(
      VariantAccess::GetReference(value, it_xmlObject, "GetXmlObject"));
}

CXmlCollectionBase* VariantCollectionPointer(const KvVariant& value) {
  if (value.IsValid() && value.GetTypeAsEnum() == it_xmlCollection) {
    return ReferencedPointer<CXmlCollectionBase>(
        VariantAccess::GetReference(value, it_xmlCollection, "GetXmlCollection"));
  }
  return dynamic_cast<CXmlCollectionBase*>(VariantObjectPointer(value));
}

}  // namespace detail

}  // namespace Korvel
