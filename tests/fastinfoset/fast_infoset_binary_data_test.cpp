// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_binary_data.h>

#include <gtest/gtest.h>

#include <string>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

TEST(FastInfosetBinaryData, EveryAlgorithmBothWaysAndItsMessages) {
  const auto algorithm = [](const VectorArgs& a) {
    return static_cast<uint32_t>(std::stoul(a[0]));
  };
  RunVectors("algorithms.txt", {{L"decode",
                                 [&](const VectorArgs& a) {
                                   const CBinaryData octets = Octets(detail::WideToUtf8(a[1]));
                                   return CFastInfosetBinaryData(octets).GetAsString(algorithm(a));
                                 }},
                                {L"encode", [&](const VectorArgs& a) {
                                   CFastInfosetBinaryData data;
                                   data.SetAsEncodedString(algorithm(a), a[1].c_str());
                                   return Wide(Hex(data));
                                 }}});
}

}  // namespace
}  // namespace Korvel::testing
