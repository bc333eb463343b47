#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

namespace twk {

class PacketScrollBar;
class PacketStore;
class TwipScale;

// Which of the packets held the window shows: the scroll bar at the bottom right picks its row
// (1 to the packets held), and the packet label beside it names the packet by its number in
// the load and the load's last number ("7350/10000"), which differ once the oldest packets of
// a followed log have left. Object names: "packetLabel", "packetScrollBar".
class PacketNavigator : public QObject {
  Q_OBJECT

 public:
  // The label and the scroll bar go on bottomRow, placed in twips as the window was drawn.
  PacketNavigator(QWidget& bottomRow, const TwipScale& tw, const PacketStore& store);

  QLabel* label() const { return m_label; }
  PacketScrollBar* scrollBar() const { return m_scroll; }
  // The row shown, 1 when the store is empty.
  int row() const;
  // Whether the row shown is the newest packet's.
  bool atNewest() const;

  // A new load: the range covers the packets held and the first is shown; tells no one.
  void startAtFirst();
  // The packets held changed (a followed log grew): the range covers them, the row stays.
  void packetsChanged();
  // Shows row; tells no one.
  void moveTo(int row);

 signals:
  // The user chose another row: with the scroll bar, its keys or wheel, or a click on the chart.
  void rowChosen(int row);

 private:
  void showLabel();

  const PacketStore& m_store;
  QLabel* m_label = nullptr;
  PacketScrollBar* m_scroll = nullptr;
};

}  // namespace twk
