// SPDX-License-Identifier: MIT
// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <korvel/errors.h>

namespace Korvel::testing {

// Runs the statement and checks that it throws exactly type E (or a subclass)
// with the given wide message, character for character.
#define KORVEL_EXPECT_THROW_MESSAGE(statement, E, expected)                            \
  do {                                                                                 \
    try {                                                                              \
      statement;                                                                       \
      ADD_FAILURE() << "no exception from: " #statement;                               \
    } catch (const ::Korvel::CKvException& e_) {                                       \
      EXPECT_NE(dynamic_cast<const E*>(&e_), nullptr)                                  \
          << "wrong exception type from " #statement;                                  \
      EXPECT_EQ(std::wstring(e_.GetMessageW()), std::wstring(expected)) << #statement; \
    }                                                                                  \
  } while (0)

}  // namespace Korvel::testing
