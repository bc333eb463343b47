#include "intake/store_loader.h"

#include <cstring>

#include "core/error.h"
#include "intake/log_file.h"
#include "intake/telemetry_line.h"

namespace twk {
namespace {

class PacketBytesDecoder : public ChunkDecoder {
 public:
  void packet(const ChannelBytes& bytes, DecodedChunk& chunk) override {
    std::memcpy(chunk.outputRoom(sizeof bytes.at), bytes.at.data(), sizeof bytes.at);
    chunk.outputSize += sizeof bytes.at;
  }
};

}  // namespace

StoreLoader::StoreLoader(PacketStore& store, PacketSink& sink, std::size_t maxLinesShown)
    : m_store(store), m_sink(sink), m_linesShownLeft(maxLinesShown) {}

StoreLoader::~StoreLoader() = default;

ChunkDecoder& StoreLoader::decoder(unsigned n) {
  while (m_decoders.size() <= n) m_decoders.push_back(std::make_unique<PacketBytesDecoder>());
  return *m_decoders[n];
}

void StoreLoader::passStarted() {
  m_store.markPassStart();
}

void StoreLoader::appendPackets(const DecodedChunk& chunk, std::size_t from, std::size_t to) {
  constexpr std::size_t kSize = sizeof(PacketBytes);
  for (std::size_t n = from; n < to; ++n) {
    std::memcpy(m_store.append().data(), chunk.output.data() + n * kSize, kSize);
  }
}

void StoreLoader::take(const DecodedChunk& chunk, const std::string& name,
                       std::uint64_t linesBefore) {
  const std::size_t packets = chunk.packets;
  const auto fits = [&](std::size_t count) {
    return m_store.whenFull() == PacketStore::WhenFull::DropOldest ||
           static_cast<std::size_t>(m_store.count()) + count <=
               static_cast<std::size_t>(m_store.capacity());
  };
  if (chunk.skipped.empty() && m_linesShownLeft == 0 && fits(packets)) {
    appendPackets(chunk, 0, packets);
    return;
  }
  // The lines one by one, as far as a line is shown, skipped or does not fit.
  const char* p = chunk.input.text.data();
  const char* const end = p + chunk.input.size;
  auto skipped = chunk.skipped.begin();
  std::size_t packet = 0;
  for (std::uint64_t line = 1; line <= chunk.lines; ++line) {
    if (skipped == chunk.skipped.end() && m_linesShownLeft == 0 && fits(packets - packet)) {
      appendPackets(chunk, packet, packets);
      return;
    }
    const std::string_view text =
        chunk.input.longLineLength != 0 ? chunk.input.lines() : takeLine(p, end);
    if (skipped != chunk.skipped.end() && skipped->first == line) {
      m_sink.lineSkipped(Error(ErrorKind::LineTooLong, name, linesBefore + line, skipped->second));
      ++skipped;
      continue;
    }
    if (!isTelemetryLine(text)) continue;
    if (!m_store.hasRoom()) {
      // The line that does not fit is shown, so the user sees where the load stopped.
      unescapeLine(text, m_shown);
      m_sink.lineShown(m_shown);
      throw Error(ErrorKind::TableFull, name, linesBefore + line,
                  "packet table full: a load holds at most " + std::to_string(m_store.capacity()) +
                      " packets");
    }
    appendPackets(chunk, packet, packet + 1);
    ++packet;
    if (m_linesShownLeft != 0) {
      --m_linesShownLeft;
      unescapeLine(text, m_shown);
      m_sink.lineShown(m_shown);
    }
  }
}

void storeLog(const std::string& path, PacketSink& sink, PacketStore& store,
              std::size_t maxLinesShown, std::size_t chunkSize, unsigned threads) {
  const LogFile file(path);
  sink.fileStarted(path);
  StoreLoader loader(store, sink, maxLinesShown);
  ChunkPipeline pipeline(loader, threads, chunkSize);
  ChunkReader reader(file.fd(), pipeline.chunkSize());
  std::uint64_t lines = 0;
  pipeline.run(reader, file.name(), lines);
}

}  // namespace twk
