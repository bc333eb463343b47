#include "ui/eliding_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace twk {

QString ElidingLabel::shownText() const {
  const QFontMetrics metrics = fontMetrics();
  const int width = contentsRect().width();
  QString whole = text();
  if (metrics.horizontalAdvance(whole) <= width) return whole;
  // The folders go first, from their middle: the file's name and the notes after it say more.
  const qsizetype first = whole.indexOf(QLatin1Char('/'));
  const qsizetype last = whole.lastIndexOf(QLatin1Char('/'));
  const auto keeping = [&](qsizetype kept) {
    return whole.left(first + 1 + (kept + 1) / 2) + QChar(0x2026) + whole.mid(last - kept / 2);
  };
  if (first >= 0 && last > first + 1) {
    qsizetype low = 0;  // folder characters kept: the most that fit, by halves
    qsizetype high = last - first - 2;
    while (low < high) {
      const qsizetype middle = (low + high + 1) / 2;
      if (metrics.horizontalAdvance(keeping(middle)) <= width) {
        low = middle;
      } else {
        high = middle - 1;
      }
    }
    QString shorter = keeping(low);
    if (metrics.horizontalAdvance(shorter) <= width) return shorter;
  }
  return metrics.elidedText(whole, Qt::ElideMiddle, width);
}

void ElidingLabel::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text()) return QLabel::paintEvent(event);
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(),
                        QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shown, foregroundRole());
}

bool ElidingLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (shownText() != text()) {
      QToolTip::showText(help->globalPos(), text(), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QLabel::event(event);
}

}  // namespace twk
