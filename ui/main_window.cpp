#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "intake/store_loader.h"
#include "telemetry/channel_conversion.h"
#include "ui/bar_chart.h"
#include "ui/channel_chart.h"
#include "ui/client_area.h"
#include "ui/crossings_window.h"
#include "ui/eliding_label.h"
#include "ui/fonts.h"
#include "ui/limit_crossings_model.h"
#include "ui/log_view.h"
#include "ui/log_view_sink.h"
#include "ui/message_box.h"
#include "ui/packet_navigator.h"
#include "ui/packet_scroll_bar.h"
#include "ui/panel_frame.h"
#include "ui/satellite_art.h"
#include "ui/twip_scale.h"
#include "ui/user_settings.h"
#include "ui/value_panel.h"

namespace twk {
namespace {

// The least heights of the chart and the log view in a window smaller than the default, and
// room for the title bar above the client area and the borders at its other sides that the
// window manager adds, in twips.
constexpr int kLeastChartHeight = 1800;
constexpr int kLeastLogHeight = 900;
constexpr int kTitleBarAllowance = 600;
constexpr int kBorderAllowance = 120;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Tarnwick Telemetry Decoder [Ostrel]"));
  setWindowIcon(QIcon(QPixmap::fromImage(satelliteIcon())));
  m_crossings = new LimitCrossingsModel(m_packets, this);
  buildLayout();
  readLimits();
  // Another program (an editor, a script) may change the limits while the window runs; the
  // change is read once it has settled.
  auto* settle = new QTimer(this);
  settle->setSingleShot(true);
  settle->setInterval(200);
  connect(settle, &QTimer::timeout, this, &MainWindow::reloadLimits);
  connect(&m_limitsWatcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
  connect(&m_limitsWatcher, &QFileSystemWatcher::directoryChanged, settle,
          qOverload<>(&QTimer::start));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const TwipScale tw(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);

  auto* client = new ClientArea(QSize(tw(9870), tw(11985)), this);
  client->setFont(sansFont(8.25));
  setCentralWidget(client);
  QWidget* panel = client->panel();

  m_log = new LogView(panel);
  m_log->setObjectName(QStringLiteral("logView"));
  m_log->setFont(logFont());
  m_log->setGeometry(tw.rect(120, 120, 9615, 1815));
  m_panel = new ValuePanel(*panel, tw, m_limits);
  m_chart = new ChannelChart(*panel, tw, m_packets, m_limits, *m_panel);
  m_fileLabel = new ElidingLabel(client);
  m_fileLabel->setObjectName(QStringLiteral("fileLabel"));
  m_fileLabel->setGeometry(tw.rect(120, 11640, 6975, 255));
  m_navigator = new PacketNavigator(*client, tw, m_packets);
  // Only while red limits were crossed unseen, over the file label's end.
  m_alarm = new QToolButton(client);
  m_alarm->setObjectName(QStringLiteral("alarmMark"));
  m_alarm->setStyleSheet(QStringLiteral(
      "QToolButton { background: #c00000; color: white; font-weight: bold; border: none; "
      "padding: 0 6px; }"));
  m_alarm->setToolTip(QStringLiteral("Red limits were crossed: click to see them"));
  m_alarm->setFocusPolicy(Qt::NoFocus);
  m_alarm->hide();
  connect(m_alarm, &QToolButton::clicked, this, [this] {
    acknowledgeAlarm();
    showCrossingsList();
  });
  m_fileLabel->installEventFilter(this);

  connect(m_panel, &ValuePanel::chartRequested, this, &MainWindow::chartChannel);
  connect(m_panel, &ValuePanel::secondRequested, this, &MainWindow::toggleSecondChannel);
  connect(m_navigator, &PacketNavigator::rowChosen, this, &MainWindow::showChosenPacket);
  PacketScrollBar* scroll = m_navigator->scrollBar();
  connect(m_chart->chart(), &BarChart::rowClicked, scroll, &QScrollBar::setValue);
  connect(m_chart->chart(), &BarChart::wheelSteps, scroll, &PacketScrollBar::stepPackets);
  connect(m_chart->chart(), &BarChart::navigationKey, scroll, [scroll](int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(scroll, &press);
  });

  // How the controls take a size other than the default.
  using R = ClientArea::Role;
  client->setSlack(
      {m_chart->chart()->height() - tw(kLeastChartHeight), m_log->height() - tw(kLeastLogHeight)});
  client->manage(m_log, R::GrowsWide | R::LogHeight);
  for (PanelFrame* frame : m_panel->frames()) client->manage(frame, R::BelowLog);
  client->manage(m_chart->frame(), R::GrowsWide | R::BelowLog | R::ChartHeight);
  client->manage(m_chart->chart(), R::GrowsWide | R::ChartHeight);
  client->manage(m_fileLabel, R::BelowLog | R::BelowChart | R::GivesWidth);
  client->manage(m_navigator->label(), R::BelowLog | R::BelowChart | R::WidensLeft);
  client->manage(scroll, R::GrowsWide | R::BelowLog | R::BelowChart);
  // What lies right of the window stays there when it grows.
  for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->x() >= panel->width()) client->manage(w, R::FollowsRight);
  }

  // Tab goes through the controls in reading order: the log view, the panel frame by frame
  // and row by row, then the scroll bar.
  setTabOrder(m_panel->chainTabOrder(m_log), scroll);
}

void MainWindow::setVisible(bool visible) {
  // Qt would make a window that was not sized yet no larger than two thirds of the screen;
  // this one opens at its own size unless fitToScreen() made it smaller.
  if (visible && !testAttribute(Qt::WA_Resized)) resize(sizeHint());
  QMainWindow::setVisible(visible);
}

QRect MainWindow::roomOn(const QScreen& screen) const {
  const TwipScale tw(logicalDpiX());
  // The window manager's frame is not known before the window is shown; this leaves room for
  // a usual one around the client area, which the window's geometry is.
  const int border = tw(kBorderAllowance);
  return screen.availableGeometry().adjusted(border, tw(kTitleBarAllowance), -border, -border);
}

void MainWindow::fitToScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  const QRect available = roomOn(*screen);
  // At a fractional device pixel ratio Qt asks the window manager for sizes in steps of a
  // logical pixel in device pixels, rounded (2 at 1.5), and the window manager rounds down: the
  // window may come out a logical pixel smaller than asked, so it asks for one more.
  const int rounding = devicePixelRatioF() == std::floor(devicePixelRatioF()) ? 0 : 1;
  QSize size = (sizeHint() + QSize(rounding, rounding))
                   .boundedTo(available.size())
                   .expandedTo(minimumSizeHint());
  // A panel that has to scroll up and down gets the width of its scroll bar, where the screen
  // has it, so that it need not scroll sideways as well.
  const auto* client = static_cast<const ClientArea*>(centralWidget());
  const int clientHeight = size.height() - rounding - (sizeHint() - client->sizeHint()).height();
  if (clientHeight < client->leastSize().height()) {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    size.setWidth(std::min(size.width() + bar, available.width()));
  }
  resize(size);
  // A window whose frame would not lie on the free area goes to its top left corner. pos() is
  // the frame's top left corner, and the client area lies within the frame's allowance.
  const QPoint corner = screen->availableGeometry().topLeft();
  if (!available.contains(QRect(pos() - corner + available.topLeft(), size))) move(corner);
}

void MainWindow::restorePlace() {
  const std::optional<user_settings::WindowPlace> left = user_settings::windowPlace();
  if (!left) return;
  // The screen that holds the place's top left corner, where the title bar is; a place on no
  // screen (a monitor unplugged since) moves to the primary screen.
  const QScreen* screen = QGuiApplication::screenAt(left->normal.topLeft());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect room = roomOn(*screen);
  QRect place = left->normal;
  place.setSize(place.size().boundedTo(room.size()).expandedTo(minimumSizeHint()));
  place.moveLeft(
      std::clamp(place.left(), room.left(), std::max(room.right() - place.width(), room.left())));
  place.moveTop(
      std::clamp(place.top(), room.top(), std::max(room.bottom() - place.height(), room.top())));
  setGeometry(place);
  if (left->maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  user_settings::rememberWindowPlace(
      {isMaximized() ? normalGeometry() : geometry(), isMaximized()});
  QMainWindow::closeEvent(event);
}

QString MainWindow::channelCaption(int channel) const {
  return m_panel->caption(channel);
}

void MainWindow::setPacketsHeld(int packets) {
  if (packets == m_packets.capacity()) return;
  m_packets.setCapacity(packets);
  showLoad();
  // A followed log stays on its newest packet.
  const bool following = m_packets.whenFull() == PacketStore::WhenFull::DropOldest;
  if (following && m_packets.count() > 0) showPacket(m_packets.count());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_fileLabel &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
    showAlarm();
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showAlarm() {
  if (m_unacknowledged == 0) {
    m_alarm->hide();
    m_fileLabel->setContentsMargins(0, 0, 0, 0);
    return;
  }
  m_alarm->setText(m_unacknowledged == 1
                       ? QStringLiteral("1 red limit crossed")
                       : QStringLiteral("%1 red limits crossed").arg(m_unacknowledged));
  const QRect label = m_fileLabel->geometry();
  const int width = std::min(m_alarm->sizeHint().width(), label.width());
  m_alarm->setGeometry(label.right() + 1 - width, label.top(), width, label.height());
  m_fileLabel->setContentsMargins(0, 0, width + 4, 0);
  m_alarm->show();
  m_alarm->raise();
}

void MainWindow::acknowledgeAlarm() {
  m_unacknowledged = 0;
  showAlarm();
}

void MainWindow::showCrossingsList() {
  if (m_crossingsWindow == nullptr) {
    m_crossingsWindow = new CrossingsWindow(*m_crossings, this);
    connect(m_crossingsWindow, &CrossingsWindow::packetChosen, this, [this](std::int64_t number) {
      if (const int row = m_packets.rowOf(number); row > 0) showPacket(row);
    });
  }
  if (!m_crossingsWindow->isVisible()) {
    // Beside the window where the screen has room, else over its right part.
    m_crossingsWindow->show();
    const QRect frame = frameGeometry();
    const QRect screen = this->screen()->availableGeometry();
    const int width = m_crossingsWindow->frameGeometry().width();
    const int left = frame.right() + width < screen.right() ? frame.right() + 1
                                                            : std::max(screen.right() - width, 0);
    m_crossingsWindow->move(left, frame.top());
  }
  m_crossingsWindow->raise();
  m_crossingsWindow->activateWindow();
}

void MainWindow::showCrossing(int direction) {
  const std::vector<LimitCrossing>& all = m_crossings->crossings();
  const std::int64_t shown = m_packets.count() > 0 ? m_packets.numberOf(m_navigator->row()) : 0;
  std::int64_t target = 0;
  if (direction > 0) {
    const auto next =
        std::upper_bound(all.begin(), all.end(), shown,
                         [](std::int64_t n, const LimitCrossing& c) { return n < c.packet; });
    if (next != all.end()) target = next->packet;
  } else {
    const auto before =
        std::lower_bound(all.begin(), all.end(), shown,
                         [](const LimitCrossing& c, std::int64_t n) { return c.packet < n; });
    if (before != all.begin()) target = std::prev(before)->packet;
  }
  if (const int row = m_packets.rowOf(target); row > 0) showPacket(row);
}

void MainWindow::startLoad() {
  m_packets.clear();
  m_fileLabel->clear();
}

int MainWindow::loadLog(const QString& path, std::vector<Error>& skipped, WhenEmpty whenEmpty) {
  emit loadStarting();
  m_packets.setWhenFull(PacketStore::WhenFull::Refuse);
  // The limits file is read again at each file, so that an edit shows without a restart.
  readLimits();
  m_logPath = path;
  m_chart->setLogPath(path);
  const int before = m_packets.count();
  // A file added to the load shows its path and lines only once it has a line to show.
  LogViewSink sink(
      *m_fileLabel, *m_log,
      whenEmpty == WhenEmpty::Keep ? LogViewSink::Show::AtFirstLine : LogViewSink::Show::AtStart,
      &skipped, m_packets.lastNumber() + 1);
  try {
    storeLog(QFile::encodeName(path).toStdString(), sink, m_packets, LogViewSink::kMostLinesShown);
  } catch (const Error&) {
    sink.flush();
    // The packets stored before the failure are shown as after a whole file. A file that never
    // opened changed nothing, so the window stays as it was.
    if (sink.shown()) showLoad();
    throw;
  }
  sink.flush();
  if (sink.shown()) showLoad();
  return m_packets.count() - before;
}

void MainWindow::showLoad() {
  // Every load starts at packet 1, whatever packet the one before was showing, and shows all
  // packets on the chart.
  m_navigator->startAtFirst();
  m_chart->startLoad();
  findAllCrossings();
  acknowledgeAlarm();
  chartChannel(1);
  if (m_packets.count() > 0) {
    showChosenPacket();
  } else {
    // A load without packets shows no values, rather than an earlier load's.
    m_panel->clearValues();
    m_log->showPacket(0);
  }
}

void MainWindow::startFollowing(const QString& path) {
  readLimits();
  m_packets.clear();
  m_packets.setWhenFull(PacketStore::WhenFull::DropOldest);
  m_logPath = path;
  m_chart->setLogPath(path);
  m_fileLabel->setText(path);
  // A log followed for a day would fill the view without end: its oldest lines leave it.
  m_log->setMaximumBlockCount(static_cast<int>(LogViewSink::kMostLinesShown));
}

void MainWindow::stopFollowing() {
  m_log->setMaximumBlockCount(0);
}

void MainWindow::appendPackets(std::int64_t first) {
  const int count = m_packets.count();
  const std::int64_t last = m_packets.lastNumber();
  if (first > last) return;
  const bool atNewest = m_navigator->atNewest();
  const auto added = static_cast<int>(std::min<std::int64_t>(last - first + 1, count));
  // The packets that left the window since the chart was drawn: the rows shift by as many.
  const int dropped = m_chart->appendPackets(added);
  m_navigator->packetsChanged();
  std::vector<LimitCrossing> crossings;
  findLimitCrossings(m_packets, m_limits, count - added + 1, crossings);
  m_crossings->update(crossings, m_packets.firstNumber());
  const auto red = std::count_if(crossings.begin(), crossings.end(),
                                 [](const LimitCrossing& c) { return isRed(c.crossed); });
  if (red > 0) {
    m_unacknowledged += static_cast<int>(red);
    showAlarm();
    QApplication::alert(this);
  }
  // A panel on the newest packet moves on to the new newest; one the user moved back stays on
  // its packet while it is held, else on the oldest held.
  if (atNewest) {
    showPacket(count);
  } else if (dropped > 0) {
    showPacket(std::max(m_navigator->row() - dropped, 1));
  }
}

void MainWindow::chartChannel(int channel) {
  if (channel < 0 || channel >= ValuePanel::kRowCount) {
    throw std::out_of_range("channel number out of range");
  }
  m_panel->markCharted(channel, -1);
  m_chart->chartChannel(channel);
}

void MainWindow::toggleSecondChannel(int channel) {
  m_chart->toggleSecond(channel);
  m_panel->markCharted(m_chart->channel(), m_chart->second());
}

void MainWindow::showPacket(int row) {
  m_navigator->moveTo(row);
  showChosenPacket();
}

void MainWindow::showChosenPacket() {
  const int row = m_navigator->row();
  const bool held = row >= 1 && row <= m_packets.count();
  ChannelRow values{};
  convertPacket(held ? m_packets.bytes(row) : PacketBytes{}, values);
  m_panel->showValues(values, QLocale::system().decimalPoint().toStdString());
  m_chart->chart()->setMarkerRow(row);
  m_log->showPacket(held ? m_packets.numberOf(row) : 0);
}

void MainWindow::readLimits() {
  const QString path = user_settings::limitsFilePath();
  std::vector<Error> earlier = std::move(m_limits.problems);
  try {
    m_limits = readLimitsFile(QFile::encodeName(path).toStdString());
  } catch (const Error& e) {
    m_limits = {};
    m_limits.problems.push_back(e);
  }
  // The lines skipped are told once, not at every file of a load.
  QStringList told;
  for (const Error& e : m_limits.problems) told += QString::fromStdString(e.what());
  QStringList before;
  for (const Error& e : earlier) before += QString::fromStdString(e.what());
  if (!told.isEmpty() && told != before) {
    showMessage(
        this, QStringLiteral("Lines of the limits file skipped:\n") + told.join(QLatin1Char('\n')));
  }
  m_chart->limitsChanged();
  watchLimitsFile();
}

void MainWindow::watchLimitsFile() {
  const QString path = user_settings::limitsFilePath();
  const QString folder = QFileInfo(path).absolutePath();
  if (QFileInfo::exists(path) && !m_limitsWatcher.files().contains(path)) {
    m_limitsWatcher.addPath(path);
  }
  if (QDir(folder).exists() && !m_limitsWatcher.directories().contains(folder)) {
    m_limitsWatcher.addPath(folder);
  }
}

void MainWindow::findAllCrossings() {
  std::vector<LimitCrossing> crossings;
  findLimitCrossings(m_packets, m_limits, 1, crossings);
  m_crossings->setCrossings(std::move(crossings));
}

void MainWindow::reloadLimits() {
  const std::array<ChannelLimits, kChannelCount> before = m_limits.channels;
  readLimits();
  // The window's own write of the file comes back from the watcher: the same limits keep the
  // list of crossings, which takes a look at every packet held.
  if (m_limits.channels == before) return;
  findAllCrossings();
  if (m_packets.count() > 0) showChosenPacket();
}

}  // namespace twk
