// SPDX-License-Identifier: MIT
// The namespace wildcard test.
#include "binding/namespace_wildcard.h"

#include <korvel/errors.h>

#include "binding/messages.h"

namespace Korvel::detail {

namespace {

constexpr std::wstring_view kAny = L"##any";
constexpr std::wstring_view kOther = L"##other";
constexpr std::wstring_view kLocal = L"##local";
constexpr std::wstring_view kTargetNamespace = L"##targetNamespace";

bool TokenAdmits(std::wstring_view token, std::wstring_view ns, std::wstring_view target) {
  if (token == kAny) return true;
  if (token == kOther) return !ns.empty() && ns != target;
  if (token == kLocal) return ns.empty();
  if (token == kTargetNamespace) return ns == target;
  return ns == token || ns.empty();
}

[[noreturn]] void ThrowInvalidNamespace(std::wstring_view ns, std::wstring_view constraint,
                                        std::wstring_view target) {
  const std::wstring n(ns), c(constraint), t(target);
  throw CKvInvalidNamespaceException(
      FormatString(kInvalidNamespace, n.c_str(), c.c_str(), t.c_str()), std::wstring());
}

}  // namespace

bool IsNamespaceValid(std::wstring_view ns, std::wstring_view constraint,
                      std::wstring_view target) {
  for (;;) {
    const size_t space = constraint.find(L' ');
    if (TokenAdmits(constraint.substr(0, space), ns, target)) return true;
    if (space == std::wstring_view::npos) return false;
    constraint.remove_prefix(space + 1);
  }
}

void TestNamespace(std::wstring_view ns, std::wstring_view constraint, std::wstring_view target) {
  if (!IsNamespaceValid(ns, constraint, target)) ThrowInvalidNamespace(ns, constraint, target);
}

std::wstring GetAnyDefaultNamespace(std::wstring_view constraint, std::wstring_view anyNamespace,
                                    std::wstring_view target) {
  if (constraint == kAny) return std::wstring(anyNamespace);
  if (constraint == kOther) return anyNamespace.empty() ? L"DefaultNamespace" : L"";
  if (constraint == kLocal) return std::wstring();
  if (constraint == kTargetNamespace) return std::wstring(target);
  // A list of keywords is decided by its first one.
  const size_t space = constraint.find(L' ');
  if (constraint.size() >= 3 && constraint.substr(0, 2) == L"##" &&
      space != std::wstring_view::npos) {
    return GetAnyDefaultNamespace(constraint.substr(0, space), anyNamespace, target);
  }
  return std::wstring();  // explicit URIs
}

}  // namespace Korvel::detail
