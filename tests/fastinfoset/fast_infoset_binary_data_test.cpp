// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_binary_data.h>

#include <gtest/gtest.h>

#include <string>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

TEST(FastInfosetBinaryData, EveryAlgorithmBothWaysAndItsMessages) {
  for (const std::vector<std::string>& row : Vectors("algorithms.txt")) {
    SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
    const auto algorithm = static_cast<uint32_t>(std::stoul(row[1]));
    CFastInfosetBinaryData data;
    if (row[0] == "decode") {
      EXPECT_EQ(CFastInfosetBinaryData(Octets(row[2])).GetAsString(algorithm), Wide(row[3]));
    } else if (row[0] == "decode-error") {
      KORVEL_EXPECT_THROW_MESSAGE(CFastInfosetBinaryData(Octets(row[2])).GetAsString(algorithm),
                                  CKvException, Wide(row[3]));
    } else if (row[0] == "encode") {
      data.SetAsEncodedString(algorithm, Wide(row[2]).c_str());
      EXPECT_EQ(Hex(data), row[3]);
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(data.SetAsEncodedString(algorithm, Wide(row[2]).c_str()),
                                  CKvException, Wide(row[3]));
    }
  }
}

}  // namespace
}  // namespace Korvel::testing
