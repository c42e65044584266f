// SPDX-License-Identifier: MIT
#include "binding/namespace_wildcard.h"

#include <korvel/errors.h>

#include "test_support.h"
#include "vector_file.h"

namespace Korvel::detail {
namespace {

// The rows are in tests/data/binding/namespace_wildcard.txt.
TEST(NamespaceWildcard, AdmittedNamespacesAndTheDefaultOfWrittenContent) {
  using Args = testing::VectorArgs;
  const auto admits = [](const Args& a) -> std::wstring {
    const bool valid = IsNamespaceValid(a[1], a[0], L"urn:t");
    try {
      TestNamespace(a[1], a[0], L"urn:t");
    } catch (const CKvInvalidNamespaceException& e) {
      return valid ? L"valid, yet refused" : L"!" + e.GetMessageW();
    }
    return valid ? L"yes" : L"invalid, yet admitted";
  };
  const auto defaultOf = [](const Args& a) { return GetAnyDefaultNamespace(a[0], a[1], L"urn:t"); };
  testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/namespace_wildcard.txt",
                         {{L"admits", admits}, {L"default", defaultOf}});
}

}  // namespace
}  // namespace Korvel::detail
