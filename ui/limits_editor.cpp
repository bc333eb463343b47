#include "ui/limits_editor.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "telemetry/channel_table.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

// The channels a user can chart: those of the panel's frames but the on-board time.
constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 29;
const char* const kColumns[] = {"Yellow low", "Yellow high", "Red low", "Red high"};

std::optional<double>* slotOf(ChannelLimits& limits, int column) {
  std::optional<double>* limit[] = {&limits.yellowLow, &limits.yellowHigh, &limits.redLow,
                                    &limits.redHigh};
  return limit[column];
}

// A number as the user writes it: the locale's decimal separator or a point.
std::optional<double> number(QString text) {
  text = text.trimmed().replace(QLocale::system().decimalPoint(), QStringLiteral("."));
  const std::string digits = text.toStdString();
  double value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return {};
  return value;
}

QString text(double value) {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

LimitsEditor::LimitsEditor(const LimitsTable& limits, QWidget* parent)
    : QDialog(parent), m_limits(limits) {
  setWindowTitle(QStringLiteral("Edit Limits"));
  m_table = new QTableWidget(kLastChannel - kFirstChannel + 1, 4, this);
  m_table->setObjectName(QStringLiteral("limitsTable"));
  QStringList headers;
  for (const char* column : kColumns) headers += QString::fromLatin1(column);
  m_table->setHorizontalHeaderLabels(headers);
  for (int channel = kFirstChannel; channel <= kLastChannel; ++channel) {
    const int row = channel - kFirstChannel;
    const QString name = QString::fromStdString(channelTitle(channel));
    m_table->setVerticalHeaderItem(row, new QTableWidgetItem(name));
    ChannelLimits channelLimits = limits.channels[static_cast<std::size_t>(channel)];
    for (int column = 0; column < 4; ++column) {
      const std::optional<double>& limit = *slotOf(channelLimits, column);
      m_table->setItem(row, column, new QTableWidgetItem(limit ? text(*limit) : QString()));
    }
  }
  // Rows at the font's height; columns wide enough for their caption and a long limit.
  const QFontMetrics metrics = fontMetrics();
  m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
  m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  int columns = 0;
  for (int column = 0; column < 4; ++column) {
    const int width = std::max(metrics.horizontalAdvance(QString::fromLatin1(kColumns[column])),
                               metrics.horizontalAdvance(QStringLiteral("-4294967295.5"))) +
                      16;
    m_table->setColumnWidth(column, width);
    columns += width;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    QString problem;
    if (edited(&problem)) {
      accept();
    } else {
      showMessage(this, problem);
    }
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_table);
  layout->addWidget(buttons);
  m_table->setMinimumWidth(m_table->verticalHeader()->sizeHint().width() + columns +
                           m_table->verticalScrollBar()->sizeHint().width() +
                           2 * m_table->frameWidth());
  m_table->setMinimumHeight(m_table->horizontalHeader()->sizeHint().height() +
                            16 * (metrics.height() + 6));
}

std::optional<LimitsTable> LimitsEditor::edited(QString* problem) const {
  // The channels the table leaves out keep the limits the file gave them.
  LimitsTable limits{m_limits.channels, {}};
  for (int row = 0; row < m_table->rowCount(); ++row) {
    ChannelLimits& channel = limits.channels[static_cast<std::size_t>(row) + kFirstChannel];
    channel = {};
    for (int column = 0; column < 4; ++column) {
      const QString cell = m_table->item(row, column)->text();
      if (cell.trimmed().isEmpty()) continue;
      *slotOf(channel, column) = number(cell);
      if (*slotOf(channel, column)) continue;
      if (problem != nullptr) {
        *problem = QStringLiteral("%1, %2: \"%3\" is no number.")
                       .arg(m_table->verticalHeaderItem(row)->text(),
                            QString::fromLatin1(kColumns[column]), cell);
      }
      return std::nullopt;
    }
  }
  return limits;
}

void LimitsEditor::edit(MainWindow& window) {
  LimitsEditor editor(window.limits(), &window);
  if (editor.exec() != QDialog::Accepted) return;
  const QString path = user_settings::limitsFilePath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  // Replaced whole or not at all, so another program never reads half a file.
  QSaveFile file(path);
  const QByteArray text = QByteArray::fromStdString(limitsFileText(*editor.edited(nullptr)));
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    showMessage(&window, QStringLiteral("%1 was not written:\n%2").arg(path, file.errorString()));
    return;
  }
  window.reloadLimits();
}

}  // namespace twk
