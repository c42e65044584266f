// SPDX-License-Identifier: MIT
// CAttribute and CAttributeCol: the attributes of untyped content.
#include <korvel/untyped.h>

#include <korvel/errors.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "binding/messages.h"
#include "binding/namespace_wildcard.h"
#include "binding/untyped_support.h"

namespace Korvel {

namespace {

constexpr std::wstring_view kXmlnsNamespace = L"http://www.w3.org/2000/xmlns/";

[[noreturn]] void ThrowNullItem() { throw CKvInvalidParamException(detail::kNullItem); }

// The first token of the restriction when it is a URI rather than a keyword.
std::wstring LeadingUri(std::wstring_view restriction) {
  const std::wstring_view token = restriction.substr(0, restriction.find(L' '));
  if (token.size() < 2 || token[0] == L'#' || token[1] == L'#') return std::wstring();
  return std::wstring(token);
}

}  // namespace

namespace detail {

bool IsNamespaceDeclaration(const CXmlAttribute& attribute) noexcept {
  return attribute.GetNamespaceURI() == kXmlnsNamespace || IsDefaultNamespaceDeclaration(attribute);
}

bool IsDefaultNamespaceDeclaration(const CXmlAttribute& attribute) noexcept {
  const std::wstring& ns = attribute.GetNamespaceURI();
  return attribute.GetLocalName() == L"xmlns" && (ns.empty() || ns == kXmlnsNamespace);
}

std::wstring_view TrimXmlWhitespace(std::wstring_view text) noexcept {
  constexpr std::wstring_view kWhitespace = L" \t\n\r";
  const size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::wstring_view::npos) return std::wstring_view();
  return text.substr(first, text.find_last_not_of(kWhitespace) - first + 1);
}

std::shared_ptr<const UntypedScope> MakeUntypedScope(std::wstring_view restriction,
                                                     std::wstring_view targetNamespace,
                                                     std::wstring_view namespaceUri) {
  return std::make_shared<const UntypedScope>(UntypedScope{std::wstring(restriction),
                                                          std::wstring(targetNamespace),
                                                          std::wstring(namespaceUri), false, {}});
}

std::shared_ptr<const UntypedScope> AnyScopeOf(const std::shared_ptr<const UntypedScope>& scope,
                                               std::wstring_view namespaceUri) {
  const auto fits = [namespaceUri](const UntypedScope& s) {
    return s.namespaceUri == namespaceUri && std::wstring_view(s.restriction) == L"##any";
  };
  if (fits(*scope)) return scope;
  std::shared_ptr<const UntypedScope> last;
  if (!scope->derived) {
    last = std::atomic_load(&scope->lastAny);
    if (last && fits(*last)) return last;
  }
  last = std::make_shared<const UntypedScope>(UntypedScope{
      L"##any", scope->targetNamespace, std::wstring(namespaceUri), true, {}});
  if (!scope->derived) std::atomic_store(&scope->lastAny, last);
  return last;
}

}  // namespace detail

// --- CAttribute ---------------------------------------------------------------------

CAttribute::CAttribute(const wchar_t* name, const wchar_t* value, const wchar_t* namespaceUri)
    : CInstanceMonitor(L"CAttribute"),
      m_name(detail::OrEmpty(name)),
      m_value(detail::OrEmpty(value)),
      m_namespaceUri(detail::OrEmpty(namespaceUri)) {}

CAttribute::~CAttribute() = default;

CXmlObjectBase* CAttribute::GetBase() { return this; }

std::wstring CAttribute::GetName() const { return m_name; }
std::wstring CAttribute::GetValue() const { return m_value; }
std::wstring CAttribute::GetNamespace() const { return m_namespaceUri; }
std::wstring CAttribute::GetTargetNamespace() const { return m_namespaceUri; }

void CAttribute::SetName(const wchar_t* name) { m_name = detail::OrEmpty(name); }
void CAttribute::SetValue(const wchar_t* value) { m_value = detail::OrEmpty(value); }
void CAttribute::SetNamespace(const wchar_t* namespaceUri) {
  m_namespaceUri = detail::OrEmpty(namespaceUri);
}

CSmartPtr<CAttribute> CAttribute::Clone() const {
  return new CAttribute(m_name.c_str(), m_value.c_str(), m_namespaceUri.c_str());
}

void CAttribute::ToXml_Int(CXmlWriter* writer, bool, const wchar_t*, const CSerializationContext&,
                           bool) const {
  writer->WriteAttribute(m_name, m_namespaceUri, m_value, it_string);
}

CXmlElement* CAttribute::FromXml_Int(CXmlElement*, CXmlElement*, const CSerializationContext&,
                                     bool) {
  throw CKvException(detail::kAttributeReadByCollection);
}

// --- CAttributeCol ------------------------------------------------------------------

CAttributeCol::CAttributeCol(const wchar_t* namespaceUri, const wchar_t* restriction,
                             const wchar_t* targetNamespace)
    : CAttributeCol(detail::MakeUntypedScope(detail::OrEmpty(restriction),
                                             detail::OrEmpty(targetNamespace),
                                             namespaceUri && *namespaceUri
                                                 ? namespaceUri
                                                 : LeadingUri(detail::OrEmpty(restriction)))) {}

CAttributeCol::CAttributeCol(std::shared_ptr<const detail::UntypedScope> scope)
    : CXmlCollection(L"", nullptr, 0, -1),
      CInstanceMonitor(L"CAttributeCol"),
      m_scope(std::move(scope)) {}

CAttributeCol::~CAttributeCol() = default;

const std::wstring& CAttributeCol::GetNamespaceRestriction() const noexcept {
  return m_scope->restriction;
}
std::wstring CAttributeCol::GetNamespace() const { return m_scope->namespaceUri; }
std::wstring CAttributeCol::GetTargetNamespace() const { return m_scope->namespaceUri; }

CSmartPtr<CAttribute> CAttributeCol::Add(const wchar_t* name, const wchar_t* value,
                                         const wchar_t* namespaceUri) {
  detail::TestNamespace(detail::OrEmpty(namespaceUri), m_scope->restriction,
                        m_scope->targetNamespace);
  CSmartPtr<CAttribute> attribute(new CAttribute(name, value, namespaceUri));
  AppendItem(attribute);
  return attribute;
}

CSmartPtr<CAttribute> CAttributeCol::Add(const wchar_t* name, const wchar_t* value) {
  return Add(name, value, m_scope->namespaceUri.c_str());
}

CSmartPtr<CAttribute> CAttributeCol::Add(const wchar_t* name) { return Add(name, L""); }

void CAttributeCol::Add(CAttribute* attribute) {
  if (attribute == nullptr) ThrowNullItem();
  AppendItem(attribute);
}

void CAttributeCol::AddAfter(CAttribute* existing, CAttribute* attribute) {
  if (attribute == nullptr) ThrowNullItem();
  AddAfterItem(existing, attribute);
}

void CAttributeCol::AddBefore(CAttribute* existing, CAttribute* attribute) {
  if (attribute == nullptr) ThrowNullItem();
  AddBeforeItem(existing, attribute);
}

CSmartPtr<CAttribute> CAttributeCol::Item(int32_t index) const {
  return static_cast<CAttribute*>(GetNodeAtIndex(index)->item.Get());
}

CSmartPtr<CAttributeCol> CAttributeCol::Clone() const {
  CSmartPtr<CAttributeCol> copy(new CAttributeCol(m_scope));
  for (const CAttribute& attribute : *this) copy->AppendItem(attribute.Clone());
  return copy;
}

void CAttributeCol::ToXml_Int(CXmlWriter* writer, bool, const wchar_t*,
                              const CSerializationContext&, bool) const {
  for (const CAttribute& attribute : *this) {
    writer->WriteAttribute(attribute.m_name, attribute.m_namespaceUri, attribute.m_value,
                           it_string);
  }
}

CXmlElement* CAttributeCol::FromXml_Int(CXmlElement* element, CXmlElement* current,
                                        const CSerializationContext&, bool) {
  for (const CXmlAttribute* attribute : element->GetAttributes()) {
    if (detail::IsNamespaceDeclaration(*attribute)) continue;
    const std::wstring& ns = attribute->GetNamespaceURI();
    if (!detail::IsNamespaceValid(ns, m_scope->restriction, m_scope->targetNamespace)) {
      throw CKvInvalidNamespaceException(
          FormatString(detail::kInvalidAttributeNamespace, attribute->GetLocalName().c_str()),
          element->GetXPath());
    }
    AppendItem(CSmartPtr<CAttribute>(new CAttribute(attribute->GetLocalName().c_str(),
                                                    attribute->GetValue().c_str(), ns.c_str())));
  }
  return current;
}

}  // namespace Korvel
