#pragma once

#include <QColor>
#include <QLabel>
#include <QList>

namespace twk {

// A one-line label for texts built around a file's path: "PATH has been written", or a
// followed log's live line "Following · 118 packets in the last minute · ... · PATH (note)".
// Where the label is too narrow, the path gives way first (the middle of its folders, then its
// folders, then the middle of the file's name), then what follows it, and what comes before it
// last, each with an ellipsis for what is left out; a part may have a colour of its own. Where
// the mouse rests, it shows the whole text; text() is always the whole text. A plain setText()
// makes the whole text the path.
class ElidingLabel : public QLabel {
 public:
  struct Part {
    QString text;
    bool path = false;
    QColor colour = {};  // invalid: the label's own
  };

  using QLabel::QLabel;

  void setParts(const QList<Part>& parts);
  // What the label shows of its text at its present size, part by part.
  QList<Part> shownParts() const;
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QList<Part> parts() const;

  QList<Part> m_parts;
};

}  // namespace twk
