// SPDX-License-Identifier: MIT
// Describing a loaded document to any of the library's writers.
#pragma once

#include <cstdint>

#include <korvel/fwd.h>

namespace korvel_cli {

class Progress;

// What a walk over the tree finds; also what `korvel stats` reports.
struct TreeCounts {
  uint64_t elements = 0;
  uint64_t attributes = 0;
  uint64_t depth = 0;           // of the deepest element, the root being 1
  uint64_t textCharacters = 0;  // text of elements, layout whitespace left out
  uint64_t namespaces = 0;      // distinct namespace URIs of elements and attributes
};

class TreeWriter {
 public:
  explicit TreeWriter(const Korvel::CXmlDocument& document);

  const TreeCounts& Counts() const noexcept { return m_counts; }

  // For the JSON writer: runs of same-named sibling elements are marked as
  // collections (written as one array), and text beside child elements comes
  // after them (as "#text"). Off by default.
  void SetJsonLayout(bool json) noexcept { m_jsonLayout = json; }

  // The document's default namespace and prefixes are declared on the root;
  // then come each element, its attributes, and its text (before its children,
  // or after them for JSON; left out when it is only layout whitespace).
  void Write(Korvel::CXmlWriter& writer, Progress* progress) const;

 private:
  void WriteStart(const Korvel::CXmlElement& element, Korvel::CXmlWriter& writer) const;
  void WriteEnd(const Korvel::CXmlElement& element, Korvel::CXmlWriter& writer) const;

  const Korvel::CXmlDocument& m_document;
  TreeCounts m_counts;
  bool m_jsonLayout = false;
};

}  // namespace korvel_cli
