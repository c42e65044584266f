// SPDX-License-Identifier: MIT
// The object a KvVariant of either object kind holds, for the metadata, which
// reads child objects and collections alike.
#pragma once

#include <korvel/object_base.h>
#include <korvel/smart_ptr.h>
#include <korvel/variant.h>

namespace Korvel::detail {

// A new reference to the object of an it_xmlObject or it_xmlCollection
// carrier; null for an empty carrier or a stored null. Any other kind, or a
// nil carrier, throws CKvInvalidStateException as GetXmlObject does.
CSmartPtr<CXmlObjectBase> VariantObject(const KvVariant& value);
// The same object without taking a reference: valid while the carrier holds it.
CXmlObjectBase* VariantObjectPointer(const KvVariant& value);
// The object as a collection, without taking a reference: an it_xmlCollection
// carrier says so itself; another object is asked. Null when it is none.
CXmlCollectionBase* VariantCollectionPointer(const KvVariant& value);

}  // namespace Korvel::detail
