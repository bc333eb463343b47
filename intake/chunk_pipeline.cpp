#include "intake/chunk_pipeline.h"

#include <algorithm>
#include <system_error>

#include "core/error.h"
#include "intake/telemetry_line.h"

namespace twk {
namespace {

// Each chunk in flight holds its text and its output, up to about four times as long as the
// text (CSV rows of the shortest beacons). Two more chunks than threads keep the threads busy;
// with many threads the chunks get smaller, so that the text in flight stays within a budget.
constexpr unsigned kMaxThreads = 8;
constexpr std::size_t kSpareJobs = 2;
constexpr std::size_t kTextInFlight = 1536 * 1024;

}  // namespace

char* DecodedChunk::outputRoom(std::size_t size) {
  // Grows in small steps: what is resized is written to, and so takes memory.
  if (output.size() < outputSize + size) output.resize(outputSize + size + (outputSize + size) / 4);
  return output.data() + outputSize;
}

void decodeChunk(DecodedChunk& chunk, ChunkDecoder& decoder, bool stopAtSkipped) {
  const LogChunk& input = chunk.input;
  chunk.outputSize = 0;
  chunk.lines = 0;
  chunk.packets = 0;
  chunk.skipped.clear();
  if (input.longLineLength != 0) {
    chunk.lines = 1;
    if (isTelemetryLine(input.lines())) {
      chunk.skipped.emplace_back(1, lineTooLongReason(input.longLineLength, 0));
    }
    return;
  }
  ChannelBytes bytes;
  const char* p = input.text.data();
  const char* const end = p + input.size;
  while (p < end) {
    const std::string_view line = takeLine(p, end);
    ++chunk.lines;
    if (!isTelemetryLine(line)) continue;
    // Only a line over the limit as read can be over it without its blanks.
    const std::size_t nonBlanks = line.size() > kMaxLineLength ? countNonBlanks(line) : 0;
    if (nonBlanks <= kMaxLineLength) readChannelBytes(line, bytes);
    if (nonBlanks > kMaxLineLength || bytes.tooLong) {
      chunk.skipped.emplace_back(chunk.lines, lineTooLongReason(nonBlanks, bytes.shownLength));
      if (stopAtSkipped) return;
      continue;
    }
    decoder.packet(bytes, chunk);
    ++chunk.packets;
  }
}

unsigned ChunkPipeline::threadsFor(unsigned threads) {
  if (threads == 0) threads = std::thread::hardware_concurrency();
  return std::clamp(threads, 1u, kMaxThreads);
}

ChunkPipeline::ChunkPipeline(ChunkSink& sink, unsigned threads, std::size_t chunkSize)
    : m_sink(sink) {
  threads = threadsFor(threads);
  m_jobs.resize(threads == 1 ? 1 : threads + kSpareJobs);
  m_chunkSize = std::min(chunkSize, kTextInFlight / m_jobs.size());
  m_inline = threads == 1;
  if (!m_inline) startThreads(threads);
}

// Starts the pool; where the system refuses a thread, the ones it gave do the work, and without
// a single one the caller's thread decodes each chunk as it reads it. The decoders are all made
// first: a sink may keep them in a vector that grows.
void ChunkPipeline::startThreads(unsigned threads) {
  std::vector<ChunkDecoder*> decoders;
  for (unsigned n = 0; n < threads; ++n) decoders.push_back(&m_sink.decoder(n));
  for (ChunkDecoder* decoder : decoders) {
    try {
      m_threads.emplace_back([this, decoder] { work(*decoder); });
    } catch (const std::system_error&) {
      m_inline = m_threads.empty();
      return;
    }
  }
}

ChunkPipeline::~ChunkPipeline() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_queued.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

void ChunkPipeline::work(ChunkDecoder& decoder) {
  const bool stopAtSkipped = !m_sink.readsOn();
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_queued.wait(lock, [this] { return m_stopping || m_taken < m_submitted; });
    if (m_stopping) return;
    DecodedChunk& job = m_jobs[m_taken++ % m_jobs.size()];
    lock.unlock();
    try {
      decodeChunk(job, decoder, stopAtSkipped);
    } catch (...) {
      job.failure = std::current_exception();
    }
    lock.lock();
    job.done = true;
    m_finished.notify_all();
  }
}

// Hands the oldest job to the sink once it is done; throws its error.
void ChunkPipeline::collect(const std::string& name, std::uint64_t& lines) {
  DecodedChunk& job = m_jobs[m_collected % m_jobs.size()];
  {
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [&job] { return job.done; });
  }
  ++m_collected;
  if (job.failure) std::rethrow_exception(job.failure);
  m_sink.take(job, name, lines);
  lines += job.lines;
}

// Drops the jobs not yet started and waits for the running ones, after an error.
void ChunkPipeline::abandon() {
  std::unique_lock lock(m_mutex);
  m_submitted = m_taken;
  m_finished.wait(lock, [this] {
    for (std::uint64_t n = m_collected; n < m_taken; ++n) {
      if (!m_jobs[n % m_jobs.size()].done) return false;
    }
    return true;
  });
  m_collected = m_taken;
}

void ChunkPipeline::run(ChunkReader& reader, const std::string& name, std::uint64_t& lines) {
  try {
    for (;;) {
      if (m_submitted - m_collected == m_jobs.size()) collect(name, lines);
      DecodedChunk& job = m_jobs[m_submitted % m_jobs.size()];
      if (!reader.next(job.input)) break;
      if (job.input.readError != 0) {
        while (m_collected < m_submitted) collect(name, lines);
        throw Error(ErrorKind::ReadFailed, name, lines + 1, systemReason(job.input.readError));
      }
      if (m_inline) {  // decoded here and taken at once: the chunks keep their order
        job.failure = nullptr;
        try {
          decodeChunk(job, m_sink.decoder(0), !m_sink.readsOn());
        } catch (...) {
          job.failure = std::current_exception();
        }
        job.done = true;
        ++m_submitted;
        ++m_taken;
        collect(name, lines);
        continue;
      }
      {
        const std::lock_guard lock(m_mutex);
        job.done = false;
        job.failure = nullptr;
        ++m_submitted;
      }
      m_queued.notify_one();
    }
    while (m_collected < m_submitted) collect(name, lines);
  } catch (...) {
    abandon();
    throw;
  }
}

}  // namespace twk
