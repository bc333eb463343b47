#pragma once

#include <QWidget>
#include <cstdint>

class QTableView;

namespace twk {

class LimitCrossingsModel;

// "TLM File" > "Limit Crossings…": the list of the values outside their limits among the
// packets held, a window of its own beside the main window that stays up to date while a log is
// followed. A double-click or Enter on a crossing shows its packet; Ctrl+C (or the context menu)
// copies the chosen crossings, or all where none is chosen, a line each in the words of
// twk-csv --limits. Esc closes it.
class CrossingsWindow : public QWidget {
  Q_OBJECT

 public:
  CrossingsWindow(LimitCrossingsModel& model, QWidget* parent);

  // The chosen crossings' lines, or all of them where none is chosen.
  QString copiedText() const;

 signals:
  // The packet of a crossing by its number in the load.
  void packetChosen(std::int64_t number);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void choose(int row);
  void copy();

  LimitCrossingsModel& m_model;
  QTableView* m_table = nullptr;
};

}  // namespace twk
