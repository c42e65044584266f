// SPDX-License-Identifier: MIT
// A recursive-descent reader of the XSD regular-expression grammar that writes
// PCRE2 syntax as it goes. Every literal is written as \x{...} and every
// group as (?:...), so nothing of PCRE's own syntax can slip through.
#include "values/xsd_regex.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "values/unicode_blocks.h"
#include "values/utf.h"

namespace Korvel::detail {

namespace {

// Any character at all, for the complement of a set.
constexpr std::string_view kAnyCharacter = "[\\x{0}-\\x{10ffff}]";
// What Peek returns past the end: no character.
constexpr uint32_t kEnd = 0xFFFFFFFFu;
// PCRE2 refuses larger repeat counts.
constexpr uint32_t kMaxRepeat = 65535;

// Name characters as XML 1.0 (fifth edition) defines them: \i and \c.
constexpr CodePointRange kNameStart[] = {
    {':', ':'},        {'A', 'Z'},        {'_', '_'},         {'a', 'z'},
    {0xC0, 0xD6},      {0xD8, 0xF6},      {0xF8, 0x2FF},      {0x370, 0x37D},
    {0x37F, 0x1FFF},   {0x200C, 0x200D},  {0x2070, 0x218F},   {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF},  {0xF900, 0xFDCF},  {0xFDF0, 0xFFFD},   {0x10000, 0xEFFFF},
};
constexpr CodePointRange kNameOnly[] = {
    {'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040},
};

// The general categories XSD names in \p{...}.
constexpr std::string_view kCategories[] = {
    "L",  "Lu", "Ll", "Lt", "Lm", "Lo", "M",  "Mn", "Mc", "Me", "N",  "Nd",
    "Nl", "No", "P",  "Pc", "Pd", "Ps", "Pe", "Pi", "Pf", "Po", "Z",  "Zs",
    "Zl", "Zp", "S",  "Sm", "Sc", "Sk", "So", "C",  "Cc", "Cf", "Co", "Cn",
};

std::string Hex(uint32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\x{%x}", static_cast<unsigned>(c));
  return buffer;
}

std::string RangeBody(uint32_t first, uint32_t last) {
  return first == last ? Hex(first) : Hex(first) + "-" + Hex(last);
}

template <size_t N>
std::string RangesBody(const CodePointRange (&ranges)[N]) {
  std::string body;
  for (const CodePointRange& range : ranges) body += RangeBody(range.first, range.last);
  return body;
}

// One member of a character class: the inside of a PCRE class, taken as a
// whole or (negated) as its complement. A negated member cannot simply join
// the others inside one PCRE class, since [...] can only complement all.
struct SetPart {
  std::string body;
  bool negated = false;
};

// One character matched by any of parts (an empty list matches nothing).
std::string UnionExpression(const std::vector<SetPart>& parts) {
  std::string positive;
  std::vector<std::string> alternatives;
  for (const SetPart& part : parts) {
    if (!part.negated) {
      positive += part.body;
    } else if (part.body.empty()) {
      return std::string(kAnyCharacter);
    } else {
      alternatives.push_back("[^" + part.body + "]");
    }
  }
  if (!positive.empty()) alternatives.insert(alternatives.begin(), "[" + positive + "]");
  if (alternatives.empty()) return "(?!)";
  if (alternatives.size() == 1) return alternatives[0];
  std::string out = "(?:";
  for (size_t i = 0; i < alternatives.size(); ++i) {
    if (i > 0) out += '|';
    out += alternatives[i];
  }
  return out + ")";
}

bool AllPositive(const std::vector<SetPart>& parts) {
  for (const SetPart& part : parts) {
    if (part.negated) return false;
  }
  return true;
}

struct SyntaxError {
  std::string text;
};

class Translator {
 public:
  explicit Translator(std::wstring text) : m_text(std::move(text)) {}

  std::string Run() {
    std::string out = RegExp();
    if (!AtEnd()) Fail("unmatched closing parenthesis");  // a branch stops only at | ) or the end
    return out;
  }

 private:
  bool AtEnd() const { return m_pos >= m_text.size(); }
  uint32_t Peek(size_t ahead = 0) const {
    return m_pos + ahead < m_text.size() ? static_cast<uint32_t>(m_text[m_pos + ahead]) : kEnd;
  }
  uint32_t Next() { return static_cast<uint32_t>(m_text[m_pos++]); }

  [[noreturn]] void Fail(const std::string& what) const { FailAt(what, m_pos); }
  [[noreturn]] void FailAt(const std::string& what, size_t at) const {
    throw SyntaxError{what + " at offset " + std::to_string(at)};
  }

  // regExp ::= branch ( '|' branch )*
  std::string RegExp() {
    std::string out = Branch();
    while (Peek() == '|') {
      ++m_pos;
      out += '|';
      out += Branch();
    }
    return out;
  }

  // branch ::= piece*
  std::string Branch() {
    std::string out;
    while (!AtEnd() && Peek() != '|' && Peek() != ')') out += Piece();
    return out;
  }

  static bool IsQuantifierStart(uint32_t c) { return c == '?' || c == '*' || c == '+' || c == '{'; }

  // piece ::= atom quantifier? -- one quantifier only: PCRE's lazy (*?) and
  // possessive (*+) forms, and a repeat of a repeat, are not XSD.
  std::string Piece() {
    if (IsQuantifierStart(Peek())) Fail("quantifier does not follow a repeatable item");
    std::string atom = Atom();
    if (!IsQuantifierStart(Peek())) return atom;
    const std::string quantifier = Quantifier();
    // An unbounded repeat always repeats a group: PCRE2's automaton gives a
    // repeated single character a state per count reached, which a repeat
    // around it multiplies into time quadratic in the value; a repeated group
    // has one state. Bounded counts stay as they are, since a counted group
    // is copied out in the compiled code.
    const bool unbounded = quantifier == "*" || quantifier == "+" ||
                           (quantifier.size() > 2 && quantifier.compare(quantifier.size() - 2, 2, ",}") == 0);
    if (!unbounded || atom.rfind("(?:", 0) == 0) {
      atom += quantifier;
    } else if (quantifier.size() == 1) {
      atom = "(?:" + atom + ")" + quantifier;
    } else {
      atom = atom + quantifier.substr(0, quantifier.size() - 2) + "}(?:" + atom + ")*";
    }
    if (IsQuantifierStart(Peek())) Fail("quantifier does not follow a repeatable item");
    return atom;
  }

  uint32_t Number() {
    const size_t start = m_pos;
    uint64_t value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (Next() - '0');
      if (value > kMaxRepeat) FailAt("number too big in {} quantifier", start);
    }
    if (m_pos == start) Fail("malformed {} quantifier");
    return static_cast<uint32_t>(value);
  }

  std::string Quantifier() {
    const uint32_t c = Next();
    if (c != '{') return std::string(1, static_cast<char>(c));
    const size_t start = m_pos - 1;
    const uint32_t min = Number();
    std::string out = "{" + std::to_string(min);
    if (Peek() == ',') {
      ++m_pos;
      out += ',';
      if (Peek() != '}') {
        const uint32_t max = Number();
        if (max < min) FailAt("numbers out of order in {} quantifier", start);
        out += std::to_string(max);
      }
    }
    if (Peek() != '}') Fail("malformed {} quantifier");
    ++m_pos;
    return out + "}";
  }

  // atom ::= NormalChar | charClass | '(' regExp ')'
  std::string Atom() {
    const uint32_t c = Peek();
    switch (c) {
      case '(': {
        ++m_pos;
        std::string inner = RegExp();
        if (Peek() != ')') Fail("missing closing parenthesis");
        ++m_pos;
        return "(?:" + inner + ")";
      }
      case '[':
        ++m_pos;
        return ClassExpression();
      case '.':
        ++m_pos;
        return "[^\\n\\r]";
      case '\\':
        return UnionExpression({Escape()});
      case ']':
      case '{':
      case '}':
        Fail(std::string("unescaped ") + static_cast<char>(c));
      default:
        ++m_pos;
        return Literal(c);
    }
  }

  static std::string Literal(uint32_t c) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return plain ? std::string(1, static_cast<char>(c)) : Hex(c);
  }

  // After '[': charGroup ']' where charGroup ::= '^'? posCharGroup ( '-' charClassExpr )?
  std::string ClassExpression() {
    const bool negated = Peek() == '^';
    if (negated) ++m_pos;
    std::vector<SetPart> parts = PositiveGroup();
    std::string subtracted;
    if (Peek() == '-' && Peek(1) == '[') {
      m_pos += 2;
      subtracted = ClassExpression();
    }
    if (AtEnd()) Fail("missing terminating ] for character class");
    // Only a subtraction can stop a group short of its ']'.
    if (Next() != ']') FailAt("a subtraction must end its character class", m_pos - 1);
    std::string out;
    if (!negated) {
      out = UnionExpression(parts);
    } else if (AllPositive(parts)) {
      std::string body;
      for (const SetPart& part : parts) body += part.body;
      out = body.empty() ? std::string(kAnyCharacter) : "[^" + body + "]";
    } else {
      out = "(?:(?!" + UnionExpression(parts) + ")" + std::string(kAnyCharacter) + ")";
    }
    if (subtracted.empty()) return out;
    return "(?:(?!" + subtracted + ")" + out + ")";
  }

  // posCharGroup ::= ( charRange | charClassEsc )+. An unescaped '-' stands
  // for itself only first or last in the group; elsewhere it must start a
  // subtraction.
  std::vector<SetPart> PositiveGroup() {
    std::vector<SetPart> parts;
    const size_t start = m_pos;
    while (!AtEnd() && Peek() != ']') {
      const uint32_t c = Peek();
      if (c == '-') {
        if (Peek(1) == '[') break;
        if (m_pos != start && Peek(1) != ']') Fail("unescaped - in a character class");
        ++m_pos;
        parts.push_back({Hex(c)});
        continue;
      }
      if (c == '[') Fail("unescaped [ in a character class");
      uint32_t first;
      if (c == '\\') {
        SetPart part = Escape();
        if (!m_single) {
          parts.push_back(std::move(part));
          continue;
        }
        first = m_singleChar;
      } else {
        first = Next();
      }
      // A range needs an end after the '-': not ']' (the '-' is then the last
      // member) and not '[' (a subtraction).
      if (Peek() == '-' && Peek(1) != ']' && Peek(1) != '[' && Peek(1) != kEnd) {
        ++m_pos;
        const size_t endAt = m_pos;
        const uint32_t last = RangeEnd();
        if (last < first) FailAt("range out of order in character class", endAt);
        parts.push_back({RangeBody(first, last)});
      } else {
        parts.push_back({Hex(first)});
      }
    }
    if (m_pos == start) Fail("empty character class");
    return parts;
  }

  uint32_t RangeEnd() {
    const uint32_t c = Peek();
    if (c == '-') Fail("unescaped - in a character class");
    if (c != '\\') return Next();
    Escape();
    if (!m_single) Fail("a range cannot end in a class escape");
    return m_singleChar;
  }

  // At '\'. A single-character escape sets m_single and m_singleChar; the
  // others return their set.
  SetPart Escape() {
    const size_t at = m_pos;
    ++m_pos;
    if (AtEnd()) FailAt("\\ at end of pattern", at);
    const uint32_t c = Next();
    m_single = false;
    switch (c) {
      case 'n':
        return Single('\n');
      case 'r':
        return Single('\r');
      case 't':
        return Single('\t');
      case '\\': case '|': case '.': case '?': case '*': case '+': case '(': case ')':
      case '{': case '}': case '-': case '[': case ']': case '^':
        return Single(c);
      case 's':
        return {"\\t\\n\\r\\x{20}"};
      case 'S':
        return {"\\t\\n\\r\\x{20}", true};
      case 'i':
        return {RangesBody(kNameStart)};
      case 'I':
        return {RangesBody(kNameStart), true};
      case 'c':
        return {RangesBody(kNameStart) + RangesBody(kNameOnly)};
      case 'C':
        return {RangesBody(kNameStart) + RangesBody(kNameOnly), true};
      case 'd':
        return {"\\p{Nd}"};
      case 'D':
        return {"\\p{Nd}", true};
      // Every character but punctuation, separators and "other" characters.
      case 'w':
        return {"\\p{P}\\p{Z}\\p{C}", true};
      case 'W':
        return {"\\p{P}\\p{Z}\\p{C}"};
      case 'p':
      case 'P':
        return Property(c == 'P', at);
      default:
        FailAt("unknown escape \\" + Utf8(c), at);
    }
  }

  SetPart Single(uint32_t c) {
    m_single = true;
    m_singleChar = c;
    return {Hex(c)};
  }

  // After \p or \P: '{' (category | 'Is' block) '}'.
  SetPart Property(bool negated, size_t at) {
    if (Peek() != '{') FailAt("malformed \\p or \\P", at);
    ++m_pos;
    std::string name;
    while (!AtEnd() && Peek() != '}') name += Utf8(Next());
    if (AtEnd()) FailAt("malformed \\p or \\P", at);
    ++m_pos;
    for (std::string_view category : kCategories) {
      if (name == category) return {"\\p{" + name + "}", negated};
    }
    std::vector<CodePointRange> ranges;
    if (name.rfind("Is", 0) == 0 && FindUnicodeBlock(std::string_view(name).substr(2), ranges)) {
      std::string body;
      for (const CodePointRange& range : ranges) body += RangeBody(range.first, range.last);
      return {body, negated};
    }
    FailAt("unknown category or block \\p{" + name + "}", at);
  }

  static std::string Utf8(uint32_t c) { return WideToUtf8(std::wstring(1, static_cast<wchar_t>(c))); }

  std::wstring m_text;
  size_t m_pos = 0;
  bool m_single = false;  // the last escape stood for one character
  uint32_t m_singleChar = 0;
};

}  // namespace

bool TranslateXsdRegex(std::string_view pattern, std::string& pcre, std::string& error) {
  std::wstring text;
  if (!Utf8ToWide(pattern, text)) {
    error = "the pattern is not UTF-8";
    return false;
  }
  try {
    pcre = Translator(std::move(text)).Run();
    return true;
  } catch (const SyntaxError& e) {
    error = e.text;
    return false;
  }
}

}  // namespace Korvel::detail
