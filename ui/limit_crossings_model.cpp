#include "ui/limit_crossings_model.h"

#include <QColor>
#include <QLocale>
#include <algorithm>

#include "intake/packet_store.h"
#include "telemetry/channel_conversion.h"
#include "telemetry/value_text.h"

namespace twk {
namespace {

enum Column { Packet, Time, Channel, Value, Limit, Columns };

}  // namespace

LimitCrossingsModel::LimitCrossingsModel(const PacketStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {}

void LimitCrossingsModel::setCrossings(std::vector<LimitCrossing> crossings) {
  beginResetModel();
  m_crossings = std::move(crossings);
  endResetModel();
}

void LimitCrossingsModel::update(const std::vector<LimitCrossing>& added, std::int64_t first) {
  const auto kept = std::find_if(m_crossings.begin(), m_crossings.end(),
                                 [first](const LimitCrossing& c) { return c.packet >= first; });
  if (kept != m_crossings.begin()) {
    beginRemoveRows({}, 0, static_cast<int>(kept - m_crossings.begin()) - 1);
    m_crossings.erase(m_crossings.begin(), kept);
    endRemoveRows();
  }
  if (added.empty()) return;
  const int rows = static_cast<int>(m_crossings.size());
  beginInsertRows({}, rows, rows + static_cast<int>(added.size()) - 1);
  m_crossings.insert(m_crossings.end(), added.begin(), added.end());
  endInsertRows();
}

QString LimitCrossingsModel::valueText(const LimitCrossing& crossing) const {
  return QString::fromStdString(
      generalText(crossing.value, QLocale::system().decimalPoint().toStdString()));
}

QString LimitCrossingsModel::line(int row) const {
  const LimitCrossing& c = m_crossings.at(static_cast<std::size_t>(row));
  return QString::fromStdString(
      crossingLine(c.packet, c.channel, valueText(c).toStdString(), c.crossed));
}

int LimitCrossingsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_crossings.size());
}

int LimitCrossingsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Columns;
}

QVariant LimitCrossingsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const LimitCrossing& c = m_crossings[static_cast<std::size_t>(index.row())];
  if (role == Qt::ForegroundRole) return isRed(c.crossed) ? QColor(0xC0, 0, 0) : QVariant();
  if (role == Qt::TextAlignmentRole && (index.column() == Packet || index.column() == Value)) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Packet: return QString::number(c.packet);
    case Time: {
      // The panel's clock of the packet, without its count of seconds.
      const int row = m_store.rowOf(c.packet);
      if (row < 1) return {};
      ChannelRow values{};
      convertPacket(m_store.bytes(row), values);
      const std::string time = channelText(0, values[0], ".");
      return QString::fromStdString(time.substr(time.find("=> ") + 3));
    }
    case Channel: return QString::fromStdString(channelLongName(c.channel));
    case Value: return valueText(c);
    case Limit: return QString::fromUtf8(limitText(c.crossed));
    default: return {};
  }
}

QVariant LimitCrossingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"Packet", "On-board time", "Channel", "Value", "Limit"};
  return section >= 0 && section < Columns ? QString::fromLatin1(kHeaders[section]) : QVariant();
}

}  // namespace twk
