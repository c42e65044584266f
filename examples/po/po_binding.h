// SPDX-License-Identifier: MIT
// The binding of po.xsd (the purchase order, no target namespace), written by
// hand exactly as the schema compiler emits it: one class per complex type,
// a collection class for the repeated item element, and a class factory.
#pragma once

#include <optional>
#include <string>

#include <korvel/big_integer.h>
#include <korvel/class_factory.h>
#include <korvel/collection.h>
#include <korvel/date_time.h>
#include <korvel/decimal.h>
#include <korvel/element_infos.h>
#include <korvel/generated_class.h>
#include <korvel/smart_ptr.h>

namespace Po {

// Class ids handed to the factory by the element descriptions.
enum ClassId : int {
  ClassId_PurchaseOrderType = 0,
  ClassId_USAddress = 1,
  ClassId_Items = 2,
  ClassId_Item = 3,
};

// Creates the class classId names, for an element called elementName.
class CClassFactory : public Korvel::CClassfactoryBase {
 public:
  static CSmartPtr<Korvel::CXmlObjectBase> CreateClass(int classId, const wchar_t* elementName);
};

// complexType USAddress.
class CUSAddress : public Korvel::CXmlGeneratedClass {
 public:
  explicit CUSAddress(const wchar_t* elementName = L"USAddress");

  const std::wstring& GetName() const { return m_name; }
  void SetName(const std::wstring& value) { m_name = value; }
  const std::wstring& GetStreet() const { return m_street; }
  void SetStreet(const std::wstring& value) { m_street = value; }
  const std::wstring& GetCity() const { return m_city; }
  void SetCity(const std::wstring& value) { m_city = value; }
  const std::wstring& GetState() const { return m_state; }
  void SetState(const std::wstring& value) { m_state = value; }
  const Korvel::CDecimal& GetZip() const { return m_zip; }
  void SetZip(const Korvel::CDecimal& value) { m_zip = value; }
  // Attribute country, fixed "US".
  const std::wstring& GetCountry() const { return m_country; }

  void AccessProperty(int propertyIndex, bool get, Korvel::KvVariant& value) override;
  bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) const override;
  KorvelData::CParentElementInfo* GetClassInfo() const override;
  KorvelData::CElementInfo** GetClassElementInfo() const override;
  KorvelData::CAttributeInfo** GetClassAttributeInfo() const override;
  void Init() override;
  Korvel::CXmlObjectBase* GetBase() override { return this; }
  using Korvel::CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return L""; }

 protected:
  std::wstring GetTargetNamespace() const override { return L""; }

 private:
  struct MetaData;
  static const MetaData& GetMetaData();
  enum Property {
    Property_Name,
    Property_Street,
    Property_City,
    Property_State,
    Property_Zip,
    Property_Country
  };

  std::wstring m_name;
  std::wstring m_street;
  std::wstring m_city;
  std::wstring m_state;
  Korvel::CDecimal m_zip;
  std::wstring m_country;
};

// The anonymous complexType of element item.
class CItem : public Korvel::CXmlGeneratedClass {
 public:
  explicit CItem(const wchar_t* elementName = L"item");

  const std::wstring& GetProductName() const { return m_productName; }
  void SetProductName(const std::wstring& value) { m_productName = value; }
  // positiveInteger below 100.
  const Korvel::CBigInteger& GetQuantity() const { return m_quantity; }
  void SetQuantity(const Korvel::CBigInteger& value) { m_quantity = value; }
  const Korvel::CDecimal& GetUSPrice() const { return m_usPrice; }
  void SetUSPrice(const Korvel::CDecimal& value) { m_usPrice = value; }
  const std::optional<std::wstring>& GetComment() const { return m_comment; }
  void SetComment(std::optional<std::wstring> value) { m_comment = std::move(value); }
  const std::optional<Korvel::CDateTime>& GetShipDate() const { return m_shipDate; }
  void SetShipDate(std::optional<Korvel::CDateTime> value) { m_shipDate = std::move(value); }
  // Attribute partNum, required, SKU (\d{3}-[A-Z]{2}).
  const std::wstring& GetPartNum() const { return m_partNum; }
  void SetPartNum(const std::wstring& value) { m_partNum = value; }

  void AccessProperty(int propertyIndex, bool get, Korvel::KvVariant& value) override;
  bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) const override;
  KorvelData::CParentElementInfo* GetClassInfo() const override;
  KorvelData::CElementInfo** GetClassElementInfo() const override;
  KorvelData::CAttributeInfo** GetClassAttributeInfo() const override;
  void Init() override;
  Korvel::CXmlObjectBase* GetBase() override { return this; }
  using Korvel::CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return L""; }

 protected:
  std::wstring GetTargetNamespace() const override { return L""; }

 private:
  struct MetaData;
  static const MetaData& GetMetaData();
  enum Property {
    Property_ProductName,
    Property_Quantity,
    Property_USPrice,
    Property_Comment,
    Property_ShipDate,
    Property_PartNum
  };

  std::wstring m_productName;
  Korvel::CBigInteger m_quantity;
  Korvel::CDecimal m_usPrice;
  std::optional<std::wstring> m_comment;
  std::optional<Korvel::CDateTime> m_shipDate;
  std::wstring m_partNum;
};

// The item elements of Items: minOccurs 0, maxOccurs unbounded.
class CItemCol : public Korvel::CXmlCollection {
 public:
  CItemCol();

  // The items' namespace, kept here rather than copied into every collection.
  std::wstring GetNamespace() const override { return L""; }
  CSmartPtr<CItem> GetAt(int32_t index) const;
  void Add(CItem* item) { AppendItem(item); }
  // A new item, appended.
  CSmartPtr<CItem> AddNew();

 protected:
  using Korvel::CXmlObjectBase::FromXml_Int;
  using Korvel::CXmlObjectBase::ToXml_Int;
  void ToXml_Int(Korvel::CXmlWriter* writer, bool isRoot, const wchar_t* ns,
                 const Korvel::CSerializationContext& context, bool isOptional) const override;
  Korvel::CXmlElement* FromXml_Int(Korvel::CXmlElement* element, Korvel::CXmlElement* current,
                                   const Korvel::CSerializationContext& context,
                                   bool isOptional) override;
};

// complexType Items.
class CItems : public Korvel::CXmlGeneratedClass {
 public:
  explicit CItems(const wchar_t* elementName = L"Items");

  // Made on first use.
  CItemCol& GetItem() const;

  void AccessProperty(int propertyIndex, bool get, Korvel::KvVariant& value) override;
  bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) const override;
  bool StoreObjectProperty(int propertyIndex, Korvel::CXmlObjectBase* object) override;
  KorvelData::CParentElementInfo* GetClassInfo() const override;
  KorvelData::CElementInfo** GetClassElementInfo() const override;
  KorvelData::CAttributeInfo** GetClassAttributeInfo() const override;
  void Init() override;
  Korvel::CXmlObjectBase* GetBase() override { return this; }
  using Korvel::CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return L""; }

 protected:
  std::wstring GetTargetNamespace() const override { return L""; }
  CSmartPtr<Korvel::CXmlCollectionBase> PeekCollection(int propertyIndex) const override;
  Korvel::CXmlCollectionBase* MakeCollection(int propertyIndex) const override;

 private:
  struct MetaData;
  static const MetaData& GetMetaData();
  enum Property { Property_Item };

  mutable CSmartPtr<CItemCol> m_item;
};

// complexType PurchaseOrderType, also the class of the global element purchaseOrder.
class CPurchaseOrderType : public Korvel::CXmlGeneratedClass {
 public:
  explicit CPurchaseOrderType(const wchar_t* elementName = L"purchaseOrder");

  CUSAddress& GetShipTo() const { return *m_shipTo; }
  CUSAddress& GetBillTo() const { return *m_billTo; }
  const std::optional<std::wstring>& GetComment() const { return m_comment; }
  void SetComment(std::optional<std::wstring> value) { m_comment = std::move(value); }
  CItems& GetItems() const { return *m_items; }
  const std::optional<Korvel::CDateTime>& GetOrderDate() const { return m_orderDate; }
  void SetOrderDate(std::optional<Korvel::CDateTime> value) { m_orderDate = std::move(value); }

  void AccessProperty(int propertyIndex, bool get, Korvel::KvVariant& value) override;
  bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) const override;
  bool StoreObjectProperty(int propertyIndex, Korvel::CXmlObjectBase* object) override;
  KorvelData::CParentElementInfo* GetClassInfo() const override;
  KorvelData::CElementInfo** GetClassElementInfo() const override;
  KorvelData::CAttributeInfo** GetClassAttributeInfo() const override;
  void Init() override;
  Korvel::CXmlObjectBase* GetBase() override { return this; }
  using Korvel::CXmlObjectBase::GetBase;
  std::wstring GetNamespace() const override { return L""; }

 protected:
  std::wstring GetTargetNamespace() const override { return L""; }

 private:
  struct MetaData;
  static const MetaData& GetMetaData();
  enum Property {
    Property_ShipTo,
    Property_BillTo,
    Property_Comment,
    Property_Items,
    Property_OrderDate
  };

  CSmartPtr<CUSAddress> m_shipTo;
  CSmartPtr<CUSAddress> m_billTo;
  std::optional<std::wstring> m_comment;
  CSmartPtr<CItems> m_items;
  std::optional<Korvel::CDateTime> m_orderDate;
};

}  // namespace Po
