#pragma once

#include <QLabel>

namespace twk {

// A one-line label for texts that begin with a file's path and end with notes on it ("Following
// PATH, 2 lines skipped, last packet 5 min ago"). A text wider than the label leaves out the
// middle of the path's folders, and where that is not enough the middle of the text, with an
// ellipsis for what is left out: the file's name and the notes stay in view at any window size and
// font. Where the mouse rests, it shows the whole text. text() is always the whole text.
class ElidingLabel : public QLabel {
 public:
  using QLabel::QLabel;

  // What the label shows of its text at its present size.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace twk
