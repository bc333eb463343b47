#pragma once

#include <QDialog>
#include <optional>

#include "telemetry/channel_limits.h"

class QTableWidget;

namespace twk {

class MainWindow;

// "TLM File" > "Edit Limits…": the channels' yellow and red limits in a table, a channel a row
// (named as outside the panel, with its unit) and a limit a column; an empty cell is no limit.
// OK writes them to the limits file, which the window then applies at once, also while a log is
// followed. A cell that is no number is named in a message and the dialog stays open.
class LimitsEditor : public QDialog {
  Q_OBJECT

 public:
  LimitsEditor(const LimitsTable& limits, QWidget* parent = nullptr);

  // The limits as the table holds them; empty where a cell is no number, which problem says.
  std::optional<LimitsTable> edited(QString* problem) const;

  // Shows the editor over window; accepted limits are written and applied.
  static void edit(MainWindow& window);

 private:
  LimitsTable m_limits;  // as the editor opened
  QTableWidget* m_table = nullptr;
};

}  // namespace twk
