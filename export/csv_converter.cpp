#include "export/csv_converter.h"

#include <algorithm>
#include <system_error>

#include "core/error.h"
#include "export/csv_row_formatter.h"
#include "intake/channel_bytes.h"
#include "intake/line_decoder.h"
#include "intake/log_decoder.h"
#include "intake/log_file.h"

namespace twk {
namespace {

// Each chunk in flight holds its text and its rows, up to about four times as long as the text
// (for a log of the shortest beacons). Two more chunks than threads keep the threads busy; with
// many threads the chunks get smaller, so that the text in flight stays within a fixed budget.
constexpr unsigned kMaxThreads = 8;
constexpr std::size_t kSpareJobs = 2;
constexpr std::size_t kTextInFlight = 1536 * 1024;
// The texts the threads' formatters keep share a budget as well.
constexpr std::size_t kKeptTexts = 2 << 20;

// Grows in small steps: what is resized is written to, and so takes memory.
void makeRoom(std::vector<char>& buffer, std::size_t size) {
  if (buffer.size() < size) buffer.resize(size + size / 4);
}

}  // namespace

CsvConverter::CsvConverter(Writer write, std::string separator, CsvConverterOptions options)
    : m_write(std::move(write)),
      m_separator(std::move(separator)),
      m_skipped(std::move(options.skipped)) {
  unsigned threads = options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
  threads = std::clamp(threads, 1u, kMaxThreads);
  m_jobs.resize(threads + kSpareJobs);
  m_chunkSize = std::min(options.chunkSize, kTextInFlight / m_jobs.size());
  const std::size_t keptTextBytes = kKeptTexts / threads;
  if (threads == 1) {
    m_inline = std::make_unique<CsvRowFormatter>(m_separator, keptTextBytes);
    return;
  }
  startThreads(threads, keptTextBytes);
}

// Starts the pool; where the system refuses a thread, the ones it gave do the work. Without a
// single one, throws Error. Each thread's formatter is made here, before the thread starts, so
// that a converter is whole once constructed, no thread still setting itself up.
void CsvConverter::startThreads(unsigned threads, std::size_t keptTextBytes) {
  for (unsigned i = 0; i < threads; ++i) {
    CsvRowFormatter& formatter =
        *m_formatters.emplace_back(std::make_unique<CsvRowFormatter>(m_separator, keptTextBytes));
    try {
      m_threads.emplace_back([this, &formatter] { work(formatter); });
    } catch (const std::system_error& e) {
      if (!m_threads.empty()) return;
      throw Error(ErrorKind::ReadFailed, "converter", 0,
                  std::string("cannot start a thread: ") + e.what());
    }
  }
}

CsvConverter::~CsvConverter() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_queued.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

// Decodes a chunk's lines into CSV rows; a line that cannot be stored is noted and, unless
// readOn, ends the chunk.
void CsvConverter::convertChunk(Job& job, CsvRowFormatter& formatter, bool readOn) {
  const LogChunk& chunk = job.input;
  job.outputSize = 0;
  job.lines = 0;
  job.packets = 0;
  job.skipped.clear();
  if (chunk.longLineLength != 0) {
    job.lines = 1;
    if (isTelemetryLine(chunk.lines())) {
      job.skipped.emplace_back(1, lineTooLongReason(chunk.longLineLength, 0));
    }
    return;
  }
  ChannelBytes bytes;
  const char* p = chunk.text.data();
  const char* const end = p + chunk.size;
  while (p < end) {
    const char* eol = findLineEnd(p, end);
    const std::string_view line(p, static_cast<std::size_t>(eol - p));
    ++job.lines;
    p = eol + (eol == end ? 0 : *eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
    if (!isTelemetryLine(line)) continue;
    // Only a line over the limit as read can be over it without its blanks.
    const std::size_t nonBlanks = line.size() > kMaxLineLength ? countNonBlanks(line) : 0;
    if (nonBlanks <= kMaxLineLength) readChannelBytes(line, bytes);
    if (nonBlanks > kMaxLineLength || bytes.tooLong) {
      job.skipped.emplace_back(job.lines, lineTooLongReason(nonBlanks, bytes.shownLength));
      if (!readOn) return;
      continue;
    }
    makeRoom(job.output, job.outputSize + formatter.rowRoom());
    char* const rows = job.output.data();
    job.outputSize =
        static_cast<std::size_t>(formatter.writeRow(bytes, rows + job.outputSize) - rows);
    ++job.packets;
  }
}

void CsvConverter::work(CsvRowFormatter& formatter) {
  const bool readOn = static_cast<bool>(m_skipped);
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_queued.wait(lock, [this] { return m_stopping || m_taken < m_submitted; });
    if (m_stopping) return;
    Job& job = m_jobs[m_taken++ % m_jobs.size()];
    lock.unlock();
    try {
      convertChunk(job, formatter, readOn);
    } catch (...) {
      job.failure = std::current_exception();
    }
    lock.lock();
    job.done = true;
    m_finished.notify_all();
  }
}

// Writes the oldest job's rows once it is done; throws its error.
void CsvConverter::collect(Progress& progress) {
  Job& job = m_jobs[m_collected % m_jobs.size()];
  {
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [&job] { return job.done; });
  }
  ++m_collected;
  if (job.failure) std::rethrow_exception(job.failure);
  if (job.outputSize != 0) m_write(std::string_view(job.output.data(), job.outputSize));
  progress.packets += job.packets;
  for (const auto& [line, reason] : job.skipped) {
    const Error error(ErrorKind::LineTooLong, progress.name, progress.lines + line, reason);
    if (!m_skipped) throw error;
    m_skipped(error);
  }
  progress.lines += job.lines;
}

// Drops the jobs not yet started and waits for the running ones, after an error.
void CsvConverter::abandon() {
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

std::uint64_t CsvConverter::convertLog(const std::string& path) {
  const LogFile file(path);
  ChunkReader reader(file.fd(), m_chunkSize);
  Progress progress{file.name()};
  try {
    for (;;) {
      if (m_submitted - m_collected == m_jobs.size()) collect(progress);
      Job& job = m_jobs[m_submitted % m_jobs.size()];
      if (!reader.next(job.input)) break;
      if (job.input.readError != 0) {
        while (m_collected < m_submitted) collect(progress);
        throw Error(ErrorKind::ReadFailed, progress.name, progress.lines + 1,
                    systemReason(job.input.readError));
      }
      if (m_inline) {  // decoded here and written at once: the chunks keep their order
        job.failure = nullptr;
        try {
          convertChunk(job, *m_inline, static_cast<bool>(m_skipped));
        } catch (...) {
          job.failure = std::current_exception();
        }
        job.done = true;
        ++m_submitted;
        ++m_taken;
        collect(progress);
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
    while (m_collected < m_submitted) collect(progress);
  } catch (...) {
    abandon();
    throw;
  }
  return progress.packets;
}

}  // namespace twk
