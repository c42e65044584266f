// SPDX-License-Identifier: MIT
// Shows how a failure deep inside a read travels up: each level wraps the one
// below as its inner exception, and the full message lists them outermost first.
#include <clocale>
#include <cstdio>

#include <korvel/korvel.h>

using namespace Korvel;

namespace {

void ParseQuantity(const wchar_t* text) {
  throw CKvInvalidValueException(
      FormatString(L"Invalid Value for %s [%s]. Must be an integer.", L"positiveInteger", text));
}

void ReadItem(const wchar_t* quantity) {
  try {
    ParseQuantity(quantity);
  } catch (const CKvException& e) {
    throw CKvValidationException(L"Failed to process the element.",
                                 L"/purchaseOrder/items/item[2]/quantity", e);
  }
}

}  // namespace

int main() {
  std::setlocale(LC_ALL, "C.UTF-8");  // so %ls prints non-ASCII text
  try {
    ReadItem(L"many");
  } catch (const CKvException& e) {
    std::printf("caught: %ls\n", e.GetMessageW().c_str());
    std::printf("path:   %ls\n", e.GetPath().c_str());
    std::printf("full message:\n%ls\n", e.GetFullMessage().c_str());
  }
  std::printf("\nformatted: %ls\n",
              FormatString(L"%s has %d items totalling %I64d cents (%S)", L"Order 99503", 2,
                           int64_t{1'485'000'000'000}, "UTF-8 \xE2\x9C\x93")
                  .c_str());
  return 0;
}
