#include "ui/eliding_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace twk {
namespace {

const QChar kEllipsis(0x2026);

// path at most width wide: the middle of its folders left out first, then all its folders,
// then the middle of the file's name.
QString elidedPath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const qsizetype first = path.indexOf(QLatin1Char('/'));
  const qsizetype last = path.lastIndexOf(QLatin1Char('/'));
  const auto keeping = [&](qsizetype kept) {
    return path.left(first + 1 + (kept + 1) / 2) + kEllipsis + path.mid(last - kept / 2);
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
  const QString name = last >= 0 ? path.mid(last + 1) : path;
  const QString folders = last >= 0 ? QString(kEllipsis) + QLatin1Char('/') : QString();
  const int room = width - metrics.horizontalAdvance(folders);
  if (room > 0 && metrics.horizontalAdvance(name) <= room) return folders + name;
  // A name cut to a letter or two says nothing: then the ellipsis alone stands for the path.
  const QString shorter = metrics.elidedText(name, Qt::ElideMiddle, std::max(room, 0));
  if (shorter.size() >= 5) return folders + shorter;
  return metrics.horizontalAdvance(kEllipsis) <= width ? QString(kEllipsis) : QString();
}

int widthOf(const QList<ElidingLabel::Part>& parts, const QFontMetrics& metrics) {
  int width = 0;
  for (const ElidingLabel::Part& part : parts) width += metrics.horizontalAdvance(part.text);
  return width;
}

QString joined(const QList<ElidingLabel::Part>& parts) {
  QString whole;
  for (const ElidingLabel::Part& part : parts) whole += part.text;
  return whole;
}

}  // namespace

void ElidingLabel::setParts(const QList<Part>& parts) {
  m_parts = parts;
  setText(joined(parts));
  update();
}

QList<ElidingLabel::Part> ElidingLabel::parts() const {
  // A text set as a whole since is all path.
  if (m_parts.isEmpty() || joined(m_parts) != text()) return {Part{text(), true}};
  return m_parts;
}

QList<ElidingLabel::Part> ElidingLabel::shownParts() const {
  const QFontMetrics metrics = fontMetrics();
  const int width = contentsRect().width();
  QList<Part> shown = parts();
  if (widthOf(shown, metrics) <= width) return shown;
  qsizetype path = -1;
  for (qsizetype i = 0; i < shown.size(); ++i) path = shown[i].path ? i : path;
  if (path >= 0) {
    const int others = widthOf(shown, metrics) - metrics.horizontalAdvance(shown[path].text);
    shown[path].text = elidedPath(shown[path].text, metrics, std::max(width - others, 0));
  }
  // Then what follows the path, from its end, and last what comes before it.
  const auto shorten = [&](qsizetype from, qsizetype to) {
    for (qsizetype i = to - 1; i >= from && widthOf(shown, metrics) > width; --i) {
      const int rest = widthOf(shown, metrics) - metrics.horizontalAdvance(shown[i].text);
      shown[i].text = metrics.elidedText(shown[i].text, Qt::ElideRight, std::max(width - rest, 0));
    }
  };
  shorten(path + 1, shown.size());
  shorten(0, path);
  return shown;
}

QString ElidingLabel::shownText() const {
  return joined(shownParts());
}

void ElidingLabel::paintEvent(QPaintEvent* event) {
  const QList<Part> shown = shownParts();
  const bool plain =
      std::all_of(shown.begin(), shown.end(), [](const Part& p) { return !p.colour.isValid(); });
  if (plain && joined(shown) == text()) return QLabel::paintEvent(event);
  QPainter painter(this);
  QRect rect = contentsRect();
  for (const Part& part : shown) {
    QPalette palette = this->palette();
    if (part.colour.isValid()) palette.setColor(foregroundRole(), part.colour);
    style()->drawItemText(&painter, rect, Qt::AlignLeft | Qt::AlignVCenter, palette, isEnabled(),
                          part.text, foregroundRole());
    rect.setLeft(rect.left() + fontMetrics().horizontalAdvance(part.text));
  }
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
