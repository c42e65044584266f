// SPDX-License-Identifier: MIT
// Where each element of a schema file starts and which prefixes are in scope
// there: the document reader keeps neither, so the raw text is scanned once.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace KorvelXsd {

using PrefixScope = std::map<std::wstring, std::wstring>;  // prefix ("" default) to URI

struct StartTag {
  int line = 0;
  std::shared_ptr<const PrefixScope> scope;
};

// The start tags of text in document order, which is the order in which a
// depth-first walk of the document meets its elements. Text in an encoding
// other than UTF-8 or ASCII gives an empty list.
std::vector<StartTag> ScanStartTags(const std::string& text);

}  // namespace KorvelXsd
