// SPDX-License-Identifier: MIT
// A scanner that finds start tags and namespace declarations in raw XML text.
#include "source_map.h"

#include <cstring>

namespace KorvelXsd {
namespace {

std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    wchar_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    out += code;
    i += extra + 1;
  }
  return out;
}

// The few predefined references a namespace URI may hold.
std::string Unescape(const std::string& value) {
  static const struct {
    const char* ref;
    char c;
  } kRefs[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    bool replaced = false;
    for (const auto& r : kRefs) {
      if (value.compare(i, std::strlen(r.ref), r.ref) == 0) {
        out += r.c;
        i += std::strlen(r.ref) - 1;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += value[i];
  }
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Adds the xmlns declarations of the tag body (between the name and '>').
void AddDeclarations(const std::string& tag, PrefixScope& scope) {
  size_t i = 0;
  while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '/') ++i;  // the element's name
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    const size_t nameStart = i;
    while (i < tag.size() && tag[i] != '=' && !IsSpace(tag[i])) ++i;
    const std::string name = tag.substr(nameStart, i - nameStart);
    while (i < tag.size() && tag[i] != '"' && tag[i] != '\'') ++i;
    if (i >= tag.size()) return;
    const char quote = tag[i];
    const size_t end = tag.find(quote, i + 1);
    if (end == std::string::npos) return;
    const std::string value = tag.substr(i + 1, end - i - 1);
    i = end + 1;
    if (name == "xmlns") {
      scope[L""] = Widen(Unescape(value));
    } else if (name.compare(0, 6, "xmlns:") == 0) {
      scope[Widen(name.substr(6))] = Widen(Unescape(value));
    }
  }
}

}  // namespace

std::vector<StartTag> ScanStartTags(const std::string& text) {
  std::vector<StartTag> tags;
  if (text.size() >= 2 && (static_cast<unsigned char>(text[0]) == 0xFE ||
                           static_cast<unsigned char>(text[0]) == 0xFF || text[0] == 0 ||
                           text[1] == 0)) {
    return tags;
  }
  std::vector<std::shared_ptr<const PrefixScope>> open{std::make_shared<const PrefixScope>()};
  int line = 1;
  size_t i = 0;
  // Moves past the next terminator, counting lines.
  auto skipPast = [&](const char* terminator) {
    const size_t end = text.find(terminator, i);
    const size_t stop = end == std::string::npos ? text.size() : end + std::strlen(terminator);
    for (; i < stop; ++i) line += text[i] == '\n';
  };
  while (i < text.size()) {
    if (text[i] != '<') {
      line += text[i++] == '\n';
      continue;
    }
    if (text.compare(i, 4, "<!--") == 0) {
      skipPast("-->");
    } else if (text.compare(i, 9, "<![CDATA[") == 0) {
      skipPast("]]>");
    } else if (text.compare(i, 2, "<?") == 0) {
      skipPast("?>");
    } else if (text.compare(i, 2, "<!") == 0) {
      // A document type declaration; its internal subset may hold '>'.
      int depth = 0;
      for (; i < text.size(); ++i) {
        line += text[i] == '\n';
        if (text[i] == '[') ++depth;
        if (text[i] == ']') --depth;
        if (text[i] == '>' && depth <= 0) break;
      }
      ++i;
    } else if (text.compare(i, 2, "</") == 0) {
      skipPast(">");
      if (open.size() > 1) open.pop_back();
    } else {
      const int startLine = line;
      const size_t start = i;
      char quote = 0;
      for (; i < text.size(); ++i) {
        line += text[i] == '\n';
        if (quote) {
          if (text[i] == quote) quote = 0;
        } else if (text[i] == '"' || text[i] == '\'') {
          quote = text[i];
        } else if (text[i] == '>') {
          break;
        }
      }
      const std::string tag = text.substr(start + 1, i - start - 1);
      ++i;
      std::shared_ptr<const PrefixScope> scope = open.back();
      if (tag.find("xmlns") != std::string::npos) {
        auto own = std::make_shared<PrefixScope>(*scope);
        AddDeclarations(tag, *own);
        scope = own;
      }
      tags.push_back({startLine, scope});
      if (tag.empty() || tag.back() != '/') open.push_back(scope);
    }
  }
  return tags;
}

}  // namespace KorvelXsd
