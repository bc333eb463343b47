#include "ui/log_view.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTextCharFormat>
#include <QTextCursor>

namespace twk {

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  // Files dropped here are loaded; a read-only text view would otherwise refuse every drop.
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

void LogView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
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

void LogView::AddText(const QString& text) {
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  QTextCharFormat format;
  format.setForeground(Qt::black);
  cursor.setPosition(start);
  // A carriage return ends a paragraph here; Qt's own paragraph separator keeps one character
  // per line end, so positions count as the text given.
  QString paragraphs = text;
  paragraphs.replace(QLatin1Char('\r'), QChar::ParagraphSeparator);
  cursor.insertText(paragraphs, format);
  cursor.setPosition(start + static_cast<int>(text.size()));
  setTextCursor(cursor);
}

}  // namespace twk
