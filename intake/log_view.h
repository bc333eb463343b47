#pragma once

#include <QTextEdit>
#include <cstdint>

namespace twk {

// The log view: the telemetry lines of the file being decoded, one paragraph per line, each
// piece of text in the colour its writer chose. Users can select and copy but not edit.
class LogView : public QTextEdit {
  Q_OBJECT

 public:
  explicit LogView(QWidget* parent = nullptr);

  // Inserts text at the caret (the selection's start; a selection is not replaced) in colour, a
  // colour word with red in the low byte, and leaves the caret right after it with nothing
  // selected. A carriage return ends a paragraph.
  void AddText(const QString& text, std::uint32_t colour);
};

}  // namespace twk
