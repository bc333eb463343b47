#include "ui/log_view.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <algorithm>

namespace twk {
namespace {

// The shown packet's line: a pale tint of the chart's marker, which stands on the same packet.
const QColor kShownLineColour(0xff, 0xe0, 0xd0);

}  // namespace

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  // Files dropped here are loaded; a read-only text view would otherwise refuse every drop.
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

// A drag enter is a drag move that has just come in: the same files are taken.
void LogView::dragEnterEvent(QDragEnterEvent* event) {
  dragMoveEvent(event);
}

void LogView::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void LogView::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  emit filesDropped(*event->mimeData());
}

namespace {

// A carriage return ends a paragraph here; Qt's own paragraph separator keeps one character
// per line end, so positions count as the text given.
void insertLines(QTextCursor& cursor, const QString& text) {
  QTextCharFormat format;
  format.setForeground(Qt::black);
  QString paragraphs = text;
  paragraphs.replace(QLatin1Char('\r'), QChar::ParagraphSeparator);
  cursor.insertText(paragraphs, format);
}

}  // namespace

void LogView::insertAtCaret(const QString& text) {
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  cursor.setPosition(start);
  // The cursor stands after what it inserted, also where the view dropped its oldest lines.
  insertLines(cursor, text);
  setTextCursor(cursor);
}

void LogView::appendText(const QString& text) {
  QScrollBar* bar = verticalScrollBar();
  const bool showsEnd = bar->value() == bar->maximum();
  const bool caretAtEnd = !textCursor().hasSelection() && textCursor().atEnd();
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  insertLines(end, text);
  if (caretAtEnd) setTextCursor(end);
  if (showsEnd) bar->setValue(bar->maximum());
}

}  // namespace twk

namespace twk {

void LogView::showPacket(std::int64_t number) {
  // A followed log's oldest lines leave the view (its last block is the empty one after the
  // last line end), and the lines after them move up by as many.
  const std::int64_t dropped =
      std::max<std::int64_t>(m_packetLines.lines() + 1 - document()->blockCount(), 0);
  const std::int64_t added = m_packetLines.lineOf(number);
  const std::int64_t line = added >= 0 ? added - dropped : -1;
  QList<QTextEdit::ExtraSelection> marks;
  if (line >= 0 && line < document()->blockCount()) {
    const int shown = static_cast<int>(line);
    const QTextBlock block = document()->findBlockByNumber(shown);
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(block);
    mark.format.setBackground(kShownLineColour);
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    marks.append(mark);
    // Lines do not wrap, so the scroll bar counts lines: the line is brought just into view,
    // and a view that shows it already stays still.
    QScrollBar* bar = verticalScrollBar();
    const int lineHeight = std::max(static_cast<int>(blockBoundingRect(block).height()), 1);
    const int lines = std::max(viewport()->height() / lineHeight, 1);
    if (shown < bar->value()) bar->setValue(shown);
    if (shown >= bar->value() + lines) bar->setValue(shown - lines + 1);
  }
  setExtraSelections(marks);
}

}  // namespace twk
