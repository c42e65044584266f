// SPDX-License-Identifier: MIT
// The purchase-order binding: metadata tables, property accessors, Init and
// the class factory of each class generated from po.xsd.
#include "po_binding.h"

#include <korvel/critical_section.h>
#include <korvel/errors.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

namespace Po {

using namespace Korvel;
using namespace KorvelData;

namespace {

constexpr auto kPreserve = CWhitespaceUtils::ws_preserve;
constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Property helpers shared by the generated accessors.
// Carrier is the KvVariant of AccessProperty or the CMemberView of ViewMember.
template <class T, class Carrier, class Set>
void GetOptional(const std::optional<T>& field, Carrier& value, Set set) {
  if (field) {
    set(value, *field);
  } else {
    value.SetInvalid();
  }
}

bool HasValue(const KvVariant& value) { return value.IsValid() && !value.IsNil(); }

}  // namespace

// The metadata of one class, built on first use under m_csInit and released at exit.
#define PO_METADATA_STRUCT(Class)                                                         \
  struct Class::MetaData {                                                                \
    MetaData();                                                                           \
    ~MetaData() {                                                                         \
      CKVCriticalSectionLock lock(m_csInit);                                              \
      CleanMetaData(classInfo, elementInfo, attributeInfo);                               \
    }                                                                                     \
    CParentElementInfo* classInfo = nullptr;                                              \
    CElementInfo** elementInfo = nullptr;                                                 \
    CAttributeInfo** attributeInfo = nullptr;                                             \
  };                                                                                      \
  const Class::MetaData& Class::GetMetaData() {                                           \
    static const MetaData metaData;                                                       \
    return metaData;                                                                      \
  }                                                                                       \
  CParentElementInfo* Class::GetClassInfo() const { return GetMetaData().classInfo; }     \
  CElementInfo** Class::GetClassElementInfo() const { return GetMetaData().elementInfo; } \
  CAttributeInfo** Class::GetClassAttributeInfo() const { return GetMetaData().attributeInfo; }

// CClassFactory.

CSmartPtr<CXmlObjectBase> CClassFactory::CreateClass(int classId, const wchar_t* elementName) {
  switch (classId) {
    case ClassId_PurchaseOrderType:
      return new CPurchaseOrderType(elementName);
    case ClassId_USAddress:
      return new CUSAddress(elementName);
    case ClassId_Items:
      return new CItems(elementName);
    case ClassId_Item:
      return new CItem(elementName);
    default:
      throw CKvInvalidParamException(FormatString(L"Unknown class id %d", classId));
  }
}

// CUSAddress.

PO_METADATA_STRUCT(CUSAddress)

CUSAddress::MetaData::MetaData() {
  CKVCriticalSectionLock lock(m_csInit);
  const CPrimitiveRestrictions none;
  elementInfo = new CElementInfo* [6] {
    new CElementInfoSeqPrimMnd(L"name", L"", Property_Name, false, it_string, nullptr, kPreserve,
                               none, nullptr),
        new CElementInfoSeqPrimMnd(L"street", L"", Property_Street, false, it_string, nullptr,
                                   kPreserve, none, nullptr),
        new CElementInfoSeqPrimMnd(L"city", L"", Property_City, false, it_string, nullptr,
                                   kPreserve, none, nullptr),
        new CElementInfoSeqPrimMnd(L"state", L"", Property_State, false, it_string, nullptr,
                                   kPreserve, none, nullptr),
        new CElementInfoSeqPrimMnd(L"zip", L"", Property_Zip, false, it_decimal, nullptr, kCollapse,
                                   none, nullptr),
        nullptr
  };
  attributeInfo = new CAttributeInfo* [2] {
    new CAttributeInfoPrimitive(L"country", L"", Property_Country, true, it_string, nullptr,
                                kCollapse, none, L"US"),
        nullptr
  };
  classInfo = new CParentElementInfo(XmlElementGroupType_Sequence, XmlElementType_Element,
                                     L"USAddress", L"", true, false, -1, it_none, nullptr, false);
}

CUSAddress::CUSAddress(const wchar_t* elementName) {
  // Objects share their element name with the class instead of copying it.
  static const std::wstring kElementNames[] = {L"USAddress", L"shipTo", L"billTo"};
  SetElementName(elementName, kElementNames);
  Init();
}

void CUSAddress::Init() {
  m_name.clear();
  m_street.clear();
  m_city.clear();
  m_state.clear();
  m_zip = CDecimal();
  m_country = L"US";
}

void CUSAddress::AccessProperty(int propertyIndex, bool get, KvVariant& value) {
  switch (propertyIndex) {
    case Property_Name:
      return get ? value.SetString(m_name) : void(m_name = value.GetString());
    case Property_Street:
      return get ? value.SetString(m_street) : void(m_street = value.GetString());
    case Property_City:
      return get ? value.SetString(m_city) : void(m_city = value.GetString());
    case Property_State:
      return get ? value.SetString(m_state) : void(m_state = value.GetString());
    case Property_Zip:
      return get ? value.SetDecimal(m_zip) : void(m_zip = value.GetDecimal());
    case Property_Country:
      return get ? value.SetString(m_country) : void(m_country = value.GetString());
    default:
      throw CKvInvalidParamException(FormatString(L"Unknown property %d", propertyIndex));
  }
}

bool CUSAddress::ViewMember(int propertyIndex, KorvelData::CMemberView& member) const {
  switch (propertyIndex) {
    case Property_Name:
      member.SetString(m_name);
      return true;
    case Property_Street:
      member.SetString(m_street);
      return true;
    case Property_City:
      member.SetString(m_city);
      return true;
    case Property_State:
      member.SetString(m_state);
      return true;
    case Property_Zip:
      member.SetDecimal(m_zip);
      return true;
    case Property_Country:
      member.SetString(m_country);
      return true;
    default:
      return false;
  }
}

// CItem.

PO_METADATA_STRUCT(CItem)

CItem::MetaData::MetaData() {
  CKVCriticalSectionLock lock(m_csInit);
  const CPrimitiveRestrictions none;
  // positiveInteger, maxExclusive 100.
  const CPrimitiveRestrictions quantity(nullptr, -1, -1, L"1", nullptr, nullptr, L"100", -1, -1,
                                        -1);
  // SKU.
  const CPrimitiveRestrictions sku(L"\\d{3}-[A-Z]{2}", -1, -1, nullptr, nullptr, nullptr, nullptr,
                                   -1, -1, -1);
  elementInfo = new CElementInfo* [6] {
    new CElementInfoSeqPrimMnd(L"productName", L"", Property_ProductName, false, it_string, nullptr,
                               kPreserve, none, nullptr),
        new CElementInfoSeqPrimMnd(L"quantity", L"", Property_Quantity, false, it_integer, nullptr,
                                   kCollapse, quantity, nullptr),
        new CElementInfoSeqPrimMnd(L"USPrice", L"", Property_USPrice, false, it_decimal, nullptr,
                                   kCollapse, none, nullptr),
        new CElementInfoSeqPrimOpt(L"comment", L"", Property_Comment, false, it_string, nullptr,
                                   kPreserve, none, nullptr),
        new CElementInfoSeqPrimOpt(L"shipDate", L"", Property_ShipDate, false, it_date, nullptr,
                                   kCollapse, none, nullptr),
        nullptr
  };
  attributeInfo = new CAttributeInfo* [2] {
    new CAttributeInfoPrimitive(L"partNum", L"", Property_PartNum, false, it_string, nullptr,
                                kPreserve, sku, nullptr),
        nullptr
  };
  classInfo = new CParentElementInfo(XmlElementGroupType_Sequence, XmlElementType_Element, L"item",
                                     L"", true, false, -1, it_none, nullptr, false);
}

CItem::CItem(const wchar_t* elementName) {
  // Objects share their element name with the class instead of copying it.
  static const std::wstring kElementNames[] = {L"item"};
  SetElementName(elementName, kElementNames);
  Init();
}

void CItem::Init() {
  m_productName.clear();
  m_quantity = CBigInteger();
  m_usPrice = CDecimal();
  m_comment.reset();
  m_shipDate.reset();
  m_partNum.clear();
}

void CItem::AccessProperty(int propertyIndex, bool get, KvVariant& value) {
  switch (propertyIndex) {
    case Property_ProductName:
      return get ? value.SetString(m_productName) : void(m_productName = value.GetString());
    case Property_Quantity:
      return get ? value.SetInteger(m_quantity) : void(m_quantity = value.GetInteger());
    case Property_USPrice:
      return get ? value.SetDecimal(m_usPrice) : void(m_usPrice = value.GetDecimal());
    case Property_Comment:
      if (get) return GetOptional(m_comment, value, [](KvVariant& v, auto& f) { v.SetString(f); });
      return HasValue(value) ? void(m_comment = value.GetString()) : m_comment.reset();
    case Property_ShipDate:
      if (get) return GetOptional(m_shipDate, value, [](KvVariant& v, auto& f) { v.SetDate(f); });
      return HasValue(value) ? void(m_shipDate = value.GetDate()) : m_shipDate.reset();
    case Property_PartNum:
      return get ? value.SetString(m_partNum) : void(m_partNum = value.GetString());
    default:
      throw CKvInvalidParamException(FormatString(L"Unknown property %d", propertyIndex));
  }
}

bool CItem::ViewMember(int propertyIndex, KorvelData::CMemberView& member) const {
  switch (propertyIndex) {
    case Property_ProductName:
      member.SetString(m_productName);
      return true;
    case Property_Quantity:
      member.SetInteger(m_quantity);
      return true;
    case Property_USPrice:
      member.SetDecimal(m_usPrice);
      return true;
    case Property_Comment:
      GetOptional(m_comment, member, [](CMemberView& v, auto& f) { v.SetString(f); });
      return true;
    case Property_ShipDate:
      GetOptional(m_shipDate, member, [](CMemberView& v, auto& f) { v.SetDate(f); });
      return true;
    case Property_PartNum:
      member.SetString(m_partNum);
      return true;
    default:
      return false;
  }
}

// CItemCol.

CItemCol::CItemCol() : CXmlCollection(nullptr, nullptr, 0, -1) {
  static const std::wstring kElementName(L"item");
  SetElementName(kElementName.c_str(), kElementName);
}

CSmartPtr<CItem> CItemCol::GetAt(int32_t index) const {
  return static_cast<CItem*>(GetNodeAtIndex(index)->item.Get());
}

CSmartPtr<CItem> CItemCol::AddNew() {
  CSmartPtr<CItem> item = new CItem(L"item");
  AppendItem(item);
  return item;
}

void CItemCol::ToXml_Int(CXmlWriter* writer, bool, const wchar_t* ns,
                         const CSerializationContext& context, bool) const {
  ItemsToXml_Int(writer, ns, context);
}

CXmlElement* CItemCol::FromXml_Int(CXmlElement*, CXmlElement* current,
                                   const CSerializationContext& context, bool) {
  while (current && DoesElementNameMatch(context, current, L"item", L"")) {
    CSmartPtr<CItem> item = new CItem(L"item");
    FromXmlNew_Int(item, current, current->GetFirstElement(), context);
    AppendItem(item);
    current = current->GetNextSiblingElement();
  }
  return current;
}

// CItems.

PO_METADATA_STRUCT(CItems)

CItems::MetaData::MetaData() {
  CKVCriticalSectionLock lock(m_csInit);
  elementInfo = new CElementInfo* [2] {
    new CElementInfoSeqClsCol(L"item", L"", Property_Item, XmlElementType_Element), nullptr
  };
  attributeInfo = new CAttributeInfo* [1] { nullptr };
  classInfo = new CParentElementInfo(XmlElementGroupType_Sequence, XmlElementType_Element, L"Items",
                                     L"", true, false, -1, it_none, nullptr, false);
}

CItems::CItems(const wchar_t* elementName) {
  static const std::wstring kElementNames[] = {L"Items", L"items"};
  SetElementName(elementName, kElementNames);
}

void CItems::Init() {
  if (m_item) m_item->Clear();
}

CItemCol& CItems::GetItem() const {
  if (!m_item) m_item = new CItemCol;
  return *m_item;
}

CSmartPtr<CXmlCollectionBase> CItems::PeekCollection(int propertyIndex) const {
  switch (propertyIndex) {
    case Property_Item:
      return m_item.Get();
    default:
      return CXmlGeneratedClass::PeekCollection(propertyIndex);
  }
}

CXmlCollectionBase* CItems::MakeCollection(int propertyIndex) const {
  switch (propertyIndex) {
    case Property_Item:
      return &GetItem();
    default:
      return CXmlGeneratedClass::MakeCollection(propertyIndex);
  }
}

void CItems::AccessProperty(int propertyIndex, bool get, KvVariant& value) {
  switch (propertyIndex) {
    case Property_Item:
      if (get) return value.SetXmlCollection(&GetItem());
      CItems::StoreObjectProperty(propertyIndex, value.GetXmlCollection());
      return;
    default:
      throw CKvInvalidParamException(FormatString(L"Unknown property %d", propertyIndex));
  }
}

bool CItems::StoreObjectProperty(int propertyIndex, CXmlObjectBase* object) {
  switch (propertyIndex) {
    case Property_Item:
      // Null lets the collection go, to be made again on first use.
      if (!object) {
        m_item = nullptr;
      } else if (auto* typed = dynamic_cast<CItemCol*>(object)) {
        m_item = typed;
      }
      return true;
    default:
      return CXmlGeneratedClass::StoreObjectProperty(propertyIndex, object);
  }
}

bool CItems::ViewMember(int propertyIndex, KorvelData::CMemberView& member) const {
  return propertyIndex == Property_Item && member.Set(m_item.Get());
}

// CPurchaseOrderType.

PO_METADATA_STRUCT(CPurchaseOrderType)

CPurchaseOrderType::MetaData::MetaData() {
  CKVCriticalSectionLock lock(m_csInit);
  const ClassFactory factory = &CClassFactory::CreateClass;
  elementInfo = new CElementInfo* [5] {
    new CElementInfoSeqClsMnd(L"shipTo", L"", Property_ShipTo, XmlElementType_Element, factory,
                              ClassId_USAddress, true),
        new CElementInfoSeqClsMnd(L"billTo", L"", Property_BillTo, XmlElementType_Element, factory,
                                  ClassId_USAddress, true),
        new CElementInfoSeqPrimOpt(L"comment", L"", Property_Comment, false, it_string, nullptr,
                                   kPreserve, CPrimitiveRestrictions(), nullptr),
        new CElementInfoSeqClsMnd(L"items", L"", Property_Items, XmlElementType_Element, factory,
                                  ClassId_Items, false),
        nullptr
  };
  attributeInfo = new CAttributeInfo* [2] {
    new CAttributeInfoPrimitive(L"orderDate", L"", Property_OrderDate, true, it_date, nullptr,
                                kCollapse, CPrimitiveRestrictions(), nullptr),
        nullptr
  };
  classInfo =
      new CParentElementInfo(XmlElementGroupType_Sequence, XmlElementType_Element,
                             L"PurchaseOrderType", L"", true, false, -1, it_none, nullptr, false);
}

CPurchaseOrderType::CPurchaseOrderType(const wchar_t* elementName) {
  // Objects share their element name with the class instead of copying it.
  static const std::wstring kElementNames[] = {L"purchaseOrder"};
  SetElementName(elementName, kElementNames);
  Init();
}

void CPurchaseOrderType::Init() {
  m_shipTo = new CUSAddress(L"shipTo");
  m_billTo = new CUSAddress(L"billTo");
  m_comment.reset();
  m_items = new CItems(L"items");
  m_orderDate.reset();
}

void CPurchaseOrderType::AccessProperty(int propertyIndex, bool get, KvVariant& value) {
  switch (propertyIndex) {
    case Property_ShipTo:
      if (get) return value.SetXmlObject(m_shipTo);
      CPurchaseOrderType::StoreObjectProperty(propertyIndex, value.GetXmlObject());
      return;
    case Property_BillTo:
      if (get) return value.SetXmlObject(m_billTo);
      CPurchaseOrderType::StoreObjectProperty(propertyIndex, value.GetXmlObject());
      return;
    case Property_Comment:
      if (get) return GetOptional(m_comment, value, [](KvVariant& v, auto& f) { v.SetString(f); });
      return HasValue(value) ? void(m_comment = value.GetString()) : m_comment.reset();
    case Property_Items:
      if (get) return value.SetXmlObject(m_items);
      CPurchaseOrderType::StoreObjectProperty(propertyIndex, value.GetXmlObject());
      return;
    case Property_OrderDate:
      if (get) return GetOptional(m_orderDate, value, [](KvVariant& v, auto& f) { v.SetDate(f); });
      return HasValue(value) ? void(m_orderDate = value.GetDate()) : m_orderDate.reset();
    default:
      throw CKvInvalidParamException(FormatString(L"Unknown property %d", propertyIndex));
  }
}

bool CPurchaseOrderType::StoreObjectProperty(int propertyIndex, CXmlObjectBase* object) {
  switch (propertyIndex) {
    case Property_ShipTo:
      m_shipTo = dynamic_cast<CUSAddress*>(object);
      return true;
    case Property_BillTo:
      m_billTo = dynamic_cast<CUSAddress*>(object);
      return true;
    case Property_Items:
      m_items = dynamic_cast<CItems*>(object);
      return true;
    default:
      return CXmlGeneratedClass::StoreObjectProperty(propertyIndex, object);
  }
}

bool CPurchaseOrderType::ViewMember(int propertyIndex, KorvelData::CMemberView& member) const {
  switch (propertyIndex) {
    case Property_ShipTo:
      return member.Set(m_shipTo.Get());
    case Property_BillTo:
      return member.Set(m_billTo.Get());
    case Property_Comment:
      GetOptional(m_comment, member, [](CMemberView& v, auto& f) { v.SetString(f); });
      return true;
    case Property_Items:
      return member.Set(m_items.Get());
    case Property_OrderDate:
      GetOptional(m_orderDate, member, [](CMemberView& v, auto& f) { v.SetDate(f); });
      return true;
    default:
      return false;
  }
}

}  // namespace Po
