// A whole log through the chunked, threaded converter and through the straightforward decoder:
// the rows and the error must be the same bytes, and the window's load the same packets. The first
// byte picks the chunk size (down to one character, so that chunk edges fall everywhere), the
// thread count and the separator.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "export/store_loader.h"
#include "fuzz_check.h"
#include "simple_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  if (size == 0) return 0;
  constexpr std::size_t kChunkSizes[] = {1, 2, 3, 5, 8, 13, 64, 4096};
  CsvConverterOptions options;
  options.chunkSize = kChunkSizes[data[0] % 8];
  options.threads = 1 + (data[0] >> 3) % 3;
  const std::string separator = (data[0] & 0x80) != 0 ? "," : ".";

  const int fd = ::memfd_create("log", MFD_CLOEXEC);
  TWK_FUZZ_CHECK(fd >= 0);
  TWK_FUZZ_CHECK(::write(fd, data + 1, size - 1) == static_cast<ssize_t>(size - 1));
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  const test::CsvRows expected = test::simpleCsvRows(path, separator);
  const test::CsvRows converted = test::convertedCsvRows(path, separator, options);
  // The window's load takes the same path: the same packet bytes, or nothing where the line
  // decoder has to stop the load.
  PacketStore line(kMostPacketsHeld);
  PacketStore chunked(kMostPacketsHeld);
  StoreSink lineSink(line);
  StoreSink chunkedSink(chunked);
  const bool lineDecoded = expected.error.empty();
  if (lineDecoded) decodeLog(path, lineSink);
  const bool loaded = loadLogInChunks(path, chunkedSink, chunked, 0, options.chunkSize);
  ::close(fd);
  TWK_FUZZ_CHECK(converted == expected);
  TWK_FUZZ_CHECK(loaded == lineDecoded);
  TWK_FUZZ_CHECK(chunked.Packet_Count == (loaded ? line.Packet_Count : 0));
  for (int row = 1; row <= chunked.Packet_Count; ++row) {
    TWK_FUZZ_CHECK(chunked.Packet_Bytes(row) == line.Packet_Bytes(row));
  }
  return 0;
}
