#include "ui/log_view_sink.h"

#include <QFile>
#include <QLabel>

#include "ui/log_view.h"

namespace twk {

LogViewSink::LogViewSink(PacketStore& store, QLabel& fileLabel, LogView& view, Show show)
    : StoreSink(store), m_fileLabel(fileLabel), m_view(view), m_show(show) {}

void LogViewSink::fileStarted(const std::string& path) {
  m_path = QFile::decodeName(path.c_str());
  if (m_show == Show::AtStart) show();
}

void LogViewSink::show() {
  m_shown = true;
  m_fileLabel.setText(m_path);
  m_view.clear();
}

void LogViewSink::lineShown(std::string_view text) {
  if (!m_shown && m_show == Show::AtFirstLine) show();
  m_pending.append(QLatin1String(text.data(), static_cast<qsizetype>(text.size())));
  m_pending.append(QLatin1Char('\r'));
}

void LogViewSink::flush() {
  if (m_pending.isEmpty()) return;
  // A followed log's lines go after the last, wherever the user put the caret.
  if (m_show == Show::Never) {
    m_view.appendText(m_pending);
  } else {
    m_view.AddText(m_pending);
  }
  m_pending.clear();
}

}  // namespace twk
