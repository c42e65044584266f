// SPDX-License-Identifier: MIT
// Helpers shared by the untyped content classes.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace Korvel {
class CXmlAttribute;
}  // namespace Korvel

namespace Korvel::detail {

inline const wchar_t* OrEmpty(const wchar_t* text) noexcept { return text ? text : L""; }

// xmlns and xmlns:prefix attributes, which some readers report as attributes.
// They declare prefixes for the markup and are not data.
bool IsNamespaceDeclaration(const CXmlAttribute& attribute) noexcept;
// xmlns itself: the declaration of the default namespace.
bool IsDefaultNamespaceDeclaration(const CXmlAttribute& attribute) noexcept;

// The text without the XML whitespace at either end.
std::wstring_view TrimXmlWhitespace(std::wstring_view text) noexcept;

// What untyped content is read and built under: the wildcard (restriction
// and target namespace) and the namespace given to new items. Shared by the
// collections and elements made under it, so that a wildcard of a generated
// class is held once, not once per object.
struct UntypedScope {
  std::wstring restriction;
  std::wstring targetNamespace;
  std::wstring namespaceUri;
  // Made by AnyScopeOf from another scope; such a scope keeps no lastAny,
  // so that scopes never hang off each other in chains.
  bool derived = false;
  // The "##any" scope last made from this one by AnyScopeOf, kept for the
  // next element read under it; reached through the atomic shared_ptr
  // functions, as objects of several threads may share the scope.
  mutable std::shared_ptr<const UntypedScope> lastAny;
};

std::shared_ptr<const UntypedScope> MakeUntypedScope(std::wstring_view restriction,
                                                     std::wstring_view targetNamespace,
                                                     std::wstring_view namespaceUri);
// "##any" under scope's target with namespaceUri for new items, as the
// content below an element read under scope takes it: scope itself when it
// is that, else the one last made from it when that fits, else a new one
// (kept as the last one unless scope is itself derived).
std::shared_ptr<const UntypedScope> AnyScopeOf(const std::shared_ptr<const UntypedScope>& scope,
                                               std::wstring_view namespaceUri);

}  // namespace Korvel::detail
