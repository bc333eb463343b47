#include "intake/line_reader.h"

#include <fcntl.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <vector>

#include "intake/line_decoder.h"
#include "temp_dir.h"

namespace twk {
namespace {

struct ReadLine {
  std::string text;
  std::uint64_t length;
  std::uint64_t number;
};

std::vector<ReadLine> readAll(const std::string& bytes) {
  const test::TempDir dir;
  const int fd = ::open(dir.write("log", bytes).c_str(), O_RDONLY);
  LineReader reader(fd, "log");
  std::vector<ReadLine> lines;
  for (LogLine line; reader.next(line);) lines.push_back({std::string(line.text), line.length, line.number});
  ::close(fd);
  return lines;
}

std::vector<std::string> textsOf(const std::vector<ReadLine>& lines) {
  std::vector<std::string> texts;
  for (const ReadLine& line : lines) texts.push_back(line.text);
  return texts;
}

TEST(LineReader, EveryKindOfLineEndEndsALine) {
  using Texts = std::vector<std::string>;
  const std::pair<std::string, Texts> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"\n\n\n", {"", "", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const auto& [bytes, texts] : cases) EXPECT_EQ(textsOf(readAll(bytes)), texts) << bytes;
}

std::string utf16(const std::string& text, bool little) {
  std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    const char high = c == '~' ? '\x20' : '\0';  // '~' stands for U+2000, a non-ASCII character
    const char low = c == '~' ? '\0' : c;
    bytes += little ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(LineReader, ByteOrderMarksAreHonoured) {
  using Texts = std::vector<std::string>;
  const std::pair<std::string, Texts> cases[] = {
      {"\xEF\xBB\xBF" "58 30\r\nnext", {"58 30", "next"}},
      {"\xEF\xBB", {"\xEF\xBB"}},  // too short to be a mark
      {utf16("4B 2D\r\n31~\nend", true), {"4B 2D", "31?", "end"}},
      {utf16("4B 2D\r\n31~\nend", false), {"4B 2D", "31?", "end"}},
      {utf16("ab", true) + "\x41", {"ab"}},  // a lone last byte is no character
      {"x\xFF\xFE", {"x\xFF\xFE"}},  // only at the very start
  };
  for (const auto& [bytes, texts] : cases) EXPECT_EQ(textsOf(readAll(bytes)), texts) << bytes;

  // Long UTF-16 text crosses many refills of the raw buffer, with units split between reads.
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "0123456789\r\n";
  const auto lines = readAll(utf16(text, true) + "\x00");
  ASSERT_EQ(lines.size(), 40000u);
  EXPECT_EQ(lines[39999].text, "0123456789");
  EXPECT_EQ(lines[39999].number, 40000u);
}

TEST(LineReader, LinesAcrossBufferRefillsAndCrLfSplitByARefill) {
  // The reader fills 256 KiB at a time; put a CR as the last byte of the first fill.
  const std::size_t fill = 256 * 1024;
  std::string first(fill - 1, 'x');
  const std::string bytes = first + "\r\nsecond\r\n" + std::string(fill, 'y') + "\nlast";
  const auto lines = readAll(bytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].length, fill - 1);
  EXPECT_EQ(lines[0].text.size(), kMaxLineLength);  // kept only up to the bound
  EXPECT_EQ(lines[1].text, "second");
  EXPECT_EQ(lines[1].number, 2u);
  EXPECT_EQ(lines[2].length, fill);
  EXPECT_EQ(lines[3].text, "last");
  EXPECT_EQ(lines[3].number, 4u);
}

TEST(LineReader, LongLinesKeepTheirFirstCharactersAndFullLength) {
  const std::string head = "C0 00 A0 86 58 30 54 57 4B 2D 31";
  for (const std::size_t length : {kMaxLineLength - 1, kMaxLineLength, kMaxLineLength + 1,
                                   std::size_t{70000}, std::size_t{600000}}) {
    const std::string line = head + std::string(length - head.size(), '5');
    const auto lines = readAll(line + "\r\nnext");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].length, length);
    EXPECT_EQ(lines[0].text, line.substr(0, kMaxLineLength));
    EXPECT_EQ(lines[1].text, "next");
  }
}

}  // namespace
}  // namespace twk
