#pragma once

#include <QString>

#include "intake/log_decoder.h"

class QLabel;

namespace twk {

class LogView;

// Decodes into the window's packet store and shows the file: its path in the file label and
// its telemetry lines in the log view. The lines of one file are collected and inserted with
// one AddText, which leaves the same text and caret as one call per line.
class LogViewSink : public StoreSink {
 public:
  LogViewSink(PacketStore& store, QLabel& fileLabel, LogView& view);

  void fileStarted(const std::string& path) override;
  void lineShown(std::string_view text) override;

  // Inserts the lines collected so far; decoding calls it when it ends, also on an error.
  void flush();
  bool started() const { return m_started; }

 private:
  QLabel& m_fileLabel;
  LogView& m_view;
  QString m_pending;
  bool m_started = false;
};

}  // namespace twk
