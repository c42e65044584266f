// SPDX-License-Identifier: MIT
// XSD names to C++ identifiers: predictable, valid and unique within a scope.
#pragma once

#include <set>
#include <string>

namespace KorvelXsd {

// "purchase-order" and "purchaseOrder" give "PurchaseOrder"; characters that
// cannot appear in an identifier separate words, and non-ASCII letters become
// "U" and their hexadecimal code.
std::string PascalCase(const std::wstring& xmlName);
// "USPrice" gives "usPrice", "shipTo" stays "shipTo".
std::string CamelCase(const std::string& pascal);

// Hands out names unique within one scope: the second "Item" becomes "Item2".
class NameScope {
 public:
  explicit NameScope(std::set<std::string> reserved = {}) : m_taken(std::move(reserved)) {}
  std::string Claim(const std::string& wanted);

 private:
  std::set<std::string> m_taken;
};

}  // namespace KorvelXsd
