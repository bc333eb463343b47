#include "ui/crossings_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/limit_crossings_model.h"

namespace twk {

CrossingsWindow::CrossingsWindow(LimitCrossingsModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
  setObjectName(QStringLiteral("crossingsWindow"));
  setWindowTitle(QStringLiteral("Limit Crossings"));
  m_table = new QTableView(this);
  m_table->setObjectName(QStringLiteral("crossingsTable"));
  m_table->setModel(&model);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setWordWrap(false);
  m_table->verticalHeader()->hide();
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* copy = new QAction(QStringLiteral("&Copy"), m_table);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  m_table->addAction(copy);
  connect(copy, &QAction::triggered, this, &CrossingsWindow::copy);
  connect(m_table, &QTableView::activated, this,
          [this](const QModelIndex& index) { choose(index.row()); });
  m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_table);
  // A followed log's new crossings come into view while the list shows its end.
  connect(&model, &QAbstractItemModel::rowsInserted, this, [this] {
    if (m_table->currentIndex().isValid()) return;
    m_table->scrollToBottom();
  });
}

void CrossingsWindow::showEvent(QShowEvent* event) {
  // Wide enough for its columns, twenty rows high, the newest crossings in view.
  m_table->resizeColumnsToContents();
  int width = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < m_model.columnCount(); ++column) {
    width += m_table->columnWidth(column);
  }
  resize(width, m_table->horizontalHeader()->height() + 20 * (fontMetrics().height() + 4));
  if (!m_table->currentIndex().isValid()) m_table->scrollToBottom();
  QWidget::showEvent(event);
}

void CrossingsWindow::choose(int row) {
  if (row >= 0 && row < m_model.rowCount()) {
    emit packetChosen(m_model.crossings()[static_cast<std::size_t>(row)].packet);
  }
}

QString CrossingsWindow::copiedText() const {
  QList<int> rows;
  for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) rows += index.row();
  if (rows.isEmpty()) {
    for (int row = 0; row < m_model.rowCount(); ++row) rows += row;
  }
  std::sort(rows.begin(), rows.end());
  QString text;
  for (const int row : rows) text += m_model.line(row) + QLatin1Char('\n');
  return text;
}

void CrossingsWindow::copy() {
  QApplication::clipboard()->setText(copiedText());
}

void CrossingsWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace twk
