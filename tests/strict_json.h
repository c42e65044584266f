// SPDX-License-Identifier: MIT
// Python's json module as an independent strict JSON reader for the tests.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"
#include "values/utf.h"

namespace Korvel::testing {

// Each text must be JSON: NaN and Infinity, which Python would otherwise
// take, are refused, and so is a member name repeated in one object. One run
// for all texts; python3 must be installed.
inline void ExpectStrictJson(const std::vector<std::wstring>& texts) {
  TempDir dir;
  std::string command =
      "python3 -c 'import json,sys\n"
      "def pairs(p):\n"
      "  if len(set(k for k, _ in p)) != len(p): sys.exit(\"repeated name\")\n"
      "  return dict(p)\n"
      "for f in sys.argv[1:]: json.load(open(f, encoding=\"utf-8\"), "
      "parse_constant=lambda c: sys.exit(f), object_pairs_hook=pairs)'";
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string name = std::to_string(i) + ".json";
    dir.Write(name, detail::WideToUtf8(texts[i]));
    command += " " + dir.Path(name);
  }
  const int status = std::system(command.c_str());
  ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 127) << "python3 is missing";
  EXPECT_EQ(status, 0);
}

}  // namespace Korvel::testing
