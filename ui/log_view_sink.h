#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "intake/packet_sink.h"

class QLabel;

namespace twk {

class LogView;

// Shows the file of a load or a followed log: its path in the file label and its telemetry
// lines in the log view. The lines of one file are collected and inserted at the caret at once,
// which leaves the same text and caret as one insertion per line. A line that cannot
// be stored is read past: the view shows its number and reason in red, and it joins the list
// of skipped lines. The view learns which of its lines holds which packet.
class LogViewSink : public PacketSink {
 public:
  // When the file is shown, its path in the label and the view emptied for its lines.
  enum class Show {
    AtStart,      // as soon as the file is open
    AtFirstLine,  // once it has a telemetry line, so a file without one leaves both as they were
    Never,        // not: the lines are added to those shown, as a followed log grows
  };

  // The lines of one file shown at most: a view of more would take long to fill and scroll.
  static constexpr std::size_t kMostLinesShown = 10000;

  // firstNumber: the number the first packet read gets.
  LogViewSink(QLabel& fileLabel, LogView& view, Show show, std::vector<Error>* skipped,
              std::int64_t firstNumber);

  void fileStarted(const std::string& path) override;
  void lineShown(std::string_view text) override;
  void lineSkipped(const Error& error) override;

  // Inserts the lines collected so far; decoding calls it when it ends, also on an error.
  void flush();
  // Whether the file is shown: its path in the label, the view emptied for its lines.
  bool shown() const { return m_shown; }

 private:
  void show();

  QLabel& m_fileLabel;
  LogView& m_view;
  Show m_show;
  std::vector<Error>* m_skipped;
  QString m_path;
  QString m_pending;
  std::size_t m_lines = 0;
  bool m_shown = false;
  std::int64_t m_firstNumber;  // the number the file's first packet gets
};

}  // namespace twk
