#include "export/store_loader.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "intake/channel_bytes.h"
#include "intake/chunk_reader.h"
#include "intake/line_decoder.h"
#include "intake/log_file.h"

namespace twk {
namespace {

constexpr unsigned kMaxThreads = 8;

struct Job {
  LogChunk input;
  std::vector<PacketBytes> packets;
  bool unusual = false;  // a line the line decoder has to handle
  bool done = false;
};

// The telemetry lines of a chunk as packet bytes; stops at the first line too long.
void decodeChunk(Job& job) {
  job.packets.clear();
  job.unusual = false;
  const LogChunk& chunk = job.input;
  if (chunk.readError != 0 || chunk.longLineLength != 0) {
    job.unusual = chunk.readError != 0 || isTelemetryLine(chunk.lines());
    return;
  }
  ChannelBytes bytes;
  const char* p = chunk.text.data();
  const char* const end = p + chunk.size;
  while (p < end) {
    const char* eol = findLineEnd(p, end);
    const std::string_view line(p, static_cast<std::size_t>(eol - p));
    p = eol + (eol == end ? 0 : *eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
    if (!isTelemetryLine(line)) continue;
    // Only a line over the limit as read can be over it without its blanks.
    const std::size_t nonBlanks = line.size() > kMaxLineLength ? countNonBlanks(line) : 0;
    if (nonBlanks <= kMaxLineLength) readChannelBytes(line, bytes);
    if (nonBlanks > kMaxLineLength || bytes.tooLong) {
      job.unusual = true;
      return;
    }
    job.packets.push_back(bytes.at);
  }
}

// Reads chunks on the calling thread and decodes them on a few others, a ring of jobs between.
class ChunkPipeline {
 public:
  ChunkPipeline(int fd, std::size_t chunkSize, unsigned threads) : m_reader(fd, chunkSize) {
    if (threads == 0) threads = std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, kMaxThreads);
    m_jobs.resize(threads + 2);
    // One thread is the caller's: it decodes each chunk as it takes it, starting none.
    if (threads == 1) return;
    for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this] { work(); });
  }
  ~ChunkPipeline() {
    {
      const std::lock_guard lock(m_mutex);
      m_stopping = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads) thread.join();
  }

  // The next chunk decoded, in the order of the log; nullptr at its end. The job stays valid
  // until the next call.
  Job* next() {
    if (m_threads.empty()) {
      Job& job = m_jobs.front();
      if (m_ended || !m_reader.next(job.input)) {
        m_ended = true;
        return nullptr;
      }
      decodeChunk(job);
      return &job;
    }
    while (!m_ended && m_submitted - m_collected < m_jobs.size()) {
      Job& job = m_jobs[m_submitted % m_jobs.size()];
      if (!m_reader.next(job.input)) {
        m_ended = true;
        break;
      }
      {
        const std::lock_guard lock(m_mutex);
        job.done = false;
        ++m_submitted;
      }
      m_queued.notify_one();
    }
    if (m_collected == m_submitted) return nullptr;
    Job& job = m_jobs[m_collected % m_jobs.size()];
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [&job] { return job.done; });
    ++m_collected;
    return &job;
  }

  // Waits for the jobs the threads have started, so that none runs when the pipeline goes.
  void abandon() {
    std::unique_lock lock(m_mutex);
    m_submitted = m_taken;
    m_finished.wait(lock, [this] {
      for (std::uint64_t n = m_collected; n < m_taken; ++n) {
        if (!m_jobs[n % m_jobs.size()].done) return false;
      }
      return true;
    });
  }

 private:
  void work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_queued.wait(lock, [this] { return m_stopping || m_taken < m_submitted; });
      if (m_stopping) return;
      Job& job = m_jobs[m_taken++ % m_jobs.size()];
      lock.unlock();
      decodeChunk(job);
      lock.lock();
      job.done = true;
      m_finished.notify_all();
    }
  }

  ChunkReader m_reader;
  std::vector<Job> m_jobs;  // job n lives at n % size
  std::vector<std::thread> m_threads;
  std::mutex m_mutex;
  std::condition_variable m_queued;
  std::condition_variable m_finished;
  std::uint64_t m_submitted = 0;
  std::uint64_t m_taken = 0;
  std::uint64_t m_collected = 0;
  bool m_ended = false;
  bool m_stopping = false;
};

// Adds the un-escaped text of the chunk's telemetry lines to shown, up to room lines in all.
void keepShownLines(const LogChunk& chunk, std::vector<std::string>& shown, std::size_t room) {
  const char* p = chunk.text.data();
  const char* const end = p + chunk.size;
  while (p < end && shown.size() < room) {
    const char* eol = findLineEnd(p, end);
    const std::string_view line(p, static_cast<std::size_t>(eol - p));
    p = eol + (eol == end ? 0 : *eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
    if (isTelemetryLine(line)) unescapeLine(line, shown.emplace_back());
  }
}

}  // namespace

bool loadLogInChunks(const std::string& path, PacketSink& sink, PacketStore& store,
                     std::size_t maxLinesShown, std::size_t chunkSize, unsigned threads) {
  if (path == "-") return false;
  const LogFile file(path);
  const int before = store.Packet_Count;
  const auto giveUp = [&store, before] {
    // The line decoder starts the file again from what the store held before it.
    store.keepFirst(before);
    return false;
  };
  std::vector<std::string> shown;
  ChunkPipeline pipeline(file.fd(), chunkSize, threads);
  while (Job* job = pipeline.next()) {
    const bool fits =
        store.Packet_Count + job->packets.size() <= static_cast<std::size_t>(store.capacity());
    if (job->unusual || !fits) {
      pipeline.abandon();
      return giveUp();
    }
    for (const PacketBytes& bytes : job->packets) store.append(bytes);
    if (shown.size() < maxLinesShown) keepShownLines(job->input, shown, maxLinesShown);
  }
  sink.fileStarted(path);
  for (const std::string& line : shown) sink.lineShown(line);
  return true;
}

}  // namespace twk
