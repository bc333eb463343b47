#include "ui/log_view_sink.h"

#include <QFile>
#include <QLabel>
#include <QTextCharFormat>
#include <QTextCursor>

#include "ui/log_view.h"

namespace twk {

LogViewSink::LogViewSink(QLabel& fileLabel, LogView& view, Show show, std::vector<Error>* skipped,
                         std::int64_t firstNumber)
    : m_fileLabel(fileLabel),
      m_view(view),
      m_show(show),
      m_skipped(skipped),
      m_firstNumber(firstNumber) {}

void LogViewSink::fileStarted(const std::string& path) {
  m_path = QFile::decodeName(path.c_str());
  if (m_show == Show::AtStart) show();
}

void LogViewSink::show() {
  m_shown = true;
  m_fileLabel.setText(m_path);
  m_view.clear();
  m_view.packetLines().restart(m_firstNumber);
}

void LogViewSink::lineShown(std::string_view text) {
  if (!m_shown && m_show == Show::AtFirstLine) show();
  if (m_lines == kMostLinesShown) return;
  // A followed log's lines go on after those shown, which may have left out packets.
  if (m_lines == 0 && m_show == Show::Never) m_view.packetLines().continueAt(m_firstNumber);
  ++m_lines;
  m_view.packetLines().addPacketLine();
  m_pending.append(QLatin1String(text.data(), static_cast<qsizetype>(text.size())));
  m_pending.append(QLatin1Char('\r'));
}

void LogViewSink::lineSkipped(const Error& error) {
  if (!m_skipped) throw error;
  m_skipped->push_back(error);
  if (!m_shown && m_show == Show::AtFirstLine) show();
  flush();
  m_view.packetLines().addOtherLine();
  // Red, after the lines before it; the next lines go on after it.
  QTextCharFormat red;
  red.setForeground(Qt::red);
  QTextCursor cursor(m_view.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QStringLiteral("line %1 skipped: %2")
                            .arg(error.line())
                            .arg(QString::fromStdString(error.reason())) +
                        QChar::ParagraphSeparator,
                    red);
  m_view.moveCursor(QTextCursor::End);
}

void LogViewSink::flush() {
  if (m_pending.isEmpty()) return;
  // A followed log's lines go after the last, wherever the user put the caret.
  if (m_show == Show::Never) {
    m_view.appendText(m_pending);
  } else {
    m_view.insertAtCaret(m_pending);
  }
  m_pending.clear();
}

}  // namespace twk
