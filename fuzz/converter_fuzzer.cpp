// A whole log through the chunked converter and through the straightforward decoder: the rows and
// the error must be the same bytes, and the window's load the same packets and skipped lines. The
// first byte picks the chunk size (down to one character, so that chunk edges fall everywhere in a
// short log), the separator, and for one input in eight the thread pool instead of the caller's
// thread.
//
// The converters are kept from input to input, as twk-csv keeps one for all its logs, so that an
// input costs no thread starts; what one log leaves behind in a converter must not change the
// next. The window's load decodes on the caller's thread too, except for that same share. The log
// is one memory file, rewritten for each input.
//
// What it cannot tell apart: a fault both paths share (the channel table, which lines are
// telemetry, the reason a line too long gives), and the orders in which the threads could finish
// beyond the one each run happens to take.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "export/csv_converter.h"
#include "fuzz_check.h"
#include "intake/store_loader.h"
#include "simple_csv.h"

namespace {

using namespace twk;

struct KeptConverter {
  std::string* rows = nullptr;  // where the rows of the log being converted go
  std::unique_ptr<CsvConverter> converter;
};

test::CsvRows convertedRows(const std::string& path, const std::string& separator,
                            std::size_t chunkSize, unsigned threads) {
  static std::map<std::tuple<std::string, std::size_t, unsigned>, KeptConverter> kept;
  KeptConverter& entry = kept[{separator, chunkSize, threads}];
  if (!entry.converter) {
    entry.converter = std::make_unique<CsvConverter>(
        [&entry](std::string_view rows) { entry.rows->append(rows); }, separator,
        CsvConverterOptions{.chunkSize = chunkSize, .threads = threads, .skipped = {}});
  }
  test::CsvRows result;
  entry.rows = &result.rows;
  try {
    entry.converter->convertLog(path);
  } catch (const Error& e) {
    result.error = e.what();
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr std::size_t kChunkSizes[] = {1, 2, 3, 5, 8, 13, 64, 4096};
  // A long input gets chunks long enough that it is read in at most about 32 of them (each one
  // read() for each decoder that reads in chunks), a power of two, so that few converters are
  // kept; the short inputs the fuzzer mostly makes still get chunk edges at every byte.
  const std::size_t chunkSize = std::max(kChunkSizes[data[0] % 8], std::bit_ceil(size / 32));
  const unsigned threads = (data[0] >> 3) % 8 == 0 ? 2 : 1;
  const std::string separator = (data[0] & 0x80) != 0 ? "," : ".";

  static const int fd = ::memfd_create("log", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  TWK_FUZZ_CHECK(fd >= 0 && ::ftruncate(fd, 0) == 0);
  TWK_FUZZ_CHECK(::pwrite(fd, data + 1, size - 1, 0) == static_cast<ssize_t>(size - 1));
  const test::CsvRows expected = test::simpleCsvRows(path, separator);
  const test::CsvRows converted = convertedRows(path, separator, chunkSize, threads);
  TWK_FUZZ_CHECK(converted == expected);
  // The window's load takes the same path, reading on past lines that cannot be stored: the same
  // packet bytes and skipped lines as the reference decoder reading on.
  struct LineSink : reference::StoreSink {
    using StoreSink::StoreSink;
    void lineSkipped(const Error& e) override { lines.push_back("!" + std::string(e.what())); }
    std::vector<std::string> lines;
  };
  // The stores are kept too and emptied: a fresh one would clear its first block of slots.
  static PacketStore line(kMostPacketsHeld);
  static PacketStore chunked(kMostPacketsHeld);
  line.clear();
  chunked.clear();
  LineSink lineSink(line);
  test::LoadSink chunkedSink;
  reference::decodeLog(path, lineSink);
  storeLog(path, chunkedSink, chunked, 0, chunkSize, threads);
  TWK_FUZZ_CHECK(chunkedSink.lines == lineSink.lines);
  TWK_FUZZ_CHECK(chunked.count() == line.count());
  for (int row = 1; row <= chunked.count(); ++row)
    TWK_FUZZ_CHECK(chunked.bytes(row) == line.bytes(row));
  return 0;
}
