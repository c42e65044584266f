// SPDX-License-Identifier: MIT
// What the class descriptions and the serialiser drivers share: the throw
// helpers of their messages and small tests on nodes and contexts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <korvel/errors.h>
#include <korvel/metadata.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/serialization_context.h>
#include <korvel/variant.h>
#include <korvel/whitespace_utils.h>

#include "values/value_text.h"
#include "values/whitespace_rules.h"
#include "xml/text_element.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {
class CXmlAttribute;
class CXmlCollectionBase;
class CXmlElement;
class CXmlGeneratedClass;
class CSerializationContext;
class INillable;
struct KvVariant;
}  // namespace Korvel

namespace Korvel::detail {

// Writing reads an object's members one after another, and in a large
// document each is a cache miss of its own, paid in turn. Asking for the
// object's first lines at once lets those misses overlap. Generated classes
// keep their members in the object; the span covers typical ones (a line
// past the object costs little, and a prefetch never faults).
inline void PrefetchObject(const void* object) noexcept {
  constexpr size_t kCacheLine = 64;
  constexpr size_t kSpan = 512;
  const auto* bytes = static_cast<const char*>(object);
  for (size_t offset = 0; offset < kSpan; offset += kCacheLine) __builtin_prefetch(bytes + offset);
}

// The name of an untyped member that takes any element name.
inline constexpr std::wstring_view kAnyElement = L"AnyElement";

// Local names are short: compared in line, without a call, as each child is
// offered to the descriptions in turn and each object checks its name; long
// texts (namespace URIs) go to the library's comparison.
inline bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
  constexpr size_t kShort = 16;
  if (a.size() != b.size()) return false;
  if (a.size() > kShort) return a == b;
  // Several characters to a comparison (two of 32 bits).
  constexpr size_t kStep = sizeof(uint64_t) / sizeof(wchar_t);
  const wchar_t* x = a.data();
  const wchar_t* y = b.data();
  size_t left = a.size();
  for (; left >= kStep; left -= kStep, x += kStep, y += kStep) {
    uint64_t wordX, wordY;
    std::memcpy(&wordX, x, sizeof wordX);
    std::memcpy(&wordY, y, sizeof wordY);
    if (wordX != wordY) return false;
  }
  for (; left > 0; --left) {
    if (*x++ != *y++) return false;
  }
  return true;
}

// Whether a node's name is localName in namespaceUri for description, or in
// any namespace when context (null for never) ignores namespaces. A name
// matched whole is noted for the read going on, so that its next nodes match
// without a comparison.
inline bool MatchesName(const XmlName& name, const void* description, std::wstring_view localName,
                        std::wstring_view namespaceUri, const CSerializationContext* context) {
  if (name.matchedBy == description) return true;
  if (!SameName(name.localName, localName)) return false;
  if (!SameName(name.namespaceUri, namespaceUri)) {
    return context != nullptr && context->GetIgnoreNamespaces();
  }
  XmlTreeBuilder::RememberMatch(name, description);
  return true;
}

// CKvValidationException with message and path.
[[noreturn]] void ThrowValidation(const wchar_t* message, const std::wstring& path);
// CKvValidationException with FormatString(format, argument) and path.
[[noreturn]] void ThrowValidation(const wchar_t* format, const std::wstring& argument,
                                  const std::wstring& path);
// "Failed read all the elements ..." for the child left over in element.
[[noreturn]] void ThrowUnprocessedElement(const CXmlElement& element, const CXmlElement& child);
// "Failed to process the element." with the element's path, around inner.
[[noreturn]] void ThrowFailedToProcess(const CXmlElement& element, const CKvException& inner);
// The failure of the property getter of the member named name, around inner.
[[noreturn]] void ThrowFailedToGet(const std::wstring& name, const CKvException& inner);

// Runs get, a property getter of the member named name, wrapping its
// failures with the member's name. In line: writers read every member
// through it, and a call would cost more than the getter.
template <class Get>
[[gnu::always_inline]] inline auto GetWrapped(const std::wstring& name, Get get)
    -> decltype(get()) {
  try {
    return get();
  } catch (const CKvException& e) {
    ThrowFailedToGet(name, e);
  }
}
// "An element marked nil must be empty." with the element's path, when it
// holds a child element or text beyond layout whitespace.
void ThrowIfNilHasContent(const CXmlElement& element);

// Whether a collection's count holds. In an element a wrong count is an error
// (thrown); in an in-line group it only means the group is not here (false).
bool CountHolds(const CSerializationContext& context, const CXmlCollectionBase& collection,
                bool ownerIsElement);

// Whether any facet is set: most properties have none, and their values need
// no check at all.
bool HasFacets(const CPrimitiveRestrictions& restrictions);

// Calls check with the text a pattern facet judges on reading: text as it
// stands after the whitespace rule. Without a pattern check gets null; text
// the rule leaves whole is passed as it is, so only a changed one is copied.
// A string of kind is its own lexical form: null too, as the check then
// judges the value read, which the rule has already made.
template <class Check>
void WithReadLexical(const CPrimitiveRestrictions& restrictions, ItemType kind,
                     CWhitespaceUtils::WhitespaceRule rule, const std::wstring& text,
                     Check&& check) {
  if (restrictions.GetPattern().empty() || kind == it_string) return check(nullptr);
  RuledText lexical(text, rule);
  check(&lexical.Str());
}

// A simple property as the writers read it (see CElementInfo::ViewSimple):
// the member itself, or a carrier. One is made from the member only when a
// facet check, or a kind printed through a carrier, needs it.
class SimpleValue {
 public:
  // see(member, view) fills one of them, and returns the carrier it filled
  // or null for the member.
  template <class See>
  explicit SimpleValue(See see) : m_member(&m_seen), m_variant(see(m_seen, m_view)) {}
  // The member a generated class hands over itself, which must outlive the
  // value. Referred to, not copied: its fields were just stored one by one,
  // and a copy would read them back in wider pieces than were stored.
  explicit SimpleValue(const KorvelData::CMemberView& member)
      : m_member(&member), m_variant(nullptr) {}
  SimpleValue(const SimpleValue&) = delete;
  SimpleValue& operator=(const SimpleValue&) = delete;

  bool IsNil() const noexcept { return m_variant != nullptr && m_variant->IsNil(); }
  bool IsValid() const noexcept {
    return m_variant != nullptr ? m_variant->IsValid() : m_member->kind != it_none;
  }
  ItemType Kind() const noexcept {
    return m_variant != nullptr ? m_variant->GetTypeAsEnum() : m_member->kind;
  }
  // The member seen in place, or null once the value is in a carrier.
  const KorvelData::CMemberView* Member() const noexcept {
    return m_variant == nullptr ? m_member : nullptr;
  }
  // An enumerator, as the carrier's GetI4 has it.
  int32_t GetI4();
  // The string member seen in place, else null.
  const std::wstring* HeldString() const noexcept {
    const KorvelData::CMemberView* member = Member();
    return member != nullptr && member->kind == it_string
               ? static_cast<const std::wstring*>(member->simple.held)
               : nullptr;
  }
  const KvVariant& AsVariant();

 private:
  KorvelData::CMemberView m_seen;  // filled by see
  const KorvelData::CMemberView* m_member;
  std::optional<KvValueView> m_view;
  const KvVariant* m_variant;
};

// The text of the value being written: the string it holds, or its text
// printed into a buffer the thread keeps, so that numbers and dates cost no
// allocation once it has grown. The buffer holds one value: from here until
// the writer has taken the text.
const std::wstring& WrittenText(const KvVariant& value, const wchar_t* format);
const std::wstring& WrittenText(SimpleValue& value, const wchar_t* format);
// CheckRestrictions on value as kind: a string member is judged as its text,
// without a carrier.
void CheckRestrictions(const std::wstring& name, SimpleValue& value, ItemType kind,
                       const CPrimitiveRestrictions& restrictions, const std::wstring* lexical);
// An enumerator's text (null reads as empty) as a string for the writers,
// kept in a buffer of the thread's that the next call reuses: writing an
// enumerator allocates nothing.
const std::wstring& EnumText(const wchar_t* text);

// The text of a simple element's value, as WrittenText has it but with a
// number or date printed into room of its own on the stack: no string is
// filled for it unless a writer or a pattern asks for one.
class PrintedText {
 public:
  PrintedText(SimpleValue& value, const wchar_t* format);
  PrintedText(const PrintedText&) = delete;
  PrintedText& operator=(const PrintedText&) = delete;

  std::wstring_view View() const noexcept { return m_view; }
  ElementText ForWriter() const noexcept { return ElementText{m_view, m_string, !m_string}; }
  // As a string: the one the value holds, or a copy the thread keeps.
  const std::wstring& Str() const;

 private:
  void Take(const std::wstring& text) noexcept;
  void Take(const KvVariant& value, const wchar_t* format);
  // Number, duration and date kinds; false for the others.
  bool PrintMember(const KorvelData::CMemberView& member);
  // A decimal, an integer, a duration or a date, held at value; false for
  // other kinds.
  bool PrintHeld(ItemType kind, const void* value);

  ShortText m_printed;
  std::wstring_view m_view;
  const std::wstring* m_string = nullptr;
};

// An xsi:nil value: 1 for "true" and "1", 0 for "false" and "0" (any case), -1 otherwise.
int NilValue(const std::wstring& value);

}  // namespace Korvel::detail
