#pragma once

#include <QString>

#include "intake/log_decoder.h"

class QLabel;

namespace twk {

class LogView;

// Decodes into the window's packet store and shows the file: its path in the file label and
// its telemetry lines in the log view. The lines of one file are collected and inserted with
// one AddText, which leaves the same text and caret as one call per line. A sink that waits for
// a line shows the path and empties the view only once the file has a telemetry line, so a file
// without one leaves both as they were.
class LogViewSink : public StoreSink {
 public:
  LogViewSink(PacketStore& store, QLabel& fileLabel, LogView& view, bool waitForALine = false);

  void fileStarted(const std::string& path) override;
  void lineShown(std::string_view text) override;

  // Inserts the lines collected so far; decoding calls it when it ends, also on an error.
  void flush();
  // Whether the file is shown: its path in the label, the view emptied for its lines.
  bool shown() const { return m_shown; }

 private:
  void show();

  QLabel& m_fileLabel;
  LogView& m_view;
  bool m_waitForALine;
  QString m_path;
  QString m_pending;
  bool m_shown = false;
};

}  // namespace twk
