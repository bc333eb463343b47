#include "ui/channel_chart.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLocale>
#include <algorithm>

#include "intake/packet_store.h"
#include "telemetry/channel_conversion.h"
#include "telemetry/channel_table.h"
#include "telemetry/value_text.h"
#include "ui/bar_chart.h"
#include "ui/chart_geometry.h"
#include "ui/chart_picture.h"
#include "ui/fonts.h"
#include "ui/twip_scale.h"
#include "ui/user_settings.h"
#include "ui/value_panel.h"

namespace twk {

ChannelChart::ChannelChart(QWidget& panel, const TwipScale& tw, const PacketStore& store,
                           const LimitsTable& limits, const ValuePanel& captions)
    : QObject(&panel), m_store(store), m_limits(limits), m_captions(captions) {
  m_frame = new QGroupBox(QStringLiteral("Graph"), &panel);
  m_frame->setObjectName(QStringLiteral("chartFrame"));
  m_frame->setFont(sansFont(8.25, true));
  m_frame->setGeometry(tw.rect(120, 6360, 9615, 5175));
  m_chart = new BarChart(m_frame);
  m_chart->setObjectName(QStringLiteral("chart"));
  m_chart->setFont(sansFont(8.25));
  m_chart->setGeometry(tw.rect(120, 360, 9375, 4695));
  m_chart->setToolTipSource([this](int row) { return readOut(row); });
  m_chart->setFitted(user_settings::chartFitted());
  m_chart->setTimeLabels(user_settings::chartTimeLabels());
  m_chart->setTimeLabelSource([this](int row) { return shortTimeOf(row); });
  m_chart->setTitleSource([this] { return pictureTitle(); });
  connect(m_chart, &BarChart::timeLabelsToggled, this, &user_settings::rememberChartTimeLabels);
  connect(m_chart, &BarChart::fittedToggled, this, &user_settings::rememberChartFitted);
  connect(m_chart, &BarChart::visibleRowsChanged, this,
          [this](int first, int last) { setSpacing(last - first + 1); });
}

void ChannelChart::chartChannel(int channel) {
  m_channel = channel;
  m_second = -1;
  draw();
}

void ChannelChart::toggleSecond(int channel) {
  if (channel < 0 || channel >= kChannelCount || channel == m_channel) return;
  m_second = channel == m_second ? -1 : channel;
  draw();
}

void ChannelChart::startLoad() {
  m_chart->showAllRows();
  if (m_store.count() > 0) return;
  // A load without packets shows no chart, rather than an earlier load's.
  m_chart->clear();
  m_frame->setTitle(QStringLiteral("Graph"));
}

void ChannelChart::draw() {
  if (m_store.count() < 1) return;
  m_frame->setTitle(m_captions.caption(m_channel) + QStringLiteral("  [ ") +
                    m_captions.unit(m_channel) + QStringLiteral(" ]"));
  m_chart->setLimits(limitsOf(m_channel));
  m_chart->setLegend(m_captions.seriesName(m_channel),
                     m_second >= 0 ? m_captions.seriesName(m_second) : QString());
  // A zoomed chart keeps its range for the next channel; the spacing follows the rows shown.
  m_chart->setNumberedRows(valuesOf(m_channel, 1), m_store.firstNumber(), secondValues(1));
  m_chart->setPassStarts(m_store.passStartRows());
  setSpacing(m_chart->lastVisibleRow() - m_chart->firstVisibleRow() + 1);
  // A saved picture is suggested in the folder of the last log read, named after the channel.
  const QString folder =
      m_logPath.isEmpty() ? QDir::homePath() : QFileInfo(m_logPath).absolutePath();
  m_chart->setSuggestedSavePath(
      QDir(folder).filePath(pictureFileName(QString::fromStdString(channelLongName(m_channel))) +
                            QStringLiteral(".png")));
}

int ChannelChart::appendPackets(int added) {
  const int count = m_store.count();
  const int dropped = m_chart->rowCount() + added - count;
  // Drawn whole where the rows do not continue, and for a followed log's first packets, which
  // give the chart its title as a load does.
  if (m_chart->rowCount() == 0 || dropped < 0 || dropped > m_chart->rowCount() ||
      m_chart->rowNumber(1) != m_store.firstNumber() - dropped) {
    draw();
  } else {
    m_chart->appendNumberedRows(valuesOf(m_channel, count - added + 1), dropped,
                                secondValues(count - added + 1));
    m_chart->setPassStarts(m_store.passStartRows());
  }
  return dropped;
}

void ChannelChart::limitsChanged() {
  if (m_chart->rowCount() > 0) m_chart->setLimits(limitsOf(m_channel));
}

std::vector<double> ChannelChart::valuesOf(int channel, int firstRow) const {
  std::vector<double> values;
  channelOverPackets(m_store, channel, firstRow, values);
  // The two temperatures read -50 C and below where their sensor fails: those are charted as 0.
  if (channel == 23 || channel == 24) {
    for (double& v : values) v = v <= -50.0 ? 0.0 : v;
  }
  return values;
}

std::vector<double> ChannelChart::secondValues(int firstRow) const {
  return m_second >= 0 ? valuesOf(m_second, firstRow) : std::vector<double>{};
}

ChannelLimits ChannelChart::limitsOf(int channel) const {
  return channel >= 0 && channel < kChannelCount
             ? m_limits.channels[static_cast<std::size_t>(channel)]
             : ChannelLimits{};
}

void ChannelChart::setSpacing(int rowsShown) {
  const int divisions = ChartGeometry::categorySpacing(rowsShown);
  m_chart->setAutoCategorySpacing(divisions == 0);
  if (divisions > 0) {
    m_chart->setDivisionsPerLabel(divisions);
    m_chart->setDivisionsPerTick(divisions);
  }
}

QString ChannelChart::shortTimeOf(int row) const {
  const int packet = m_store.rowOf(m_chart->rowNumber(row));
  if (packet < 1) return {};
  ChannelRow values{};
  convertPacket(m_store.bytes(packet), values);
  return QString::fromStdString(shortTimeText(values[0]));
}

QString ChannelChart::readOut(int row) const {
  // The values as the panel writes them, the second channel by its name outside the panel.
  const std::string separator = QLocale::system().decimalPoint().toStdString();
  const auto valueText = [&separator, this](int channel, double value) {
    const QString unit = m_captions.unit(channel);
    return QString::fromStdString(channelText(channel, value, separator)) +
           (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
  };
  QString text = QStringLiteral("Packet %1: ").arg(m_chart->rowNumber(row)) +
                 valueText(m_channel, m_chart->value(row));
  const std::string_view crossed =
      limitText(crossedLimit(limitsOf(m_channel), m_chart->value(row)));
  if (!crossed.empty()) text += QStringLiteral(", ") + QString::fromUtf8(crossed);
  if (m_chart->hasOverlay()) {
    text += QLatin1Char('\n') + QString::fromStdString(channelLongName(m_second)) +
            QStringLiteral(": ") + valueText(m_second, m_chart->overlayValue(row));
  }
  const int packet = m_store.rowOf(m_chart->rowNumber(row));
  if (packet >= 1) {
    ChannelRow values{};
    convertPacket(m_store.bytes(packet), values);
    text += QLatin1Char('\n') + QString::fromStdString(channelText(0, values[0], separator));
  }
  return text;
}

QString ChannelChart::pictureTitle() const {
  const int first = m_chart->firstVisibleRow();
  const int last = m_chart->lastVisibleRow();
  if (first < 1) return {};
  // "Volts [V] · pass.log · packets 1–400 · on-board 29d 01:03 – 29d 04:48"
  const QString dot = QStringLiteral(" \u00b7 ");
  QString title = m_captions.seriesName(m_channel);
  if (m_second >= 0) title += QStringLiteral(" and ") + m_captions.seriesName(m_second);
  if (!m_logPath.isEmpty()) title += dot + QFileInfo(m_logPath).fileName();
  title += dot + QStringLiteral("packets %1\u2013%2")
                     .arg(m_chart->rowNumber(first))
                     .arg(m_chart->rowNumber(last));
  title += dot + QStringLiteral("on-board ") + shortTimeOf(first) + QStringLiteral(" \u2013 ") +
           shortTimeOf(last);
  return title;
}

}  // namespace twk
