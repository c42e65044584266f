// SPDX-License-Identifier: MIT
// korvel dump FILE.fi: a Fast Infoset document's items and how each name and
// value used the vocabulary tables.
#include <cstdio>
#include <map>
#include <string>

#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_items.h>

#include "command.h"
#include "formats.h"
#include "text.h"

namespace korvel_cli {

namespace {

using Korvel::FiCoding;

constexpr char kHelp[] =
    "usage: korvel dump [OPTIONS] FILE.fi\n"
    "\n"
    "Lists the items of a Fast Infoset document (possibly gzip-compressed; '-' for\n"
    "standard input) as the library's reader meets them, one per line, indented by\n"
    "depth: namespace declarations, elements, attributes, text and element ends.\n"
    "Beside each name and value: 'new N' when it is written out and entered in its\n"
    "vocabulary table at index N, 'ref N' when it refers to entry N, 'literal'\n"
    "when it is written out and not entered. A summary of the vocabulary use ends\n"
    "the listing. Comments and processing instructions are not listed; long values\n"
    "are cut at 60 characters.\n"
    "\n"
    "Options:\n"
    "  --fi-vocabulary-uri URI  the document's external vocabulary URI, accepted as\n"
    "                           the (empty) generated vocabulary\n"
    "\n"
    "Exit status: 0 ok, 1 not a Fast Infoset document or malformed, 2 a usage error.\n";

constexpr size_t kValueWidth = 60;
constexpr size_t kItemWidth = 56;  // the column where codings start, less two

struct Tally {
  uint64_t added = 0;
  uint64_t referenced = 0;
  uint64_t literal = 0;

  void Count(FiCoding coding) {
    (coding == Korvel::FiCoding_Added     ? added
     : coding == Korvel::FiCoding_Indexed ? referenced
                                          : literal)++;
  }
};

std::string Coding(FiCoding coding, uint32_t index) {
  if (coding == Korvel::FiCoding_Added) return "new " + std::to_string(index);
  if (coding == Korvel::FiCoding_Indexed) return "ref " + std::to_string(index);
  return "literal";
}

// A value in double quotes, with line ends and quotes escaped, cut when long.
std::string Quoted(const std::wstring& value) {
  std::wstring shown;
  for (const wchar_t c : value.substr(0, kValueWidth)) {
    if (c == L'\n') {
      shown += L"\\n";
    } else if (c == L'\t') {
      shown += L"\\t";
    } else if (c == L'"' || c == L'\\') {
      shown += L'\\';
      shown += c;
    } else {
      shown += c;
    }
  }
  return "\"" + Narrow(shown) + (value.size() > kValueWidth ? "\"..." : "\"");
}

class Listing : public Korvel::IFastInfosetItemSink {
 public:
  void OnNamespace(const std::wstring& prefix, const std::wstring& namespaceUri) override {
    m_prefixes[namespaceUri] = prefix;
    Line("namespace " + (prefix.empty() ? std::string("(default)") : Narrow(prefix)) + " = " +
             Narrow(namespaceUri),
         {});
    ++m_namespaces;
  }

  void OnElementStart(const std::wstring& namespaceUri, const std::wstring& localName,
                      FiCoding coding, uint32_t index) override {
    Line("element " + Name(namespaceUri, localName), "name " + Coding(coding, index));
    m_names.Count(coding);
    ++m_elements;
    ++m_depth;
  }

  void OnAttribute(const std::wstring& namespaceUri, const std::wstring& localName,
                   FiCoding nameCoding, uint32_t nameIndex, const std::wstring& value,
                   FiCoding valueCoding, uint32_t valueIndex) override {
    Line("@" + Name(namespaceUri, localName) + " = " + Quoted(value),
         "name " + Coding(nameCoding, nameIndex) + ", value " + Coding(valueCoding, valueIndex));
    m_names.Count(nameCoding);
    m_values.Count(valueCoding);
    ++m_attributes;
  }

  void OnCharacters(const std::wstring& text, FiCoding coding, uint32_t index) override {
    Line("text " + Quoted(text), "value " + Coding(coding, index));
    m_values.Count(coding);
    ++m_chunks;
  }

  void OnElementEnd() override {
    --m_depth;
    Line("end", {});
  }

  void PrintSummary() const {
    std::printf(
        "\n%llu elements, %llu attributes, %llu text chunks, %llu namespace declarations\n"
        "names:  %llu new, %llu ref, %llu literal\n"
        "values: %llu new, %llu ref, %llu literal\n",
        U(m_elements), U(m_attributes), U(m_chunks), U(m_namespaces), U(m_names.added),
        U(m_names.referenced), U(m_names.literal), U(m_values.added), U(m_values.referenced),
        U(m_values.literal));
  }

 private:
  static unsigned long long U(uint64_t value) { return value; }

  // prefix:local when the document declared a prefix, {uri}local otherwise.
  std::string Name(const std::wstring& namespaceUri, const std::wstring& localName) const {
    if (namespaceUri.empty()) return Narrow(localName);
    const auto found = m_prefixes.find(namespaceUri);
    if (found == m_prefixes.end()) return "{" + Narrow(namespaceUri) + "}" + Narrow(localName);
    if (found->second.empty()) return Narrow(localName);
    return Narrow(found->second) + ":" + Narrow(localName);
  }

  void Line(const std::string& item, const std::string& coding) const {
    std::string text = std::string(2 * m_depth, ' ') + item;
    if (!coding.empty()) {
      // Columns count characters, not the bytes of their UTF-8 forms.
      size_t width = 0;
      for (const char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      text.append(width < kItemWidth ? kItemWidth - width : 0, ' ');
      text += "  " + coding;
    }
    std::printf("%s\n", text.c_str());
  }

  std::map<std::wstring, std::wstring> m_prefixes;
  size_t m_depth = 0;
  uint64_t m_elements = 0;
  uint64_t m_attributes = 0;
  uint64_t m_chunks = 0;
  uint64_t m_namespaces = 0;
  Tally m_names;
  Tally m_values;
};

int Run(const Arguments& arguments) {
  const std::vector<std::string>& operands = arguments.Operands();
  if (operands.size() != 1) throw UsageError("needs one file");
  Korvel::CFastInfosetContext options;
  if (arguments.Has("fi-vocabulary-uri")) {
    options.SetUseGeneratedVocabulary(true);
    options.SetExternalVocabularyURI(Widen(arguments.Value("fi-vocabulary-uri", {})));
  }
  const std::string bytes = ReadInput(Locate(operands[0]), arguments.Quiet());
  Listing listing;
  Korvel::ReadFastInfosetItems(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                               options, listing);
  listing.PrintSummary();
  return kExitOk;
}

}  // namespace

const Subcommand& DumpCommand() {
  static const Subcommand command{"dump",
                                  "list a Fast Infoset document's items and vocabulary use",
                                  kHelp,
                                  {{"fi-vocabulary-uri", true}},
                                  Run};
  return command;
}

}  // namespace korvel_cli
