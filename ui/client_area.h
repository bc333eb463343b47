#pragma once

#include <QFlags>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

class QScrollArea;

namespace twk {

// The main window's client area. Its controls are placed for the default size; at any other
// size each control takes its share of the difference by its role, so the default size is
// always the layout as built. Extra width goes to the controls that grow with the window's
// width; extra height goes to the chart. A smaller height is taken from the chart first, down
// to its least height, then from the log view, and the controls below each move up.
//
// Every control but the bottom row sits on a panel. Below the least size the panel keeps its
// least layout and scrolls, while the bottom row stays pinned to the bottom edge, its label
// giving up width where the area is narrower, so the window fits any screen and the file,
// the position and the scroll bar stay in view.
class ClientArea : public QWidget {
  Q_OBJECT

 public:
  enum Role {
    GrowsWide = 1,     // takes the extra width
    FollowsRight = 2,  // keeps its distance to the right edge
    LogHeight = 4,     // takes the log view's share of the height
    BelowLog = 8,      // moves with the log view's bottom
    ChartHeight = 16,  // takes the chart's share of the height
    BelowChart = 32,   // moves with the chart's bottom
    GivesWidth = 64,   // of the bottom row: narrows in an area narrower than the least width
    // A label of the bottom row whose text needs more than its width takes it from the left, from
    // the one that GivesWidth: "123456/123456" of a long followed log stays whole.
    WidensLeft = 128,
  };
  Q_DECLARE_FLAGS(Roles, Role)

  // The heights that the chart and the log view can give up below the default size.
  struct Slack {
    int chart = 0;
    int log = 0;
  };
  // What each takes at a size (negative: gives up): the extra width, the log view's and the
  // chart's extra height.
  struct Share {
    int width = 0;
    int log = 0;
    int chart = 0;
  };
  static Share share(QSize defaultSize, Slack slack, QSize size);
  static QRect place(QRect defaultRect, Roles roles, Share share);

  ClientArea(QSize defaultSize, QWidget* parent = nullptr);

  // Where the controls go, except the bottom row, which goes on the client area itself.
  QWidget* panel() const { return m_panel; }
  // Sets the slack and with it the least size: the default width, the default height less both.
  void setSlack(Slack slack);
  QSize leastSize() const;
  // Takes widget's present geometry (relative to its parent) as its place at the default size.
  // A widget on the client area itself belongs to the bottom row.
  void manage(QWidget* widget, Roles roles);

  QSize sizeHint() const override { return m_default; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void layOut();
  void showFocused(QWidget* focused);

  struct Managed {
    QWidget* widget;
    QRect defaultRect;
    Roles roles;
  };
  QSize m_default;
  Slack m_slack;
  std::vector<Managed> m_managed;
  QScrollArea* m_scrollArea;
  QWidget* m_panel;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ClientArea::Roles)

}  // namespace twk
