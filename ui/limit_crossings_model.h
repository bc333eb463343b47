#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "telemetry/limit_crossings.h"

namespace twk {

class PacketStore;

// The limit crossings of the packets held, a row each in packet order: the packet's number in
// the load, its on-board time, the channel by its name outside the panel ("Battery A Volts"),
// the value as the CSV file writes it and the limit crossed. A red crossing's row is red.
class LimitCrossingsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit LimitCrossingsModel(const PacketStore& store, QObject* parent = nullptr);

  const std::vector<LimitCrossing>& crossings() const { return m_crossings; }
  void setCrossings(std::vector<LimitCrossing> crossings);
  // Adds crossings of newer packets after those held, and drops those of packets numbered below
  // first, which have left the store.
  void update(const std::vector<LimitCrossing>& added, std::int64_t first);
  // A row as twk-csv --limits reports it: "packet 2; Battery A RAAC; 512; above red high".
  QString line(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  QString valueText(const LimitCrossing& crossing) const;

  const PacketStore& m_store;
  std::vector<LimitCrossing> m_crossings;
};

}  // namespace twk
