#include "export/csv_converter.h"

#include "core/error.h"
#include "export/csv_row_formatter.h"
#include "intake/log_file.h"

namespace twk {
namespace {

// The texts the threads' formatters keep share a budget.
constexpr std::size_t kKeptTexts = 2 << 20;

class CsvRowDecoder : public ChunkDecoder {
 public:
  CsvRowDecoder(const std::string& separator, std::size_t keptTextBytes)
      : m_formatter(separator, keptTextBytes) {}

  void packet(const ChannelBytes& bytes, DecodedChunk& chunk) override {
    char* const out = chunk.outputRoom(m_formatter.rowRoom());
    chunk.outputSize += static_cast<std::size_t>(m_formatter.writeRow(bytes, out) - out);
  }

 private:
  CsvRowFormatter m_formatter;
};

}  // namespace

CsvConverter::CsvConverter(Writer write, std::string separator, CsvConverterOptions options)
    : m_write(std::move(write)),
      m_separator(std::move(separator)),
      m_skipped(std::move(options.skipped)),
      m_chunkSize(options.chunkSize),
      m_threads(ChunkPipeline::threadsFor(options.threads)) {}

CsvConverter::~CsvConverter() = default;

ChunkDecoder& CsvConverter::decoder(unsigned n) {
  while (m_decoders.size() <= n) {
    m_decoders.push_back(std::make_unique<CsvRowDecoder>(m_separator, kKeptTexts / m_threads));
  }
  return *m_decoders[n];
}

void CsvConverter::take(const DecodedChunk& chunk, const std::string& name,
                        std::uint64_t linesBefore) {
  if (chunk.outputSize != 0) m_write(std::string_view(chunk.output.data(), chunk.outputSize));
  m_packets += chunk.packets;
  for (const auto& [line, reason] : chunk.skipped) {
    const Error error(ErrorKind::LineTooLong, name, linesBefore + line, reason);
    if (!m_skipped) throw error;
    m_skipped(error);
  }
}

std::uint64_t CsvConverter::convertLog(const std::string& path) {
  const LogFile file(path);
  if (!m_pipeline) m_pipeline = std::make_unique<ChunkPipeline>(*this, m_threads, m_chunkSize);
  ChunkReader reader(file.fd(), m_pipeline->chunkSize());
  const std::uint64_t before = m_packets;
  std::uint64_t lines = 0;
  m_pipeline->run(reader, file.name(), lines);
  return m_packets - before;
}

}  // namespace twk
