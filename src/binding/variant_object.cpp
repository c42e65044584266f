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

namespace detail {

CSmartPtr<CXmlObjectBase> VariantObject(const KvVariant& value) {
  if (!value.IsValid()) return nullptr;
  if (value.GetTypeAsEnum() == it_xmlCollection) return value.GetXmlCollection();
  return value.GetXmlObject();
}

}  // namespace detail

}  // namespace Korvel
