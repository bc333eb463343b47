// A whole file through the decoder into a store that is nearly full (4990 packets), as the
// window decodes it: whatever happens, the count stays within the table and every stored row is
// converted before the error reaches the caller.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/error.h"
#include "fuzz_check.h"
#include "intake/log_decoder.h"
#include "telemetry/channel_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk;
  static PacketStore store;
  static ChannelStore values;
  constexpr int kStart = 4990;

  const int fd = ::memfd_create("log", MFD_CLOEXEC);
  TWK_FUZZ_CHECK(fd >= 0);
  TWK_FUZZ_CHECK(::write(fd, data, size) == static_cast<ssize_t>(size));
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  store.Packet_Count = kStart;
  StoreSink sink(store);
  try {
    decodeLogIntoStore(path, sink, store, values);
  } catch (const Error& e) {
    TWK_FUZZ_CHECK(e.kind() == ErrorKind::LineTooLong || e.kind() == ErrorKind::TableFull);
    TWK_FUZZ_CHECK(e.line() >= 1);
    TWK_FUZZ_CHECK(e.file() == path);
  }
  ::close(fd);

  TWK_FUZZ_CHECK(store.Packet_Count >= kStart && store.Packet_Count <= kMaxPackets);
  for (int p = kStart + 1; p <= store.Packet_Count; ++p) {
    ChannelRow expected;
    convertPacket(store.Packet_Bytes[static_cast<std::size_t>(p)], expected);
    TWK_FUZZ_CHECK(std::memcmp(expected.data(),
                               values.Channel_Values[static_cast<std::size_t>(p)].data(),
                               sizeof expected) == 0);
  }
  return 0;
}
