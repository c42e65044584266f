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
    } catch (const E& e_) {                                                            \
      EXPECT_EQ(std::wstring(e_.GetMessageW()), std::wstring(expected)) << #statement; \
    } catch (...) {                                                                    \
      /* rethrown so that E may itself be CKvException without a shadowed handler */   \
      try {                                                                            \
        throw;                                                                         \
      } catch (const ::Korvel::CKvException& e_) {                                     \
        ADD_FAILURE() << "wrong exception type from " #statement ": "                  \
                      << ::testing::PrintToString(e_.GetMessageW());                   \
      } catch (...) {                                                                  \
        ADD_FAILURE() << "foreign exception from " #statement;                         \
      }                                                                                \
    }                                                                                  \
  } while (0)

}  // namespace Korvel::testing
