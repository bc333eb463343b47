// The converter against the straightforward decoder: every raw input of every channel gives the
// same text, and generated logs (escapes, all line ends, byte-order marks, broken pairs, lines
// too long in either way, long lines padded with blanks) give the same rows and the same errors,
// with chunk edges everywhere.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "export/csv_row_formatter.h"
#include "export/store_loader.h"
#include "log_text.h"
#include "simple_csv.h"
#include "telemetry/channel_inputs.h"
#include "temp_dir.h"

namespace twk {
namespace {

TEST(CsvRowFormatter, EveryInputOfEveryChannelIsWrittenAsTheSimplePathWritesIt) {
  for (const std::string separator : {",", "\xD9\xAB"}) {
    CsvRowFormatter formatter(separator);
    std::vector<char> written(formatter.rowRoom());
    for (std::uint32_t word = 0; word < 65536; ++word) {
      ChannelBytes bytes;
      for (std::size_t k = 0; k < kChannelBytePositions; ++k) {
        // Every word channel reads word; the byte and count channels read its bytes in turn.
        bytes.at[k] = static_cast<std::uint8_t>(k % 2 == 1 ? word >> 8 : word);
      }
      for (const ChannelInput& input : channelInputs()) {
        if (input.source == ChannelSource::Word) {
          const auto k = static_cast<std::size_t>(input.position);
          bytes.at[k] = static_cast<std::uint8_t>(word >> 8);
          bytes.at[k + 1] = static_cast<std::uint8_t>(word);
        }
      }
      ChannelRow values;
      convertPacket(bytes.at, values);
      std::string expected;
      appendCsvRow(expected, values, separator);
      // Twice: the second row comes from the texts the first one kept.
      for (int round = 0; round < 2; ++round) {
        char* end = formatter.writeRow(bytes, written.data());
        ASSERT_EQ(std::string(written.data(), end), expected) << "word " << word;
      }
    }
  }
}

// A log as a station might garble it: telemetry lines (some with lower-case digits, doubled or
// trailing blanks, a lone last digit, a pair split by a blank, characters that are no digit),
// other stations, notes, empty lines, raw bytes; CR LF, LF and CR at random.
std::string randomLog(std::mt19937& random, int lines) {
  const auto below = [&random](unsigned n) { return static_cast<unsigned>(random() % n); };
  static constexpr const char* kEscapes[] = {"D7 DF", "D7 D8", "D7 D9", "D7 DA", "D7 DE", "D7 D6"};
  static constexpr const char* kEnds[] = {"\r\n", "\n", "\r"};
  std::string log;
  for (int i = 0; i < lines; ++i) {
    std::string line;
    const unsigned kind = below(20);
    if (kind < 12) {
      line = kind == 0 ? "C0 00 A0 86 58 30 54 57 4C 2D 31" : "C0 00 A0 86 58 30 54 57 4B 2D 31";
      const unsigned length = 11 + below(below(8) == 0 ? 140 : 80);  // at most 150 bytes
      for (unsigned b = 11; b < length; ++b) {
        char pair[8];
        const unsigned value = below(256);
        if (below(32) == 0) {
          std::snprintf(pair, sizeof pair, "%s", kEscapes[below(6)]);
        } else {
          std::snprintf(pair, sizeof pair, "%02X", value);
        }
        line += ' ';
        line += pair;
      }
      // Somewhere after the marker, or its last character on a line of header and marker only.
      const std::size_t at =
          line.size() > 32 ? 32 + below(static_cast<unsigned>(line.size()) - 32) : 31;
      switch (below(12)) {
        case 0: line[at] = ' '; break;
        case 1: line.insert(at, " "); break;
        case 2: line += ' '; break;
        case 3: line.pop_back(); break;
        case 4: line[at] = "gZa-\t"[below(5)]; break;
        case 5:
          for (char& c : line) c = static_cast<char>(std::tolower(c));
          break;
        default: break;
      }
    } else if (kind < 16) {
      for (unsigned n = below(60); n > 0; --n) line += static_cast<char>(' ' + below(95));
    } else if (kind < 18) {
      for (unsigned n = below(40); n > 0; --n) {
        const char c = static_cast<char>(below(256));
        if (c != '\r' && c != '\n') line += c;
      }
    }
    log += line;
    log += kEnds[below(3)];
  }
  if (below(2) == 0) log.erase(log.find_last_not_of("\r\n") + 1);
  return log;
}

// Long lines. Too long to store: too many hex digits after un-escaping (1); too many
// characters besides blanks, in one run (2) or as pairs (5). Harmless: a long line of another
// station (3); a packet padded with blanks, as long as read but short without them (4).
std::string longLine(int kind) {
  const std::string marker = "C0 00 A0 86 58 30 54 57 4B 2D 31";
  switch (kind) {
    case 1: {
      std::string line = marker;
      for (int b = 11; b < 151; ++b) line += " D7 DF";
      return line + " 5";  // 151 bytes and a digit: 303 hex digits
    }
    case 2: return marker + std::string(70000, '0');
    case 4:
      return marker + " 01" + std::string(40000, ' ') + "D7" + std::string(40000, ' ') +
             " D7 DE 02";
    case 5: {
      std::string line = marker;
      while (line.size() < 100000) line += " D7 DE";
      return line;
    }
    default: return "C0 00 A0 86 58 30 54 57 4B 2D 32" + std::string(70000, ' ');
  }
}

std::string encoded(const std::string& text, int encoding) {
  if (encoding == 0) return text;
  if (encoding == 1) return "\xEF\xBB\xBF" + text;
  std::string wide = encoding == 2 ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    // Each character a 16-bit unit; those of a raw byte above 127 read as '?'.
    wide += encoding == 2 ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return wide;
}

// Also reading on past lines that cannot be stored, as twk-csv -k does: every other row, and
// each skipped line noted in the log's order.
TEST(CsvConverter, GivesTheRowsAndTheErrorOfTheSimplePath) {
  struct Case {
    unsigned seed;
    int lines;
    int longLineKind;  // 0 none, else longLine's kind
    int encoding;      // 0 plain, 1 UTF-8 mark, 2 UTF-16 LE, 3 UTF-16 BE
    std::vector<std::pair<std::size_t, unsigned>> runs;  // chunk size, threads
  };
  const std::vector<std::pair<std::size_t, unsigned>> tiny = {{1, 1}, {2, 3},  {3, 2},
                                                              {7, 2}, {64, 3}, {4096, 2}};
  const std::vector<std::pair<std::size_t, unsigned>> large = {{4096, 3}, {256 * 1024, 2}};
  const std::vector<std::pair<std::size_t, unsigned>> some = {{7, 2}, {4096, 2}};
  const Case cases[] = {
      {1, 150, 0, 0, tiny},     {2, 150, 1, 0, tiny},    {3, 150, 2, 0, tiny},
      {4, 150, 3, 0, tiny},     {5, 100, 0, 1, tiny},    {6, 100, 1, 2, tiny},
      {7, 100, 0, 3, tiny},     {8, 12000, 1, 0, large}, {9, 12000, 2, 0, large},
      {10, 12000, 0, 2, large}, {11, 150, 4, 0, some},   {12, 150, 5, 1, some},
      {13, 3000, 4, 0, large},  {14, 3000, 5, 0, large},
  };
  const test::TempDir dir;
  for (const Case& c : cases) {
    std::mt19937 random(c.seed);
    std::string text = randomLog(random, c.lines);
    const bool stored = c.longLineKind == 0 || c.longLineKind == 3 || c.longLineKind == 4;
    if (c.longLineKind != 0) {
      // Past the middle, so that rows come before it, and then more lines, which count only
      // when reading on.
      text += "\r\n" + longLine(c.longLineKind) + "\n" + randomLog(random, c.lines / 4);
    }
    const std::string path = dir.write("case.log", encoded(text, c.encoding));
    for (const auto& [separator, readOn] : {std::pair{".", false}, {",", false}, {".", true}}) {
      const test::CsvRows expected = test::simpleCsvRows(path, separator, readOn);
      ASSERT_EQ(expected.error.empty(), stored) << c.seed;
      const test::CsvRows whole = test::simpleCsvRows(path, separator, true);
      ASSERT_EQ(expected.rows.size() < whole.rows.size(), !stored && !readOn) << c.seed;
      for (const auto& [chunkSize, threads] : c.runs) {
        const test::CsvRows converted =
            test::convertedCsvRows(path, separator, {chunkSize, threads, {}}, readOn);
        EXPECT_EQ(converted.error, expected.error) << c.seed << " chunk " << chunkSize;
        ASSERT_EQ(converted.rows, expected.rows) << c.seed << " chunk " << chunkSize;
      }
    }
    // The window's load on the same path: the same packet bytes, lines shown and lines skipped
    // as the reference decoder reading on; only the first lines are shown where fewer are asked for.
    struct LinesSink : reference::StoreSink {
      using StoreSink::StoreSink;
      void lineShown(std::string_view text) override { lines.emplace_back(text); }
      void lineSkipped(const Error& e) override { lines.push_back(std::string("!") + e.what()); }
      std::vector<std::string> lines;
    };
    PacketStore line(kMostPacketsHeld);
    LinesSink lineSink(line);
    reference::decodeLog(path, lineSink);
    for (const auto& [chunkSize, threads] : c.runs) {
      PacketStore chunked(kMostPacketsHeld);
      test::LoadSink chunkedSink;
      const std::size_t shown = chunkSize % 7 == 0 ? 5 : lineSink.lines.size();
      loadLog(path, chunkedSink, chunked, shown, chunkSize);
      ASSERT_EQ(chunked.Packet_Count, line.Packet_Count) << c.seed;
      for (int row = 1; row <= chunked.Packet_Count; ++row) {
        ASSERT_EQ(chunked.Packet_Bytes(row), line.Packet_Bytes(row)) << c.seed << " row " << row;
      }
      std::vector<std::string> expectedLines;
      std::size_t shownLeft = shown;
      for (const std::string& text : lineSink.lines) {
        if (text[0] != '!' && shownLeft == 0) continue;
        if (text[0] != '!') --shownLeft;
        expectedLines.push_back(text);
      }
      EXPECT_EQ(chunkedSink.lines, expectedLines) << c.seed << " chunk " << chunkSize;
    }
  }
}

// A load stops at the packets held: the packets up to the line that does not fit are kept,
// that line is shown and named by the TableFull error.
TEST(StoreLoader, StopsAtTheLineThatDoesNotFit) {
  const test::TempDir dir;
  std::string text;
  for (int i = 0; i < 150; ++i)
    text += "other\n" + test::telemetryLine({{35, std::uint8_t(i)}}) + "\n";
  const std::string path = dir.write("full.log", text);
  for (const int before : {0, 30}) {
    PacketStore store(100);
    for (int i = 0; i < before; ++i) store.append();
    test::LoadSink sink;
    try {
      loadLog(path, sink, store, 0, 4096);
      ADD_FAILURE() << "no TableFull";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::TableFull);
      EXPECT_EQ(e.line(), static_cast<std::uint64_t>(2 * (100 - before) + 2));
    }
    ASSERT_EQ(store.Packet_Count, 100);
    EXPECT_EQ(store.Packet_Bytes(100)[35], 99 - before);
  }
}

}  // namespace
}  // namespace twk
