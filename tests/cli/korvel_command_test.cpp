// SPDX-License-Identifier: MIT
// The korvel command run as a user runs it: every subcommand, every format
// pair, the options that change the output, and the errors and exit statuses.

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Result {
  int status;
  std::string out;
  std::string err;
};

class KorvelCommand : public ::testing::Test {
 protected:
  std::string Temp(const std::string& name) const { return m_temp.Path(name); }

  // Runs `korvel arguments` in the test data folder, standard input from
  // the file named (or empty).
  Result Run(const std::string& arguments, const std::string& input = "/dev/null") const {
    const std::string out = Temp("stdout");
    const std::string err = Temp("stderr");
    const std::string command =
        std::string(KORVEL_COMMAND) + " " + arguments + " <" + input + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }

  // Converts and expects success with nothing said.
  void Convert(const std::string& arguments) const {
    const Result result = Run("convert " + arguments);
    ASSERT_EQ(result.status, 0) << arguments << "\n" << result.err;
    EXPECT_EQ(result.err, "") << arguments;
  }

  // order.xml as the command writes it back: what every round trip must give.
  std::string Expected() const { return ReadFile("order.expected.xml"); }

  const Korvel::testing::TempDir m_temp;
};

// Every format, plain and compressed, to every other and back to XML.
TEST_F(KorvelCommand, EveryFormatPairRoundTrips) {
  const char* const kFirst[] = {"a.xml", "a.xml.gz", "a.json", "a.json.gz", "a.fi", "a.fi.gz"};
  const char* const kSecond[] = {"b.xml", "b.json.gz", "b.fi"};
  for (const char* first : kFirst) {
    Convert("order.xml " + Temp(first));
    if (first == kFirst[0]) {
      EXPECT_EQ(ReadFile(Temp(first)), Expected());
    }
    for (const char* second : kSecond) {
      SCOPED_TRACE(std::string(first) + " -> " + second);
      Convert(Temp(first) + " " + Temp(second));
      Convert(Temp(second) + " " + Temp("back.xml"));
      EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());
    }
  }
  // Compressed output really is gzip; the reader recognises it by its content.
  EXPECT_EQ(ReadFile(Temp("a.fi.gz")).substr(0, 2), "\x1F\x8B");
  std::filesystem::copy_file(Temp("a.json.gz"), Temp("renamed"));
  Convert("--from json " + Temp("renamed") + " " + Temp("back.xml"));
  EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());
}

TEST_F(KorvelCommand, StandardStreamsAndFormatOptions) {
  Result json = Run("convert --to json - -", "order.xml");
  ASSERT_EQ(json.status, 0) << json.err;
  std::ofstream(Temp("piped"), std::ios::binary) << json.out;
  // JSON told by its content when no name or option gives the format.
  Result xml = Run("convert - -", Temp("piped"));
  ASSERT_EQ(xml.status, 0) << xml.err;
  EXPECT_EQ(xml.out, Expected());
  Convert("--to fi --gzip order.xml " + Temp("out"));
  xml = Run("convert " + Temp("out") + " -");
  EXPECT_EQ(xml.out, Expected());
}

TEST_F(KorvelCommand, Utf16OutputReadsBack) {
  Convert("--encoding utf-16 order.xml " + Temp("utf16.xml"));
  const std::string utf16 = ReadFile(Temp("utf16.xml"));
  EXPECT_EQ(utf16.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  Convert(Temp("utf16.xml") + " " + Temp("back.xml"));
  EXPECT_EQ(ReadFile(Temp("back.xml")), Expected());
}

// Unescapes a field of runs.txt: \n \r \t \\, and $T/ for the temporary folder.
std::string Field(const std::string& text, const std::string& temp) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 3, "$T/") == 0) {
      out += temp, i += 2;
    } else if (text[i] == '\\' && i + 1 < text.size()) {
      const char c = text[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The rows of runs.txt: output options, JSON levels, vocabulary options, check,
// dump, stats, help, and the usage and file errors with their exit statuses.
TEST_F(KorvelCommand, EveryRunGivesItsStatusAndOutput) {
  std::ifstream in("runs.txt");
  ASSERT_TRUE(in);
  std::string line;
  int rows = 0;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    for (size_t start = 0;;) {
      const size_t tab = line.find('\t', start);
      f.push_back(Field(line.substr(start, tab - start), Temp("")));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    SCOPED_TRACE("runs.txt:" + std::to_string(number) + ": korvel " + f[0]);
    ASSERT_GE(f.size(), 4u);
    const Result result = Run(f[0]);
    EXPECT_EQ(result.status, std::stoi(f[1])) << result.err;
    if (result.status == 0 || f[2][0] == 'e') {
      EXPECT_EQ(result.status == 0 ? result.err : result.out, "");
    }
    const std::string& stream = f[2][0] == 'o' ? result.out : result.err;
    if (f[2].back() == '=') {
      EXPECT_EQ(stream, f[3]);
    } else if (f[2].back() == '^') {
      EXPECT_EQ(stream.rfind(f[3], 0), 0u) << stream;
    } else {
      EXPECT_NE(stream.find(f[3]), std::string::npos) << stream;
    }
    if (f.size() > 4) {
      EXPECT_EQ(stream.find(f[4]), std::string::npos) << stream;
    }
    ++rows;
  }
  EXPECT_GT(rows, 0);
}

// The bar needs a terminal: `script` gives the command one.
TEST_F(KorvelCommand, ProgressBarOnATerminalUnlessQuiet) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  {
    std::ofstream big(Temp("big.xml"), std::ios::binary);
    big << "<orders>\n";
    for (int i = 0; i < 100000; ++i) {
      big << "\t<order id=\"" << i << "\"><total>9.95</total></order>\n";
    }
    big << "</orders>\n";
  }
  const std::string script = "script -qec '" + std::string(KORVEL_COMMAND) + " convert ";
  const auto run = [&](const std::string& options) {
    const std::string command = script + options + Temp("big.xml") + " " + Temp("big.fi") +
                                "' /dev/null >" + Temp("tty") + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return ReadFile(Temp("tty"));
  };
  EXPECT_NE(run("").find("writing  [===="), std::string::npos);
  EXPECT_EQ(run("--quiet "), "");
}

}  // namespace
