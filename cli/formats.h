// SPDX-License-Identifier: MIT
// The three encodings as the command sees them: told from file names, options
// or content; read into a document; written from one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/json_context.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_encoding.h>

namespace Korvel {
class CXmlDocument;
}

namespace korvel_cli {

class Arguments;
class Progress;
class TreeWriter;

enum class Format { kXml, kJson, kFastInfoset };

const char* FormatName(Format format);
// "xml", "json" or "fi"; anything else throws UsageError naming the option.
Format ParseFormat(const std::string& name, const char* option);

// A file operand: "-" stands for standard input or output. The format and
// compression come from the extensions: .xml, .json, .fi, each maybe + .gz.
struct Location {
  std::string path;
  std::optional<Format> format;
  bool gzip = false;

  bool IsStandardStream() const { return path == "-"; }
  // How messages name it.
  std::string Name(bool output) const;
};
Location Locate(const std::string& path);

// The whole input. Throws FileError for a file that cannot be read.
std::string ReadInput(const Location& input, bool quiet);
// The format of bytes whose name does not tell it: JSON starts with "{" or "["
// (after whitespace or a byte-order mark); anything else, compressed input
// included, goes to the loader, which tells XML text from Fast Infoset.
Format SniffFormat(std::string_view bytes);

// What reading needs besides the bytes: the JSON mapping (from
// --json-roundtrip and --json-root).
struct InputOptions {
  Korvel::CSerializationContext context;

  void Apply(const Arguments& arguments);
};

// Throws the library's exceptions for a malformed document.
void LoadDocument(Korvel::CXmlDocument& document, std::string_view bytes, Format format,
                  const InputOptions& options);

struct OutputOptions {
  // XML text
  Korvel::XmlEncoding encoding = Korvel::XmlEncoding_UTF8;
  bool declaration = true;
  // XML text and JSON
  bool formatted = true;
  Korvel::EOLType eol = Korvel::EOL_LF;
  std::wstring indent = L"\t";
  // JSON
  Korvel::JsonRoundTrip roundTrip = Korvel::JsonRoundTrip_Full;
  // Fast Infoset
  Korvel::CFastInfosetContext fastInfoset;

  // Throws UsageError for a bad value.
  void Apply(const Arguments& arguments);
};

// The document encoded in memory, uncompressed (UTF-16 with its byte-order mark).
Korvel::CBinaryData Encode(const TreeWriter& tree, Format format, const OutputOptions& options,
                           Progress* progress);
// The document written to a file or standard output, compressed when
// output.gzip; text goes to a plain file as it is produced.
void WriteDocument(const TreeWriter& tree, const Location& output, Format format,
                   const OutputOptions& options, Progress* progress);

}  // namespace korvel_cli
