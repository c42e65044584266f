// SPDX-License-Identifier: MIT
// CXmlObjectBase, the root of every bound object, with the entry points that
// write it as XML, JSON or Fast Infoset and read it back; IEventSink, through
// which owners observe their collections.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>
#include <korvel/export.h>
#include <korvel/fi_declaration.h>
#include <korvel/xml_encoding.h>

namespace KorvelData {
class CAttributeInfo;
class CElementInfo;
}  // namespace KorvelData

namespace Korvel {

class CElement;
class CSerializationContext;
class CTextStream;
class CXmlCollectionBase;
class CXmlDocument;
class CXmlElement;
class CXmlObjectBase;
class CXmlWriter;

namespace detail {
class JsonInput;
}  // namespace detail

// Receives the change notifications of the collections it listens to.
class KORVEL_API IEventSink {
 public:
  enum MsgType : int32_t {
    MsgType_CollectionChange = 0,          // after an insertion or removal; data null
    MsgType_CollectionAdd = 1,             // before an insertion; data the item
    MsgType_CollectionAddComplete = 2,     // after an insertion; data the item
    MsgType_CollectionRemove = 3,          // before a removal; data the index or null
    MsgType_CollectionRemoveComplete = 4,  // after a removal; data as for the removal
  };

  virtual ~IEventSink();
  // sender is the collection that changed (its GetBase()).
  virtual void OnEvent(CXmlObjectBase* sender, MsgType msg, void* data) = 0;
};

// What every bound object shares: its element name and an intrusive reference
// count (objects are held through CSmartPtr and delete themselves on the last
// Release). The public entry points set up a writer or a document and hand
// over to the object's ToXml_Int / FromXml_Int; the protected helpers are for
// generated property setters, collections and the class metadata.
//
// Subclasses that override GetBase() hide the const overload below; they bring
// it back with `using CXmlObjectBase::GetBase;`.
class KORVEL_API CXmlObjectBase : public IEventSink {
 public:
  CXmlObjectBase();
  // Copies carry the element name only: a copy starts unreferenced, and
  // assignment keeps the target's reference count.
  CXmlObjectBase(const CXmlObjectBase& other);
  CXmlObjectBase& operator=(const CXmlObjectBase& other);
  ~CXmlObjectBase() override;

  // Atomic; both return the new count. Release deletes the object at 0.
  int32_t AddRef();
  int32_t Release();

  // The object itself (implementations return this).
  virtual CXmlObjectBase* GetBase() = 0;
  const CXmlObjectBase* GetBase() const;
  // The namespace URI of the object's element.
  virtual std::wstring GetNamespace() const = 0;

  // Writing XML text. The object is the root element, in its target namespace.
  // ToXml returns the text; ToXmlStream the bytes in encoding (no byte-order
  // mark), deflated afterwards in the framing compression names; ToXmlFile
  // writes a file (UTF-16 files start FF FE; a gzip file holds the whole of
  // that, mark included). ToXmlFile refuses ct_zlib before touching the file.
  virtual std::wstring ToXml(bool includeDocHeader, bool formatted, EOLType eol,
                             const CSerializationContext& context) const;
  virtual CBinaryData ToXmlStream(bool includeDocHeader, bool formatted, XmlEncoding encoding,
                                  EOLType eol, const CSerializationContext& context,
                                  CompressionType compression) const;
  virtual void ToXmlFile(const wchar_t* path, bool includeDocHeader, bool formatted,
                         XmlEncoding encoding, EOLType eol, const CSerializationContext& context,
                         CompressionType compression) const;

  // Writing JSON.
  virtual std::wstring ToJson(bool formatted, EOLType eol,
                              const CSerializationContext& context) const;
  virtual CBinaryData ToJsonStream(bool formatted, XmlEncoding encoding, EOLType eol,
                                   const CSerializationContext& context,
                                   CompressionType compression) const;
  virtual void ToJsonFile(const wchar_t* path, bool formatted, XmlEncoding encoding, EOLType eol,
                          const CSerializationContext& context, CompressionType compression) const;

  // Writing Fast Infoset.
  virtual CBinaryData ToFastInfosetStream(FInfoDecl declaration,
                                          const CSerializationContext& context,
                                          CompressionType compression) const;
  virtual void ToFastInfosetFile(const wchar_t* path, FInfoDecl declaration,
                                 const CSerializationContext& context,
                                 CompressionType compression) const;

  // Reading XML text, replacing the object's content. Byte input (narrow text,
  // streams, files) may be gzip or zlib compressed; wide text is read as the
  // characters it holds, whatever its declaration names. Load errors pass
  // through unchanged.
  virtual void FromXml(const wchar_t* xml, const CSerializationContext& context);
  virtual void FromXml(const char* xml, const CSerializationContext& context);
  virtual void FromXmlFile(const wchar_t* path, const CSerializationContext& context);
  virtual void FromXmlStream(const CBinaryData& data, const CSerializationContext& context);
  virtual void FromXmlStream(const unsigned char* data, size_t length,
                             const CSerializationContext& context);
  // From an element of a document already loaded.
  virtual void FromXmlElement(const CXmlElement* element, const CSerializationContext& context);
  // From untyped content, by way of its text.
  virtual void FromXmlElement(const CElement* element, const CSerializationContext& context);

  // Reading JSON.
  virtual void FromJson(const wchar_t* json, const CSerializationContext& context);
  virtual void FromJson(const char* json, const CSerializationContext& context);
  virtual void FromJsonFile(const wchar_t* path, const CSerializationContext& context);
  virtual void FromJsonStream(const CBinaryData& data, const CSerializationContext& context);
  virtual void FromJsonStream(const unsigned char* data, size_t length,
                              const CSerializationContext& context);

  // UTF-8 and std::filesystem forms of the entry points above, to which they
  // forward. Text and file names must be UTF-8, or CKvInvalidParamException
  // names the first bad byte. ToXmlUtf8 and ToJsonUtf8 give the uncompressed
  // XmlEncoding_UTF8 stream, so a declaration names UTF-8; FromXml reads the
  // text as UTF-8 whatever its declaration says. A std::wstring file name has
  // an overload of its own, as std::filesystem::path would convert it by the
  // process locale.
  std::string ToXmlUtf8(bool includeDocHeader, bool formatted, EOLType eol,
                        const CSerializationContext& context) const;
  void ToXmlFile(const std::filesystem::path& path, bool includeDocHeader, bool formatted,
                 XmlEncoding encoding, EOLType eol, const CSerializationContext& context,
                 CompressionType compression) const;
  void ToXmlFile(const std::wstring& path, bool includeDocHeader, bool formatted,
                 XmlEncoding encoding, EOLType eol, const CSerializationContext& context,
                 CompressionType compression) const;
  std::string ToJsonUtf8(bool formatted, EOLType eol, const CSerializationContext& context) const;
  void ToJsonFile(const std::filesystem::path& path, bool formatted, XmlEncoding encoding,
                  EOLType eol, const CSerializationContext& context,
                  CompressionType compression) const;
  void ToJsonFile(const std::wstring& path, bool formatted, XmlEncoding encoding, EOLType eol,
                  const CSerializationContext& context, CompressionType compression) const;
  void ToFastInfosetFile(const std::filesystem::path& path, FInfoDecl declaration,
                         const CSerializationContext& context, CompressionType compression) const;
  void ToFastInfosetFile(const std::wstring& path, FInfoDecl declaration,
                         const CSerializationContext& context, CompressionType compression) const;
  void FromXml(std::string_view xml, const CSerializationContext& context);
  void FromXmlFile(const std::filesystem::path& path, const CSerializationContext& context);
  void FromXmlFile(const std::wstring& path, const CSerializationContext& context);
  void FromJson(std::string_view json, const CSerializationContext& context);
  void FromJsonFile(const std::filesystem::path& path, const CSerializationContext& context);
  void FromJsonFile(const std::wstring& path, const CSerializationContext& context);

  // IEventSink: ignores every event.
  void OnEvent(CXmlObjectBase* sender, MsgType msg, void* data) override;

 protected:
  // The namespace of the class's element or type.
  virtual std::wstring GetTargetNamespace() const = 0;
  // Writes the object's attributes onto the element open in writer. Does nothing here.
  virtual void AttributesToXml_Int(CXmlWriter* writer, const CSerializationContext& context) const;
  // Writes the object as one element in namespaceUri.
  virtual void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                         const CSerializationContext& context, bool isOptional) const = 0;
  // Reads the object from element, starting at its child current; returns the
  // first child it did not consume.
  virtual CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                                   const CSerializationContext& context, bool isOptional) = 0;
  // What every reading entry point does with the root element of its document
  // (or the element FromXmlElement is given; never null): FromXml_Int from its
  // first child element on. Untyped content, whose object is the element
  // itself, reads the element.
  virtual void RootFromXml_Int(CXmlElement* root, const CSerializationContext& context);

  std::wstring GetElementName() const;
  void SetElementName(const wchar_t* name);  // null clears it
  // The same, sharing shared instead of copying when the name is its text:
  // generated classes pass their default name, which outlives every object,
  // so that objects under it carry no copy of their own.
  void SetElementName(const wchar_t* name, const std::wstring& shared);
  // The same with every name the class is made for: the object shares the
  // one that is its name, and copies a name that is none of them.
  void SetElementName(const wchar_t* name, const std::wstring* shared, size_t count);
  template <size_t N>
  void SetElementName(const wchar_t* name, const std::wstring (&shared)[N]) {
    SetElementName(name, shared, N);
  }
  static void SetElementName(CXmlObjectBase* object, const wchar_t* name);
  static std::wstring GetElementName(const CXmlObjectBase* object);
  // The same without a copy, for comparisons over whole collections.
  static const std::wstring& ElementNameOf(const CXmlObjectBase* object) noexcept {
    return *object->m_elementName;
  }

  // Trampolines to the protected virtuals of other objects.
  static void AttributesToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer,
                                  const CSerializationContext& context);
  static void ToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer, bool isRoot,
                        const wchar_t* namespaceUri, const CSerializationContext& context,
                        bool isOptional);
  // isOptional false.
  static CXmlElement* FromXml_Int(CXmlObjectBase* object, CXmlElement* element,
                                  CXmlElement* current, const CSerializationContext& context);
  // The same for an object just made for this read, as a collection makes
  // its items: still as its constructor left it, it is read without being
  // reset first.
  static CXmlElement* FromXmlNew_Int(CXmlObjectBase* object, CXmlElement* element,
                                     CXmlElement* current, const CSerializationContext& context);
  // Whether the object was made for the read now starting, which clears the mark.
  bool TakeMadeForRead() noexcept {
    const bool made = m_madeForRead;
    m_madeForRead = false;
    return made;
  }

  // Tell sink about collection, as collection (its GetBase()). index -1 sends null data.
  static void FireOnCollectionChangeEvent(IEventSink* sink, CXmlCollectionBase* collection);
  static void FireOnCollectionAddEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                       void* item);
  static void FireOnCollectionAddCompleteEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                               void* item);
  static void FireOnCollectionRemoveEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                          int32_t index);
  static void FireOnCollectionRemoveCompleteEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                                  int32_t index);

  // Choice bookkeeping: selected names the one member of a choice that is set
  // (empty for none). Setting another member while one is set throws
  // CKvInvalidStateException; clearing the selected member frees the choice.
  static void Choice_SelectElement(const wchar_t* name, CXmlObjectBase* value,
                                   std::wstring& selected);
  static void Choice_CollectionChanged(const wchar_t* name, int32_t count, std::wstring& selected);
  // valid true selects name when nothing or name is selected; false clears the
  // selection only when it is name.
  static void Choice_SetElementValid(bool valid, const wchar_t* name, std::wstring& selected);
  // While count is below 1, reads collection at current; when that consumed
  // anything, current moves on, the count is validated and count goes up.
  static void Choice_Read_Collection(CXmlCollectionBase* collection, CXmlElement* parent,
                                     CXmlElement*& current, int32_t& count,
                                     const CSerializationContext& context);

  // CKvInvalidParamException for a null value.
  static void Throw_IfPropertyIsNull(CXmlObjectBase* value, const wchar_t* propertyName);
  // CKvInvalidParamException when a non-null value's element name is not requiredName.
  static void Throw_IfElementNameDiffers(CXmlObjectBase* value, const wchar_t* requiredName);

  // The namespace wildcard test: constraint is a space-separated list of
  // "##any", "##other", "##local", "##targetNamespace" and URIs. TestNamespace
  // throws CKvInvalidNamespaceException where IsNamespaceValid returns false.
  static void TestNamespace(const wchar_t* ns, const wchar_t* constraint,
                            const wchar_t* targetNamespace);
  static bool IsNamespaceValid(const wchar_t* ns, const wchar_t* constraint,
                               const wchar_t* targetNamespace);
  // The element's local name is name and, unless the context ignores
  // namespaces, its namespace URI is ns.
  static bool DoesElementNameMatch(const CSerializationContext& context, const CXmlElement* element,
                                   const wchar_t* name, const wchar_t* ns);
  // The same for names whose length is known, as in a description or a collection.
  static bool DoesElementNameMatch(const CSerializationContext& context, const CXmlElement* element,
                                   std::wstring_view name, std::wstring_view ns);

 private:
  // The metadata reaches the protected virtuals through trampolines of its own.
  friend class KorvelData::CAttributeInfo;
  friend class KorvelData::CElementInfo;

  // Writes the object as the document into stream, as the XML text entry points do.
  void WriteXmlText(CTextStream& stream, bool includeDocHeader, bool formatted, EOLType eol,
                    const CSerializationContext& context) const;
  // Reads the object from the root element of a document loaded for this
  // read, giving back its memory as the read goes on.
  void ReadDocument(const CXmlDocument& document, const CSerializationContext& context);
  // The same for JSON.
  void WriteJsonText(CTextStream& stream, bool formatted, EOLType eol,
                     const CSerializationContext& context) const;
  // Reads the object from JSON input.
  void FromJson_Int(const detail::JsonInput& json, const CSerializationContext& context);

  // The empty name every object starts with.
  static const std::wstring& NoName() noexcept;
  // Points the name at shared (which outlives the object), or at a name of
  // the object's own with text.
  void ShareName(const std::wstring* shared) noexcept;
  void OwnName(std::wstring_view text);

  // A shared name that outlives the object, or one of the object's own
  // (m_ownsName), made only for a name that nothing shares: most objects
  // share their name, and a bound document has many objects.
  const std::wstring* m_elementName = &NoName();
  std::atomic<int32_t> m_refCount{0};
  bool m_ownsName = false;
  // Set by the reader that made the object, for FromXml_Int to skip the reset.
  bool m_madeForRead = false;
};

}  // namespace Korvel
