#pragma once

#include <QPlainTextEdit>
#include <cstdint>

#include "ui/packet_lines.h"

class QMimeData;

namespace twk {

// The log view: the telemetry lines of the file being decoded, one paragraph per line. Users can
// select and copy but not edit. A plain text view lays out only the lines on screen, so 5000
// lines of a full load go in at once instead of being laid out whole (about 8 ms against 300 ms
// for a rich text view).
class LogView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit LogView(QWidget* parent = nullptr);

  // Inserts text at the caret (the selection's start; a selection is not replaced) in black, and
  // leaves the caret right after it with nothing selected. A carriage return ends a paragraph.
  void insertAtCaret(const QString& text);
  // Adds text after the last line, wherever the caret or the selection is, and leaves both as
  // they were; a view that showed its end, or whose caret was at the end, moves on with it.
  void appendText(const QString& text);

  // Where the packets' lines stand; whoever fills the view keeps it up to date.
  PacketLines& packetLines() { return m_packetLines; }
  // Highlights the line of packet number (its number in the load) and scrolls it into view;
  // without its line in the view, no line is highlighted.
  void showPacket(std::int64_t number);

 signals:
  // Something carrying file URLs was dropped on the view; its text is left alone.
  void filesDropped(const QMimeData& data);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  PacketLines m_packetLines;
};

}  // namespace twk
