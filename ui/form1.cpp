#include "ui/form1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/error.h"
#include "intake/store_loader.h"
#include "telemetry/channel_table.h"
#include "telemetry/value_text.h"
#include "ui/bar_chart.h"
#include "ui/client_area.h"
#include "ui/eliding_label.h"
#include "ui/log_view.h"
#include "ui/log_view_sink.h"
#include "ui/message_box.h"
#include "ui/option_button.h"
#include "ui/packet_scroll_bar.h"
#include "ui/panel_frame.h"
#include "ui/satellite_art.h"
#include "ui/twip_scale.h"
#include "ui/user_settings.h"

namespace twk {
namespace {

struct FrameInfo {
  std::string_view group;
  int left, top, width, height;
};

// The group frames of the value panel, in twips within the window, in reading order: top to
// bottom, left to right.
constexpr std::array<FrameInfo, 7> kFrames{{
    {"", 120, 2040, 6375, 615},
    {"Solar Arrays Currents", 6600, 2040, 3135, 2055},
    {"Battery A", 120, 2760, 3135, 1815},
    {"Battery B", 3360, 2760, 3135, 1815},
    {"COMM", 6600, 4200, 3135, 2055},
    {"Regulator", 120, 4680, 3135, 1575},
    {"Temperatures", 3360, 4680, 3135, 1575},
}};

// Where each channel's row sits in its frame, in twips: the row's top, the width of its name
// label and of its unit label. Channel 30's row lies outside the window (top -1).
struct RowPlace {
  int top, nameWidth, unitWidth;
};
constexpr std::array<RowPlace, kChannelCount> kRowPlaces{{
    {240, 1095, 375},  {360, 1335, 375},  {600, 1335, 375},  {1080, 1335, 375}, {1320, 1335, 255},
    {840, 1335, 375},  {360, 1335, 375},  {600, 1335, 375},  {1080, 1335, 375}, {1320, 1335, 255},
    {840, 1335, 375},  {360, 1335, 375},  {600, 1335, 375},  {840, 1335, 375},  {1080, 1335, 375},
    {1320, 1335, 375}, {1560, 1335, 375}, {360, 1335, 375},  {840, 1335, 255},  {600, 1335, 375},
    {1080, 1335, 375}, {360, 1335, 255},  {600, 1335, 255},  {840, 1335, 255},  {1080, 1335, 255},
    {360, 975, 375},   {840, 1335, 375},  {1080, 1455, 375}, {1320, 1335, 375}, {1560, 1335, 375},
    {-1, 1335, 375},
}};

// Controls that exist for every row but lie right of the window's client area.
constexpr int kHiddenLeft = 13800;
constexpr std::array<int, 3> kSpareRowTops{3240, 3480, 3720};

constexpr QRgb kGreyText = 0xFF808080;

// The least heights of the chart and the log view in a window smaller than the default, and
// room for the title bar and borders that the window manager adds, in twips.
constexpr int kLeastChartHeight = 1800;
constexpr int kLeastLogHeight = 900;
constexpr int kFrameAllowanceWidth = 240;
constexpr int kFrameAllowanceHeight = 720;

// An option button's place from the table, made as tall as the style's circle where the table
// is lower, about the same middle: the rows are far enough apart for it, and a lower button
// would cut the circle off flat.
QRect optionRect(const QWidget& button, QRect place) {
  const int circle =
      button.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, &button);
  const int more = circle - place.height();
  if (more > 0) place.adjust(0, -more / 2, 0, more - more / 2);
  return place;
}

QString arrayName(const char* array, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QString decimalSeparator() {
  return QLocale::system().decimalPoint();
}

QFont panelFont(bool bold) {
  // Where this font is missing, the narrow sans-serif faces come first, so names fit their
  // labels; the platform's sans-serif font at the same size is the last resort.
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  font.setBold(bold);
  return font;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Tarnwick Telemetry Decoder [Ostrel]"));
  setWindowIcon(QIcon(QPixmap::fromImage(satelliteIcon())));
  buildLayout();
  readLimits();
}

Form1::~Form1() = default;

void Form1::buildLayout() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const TwipScale tw(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
  const QFont normal = panelFont(false);
  const QFont bold = panelFont(true);

  auto* client = new ClientArea(QSize(tw(9870), tw(11985)), this);
  client->setFont(normal);
  setCentralWidget(client);
  QWidget* panel = client->panel();

  m_log = new LogView(panel);
  m_log->setObjectName(QStringLiteral("RichTextBox1"));
  QFont courier(QStringLiteral("Courier New"));
  courier.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
  courier.setStyleHint(QFont::TypeWriter);
  courier.setPointSizeF(8.25);
  m_log->setFont(courier);
  m_log->setGeometry(tw.rect(120, 120, 9615, 1815));

  std::array<PanelFrame*, kFrames.size()> frames{};
  for (std::size_t i = 0; i < kFrames.size(); ++i) {
    const FrameInfo& f = kFrames[i];
    frames[i] = new PanelFrame(QString::fromUtf8(f.group.data(), qsizetype(f.group.size())), panel);
    frames[i]->setFont(bold);
    frames[i]->setGeometry(tw.rect(f.left, f.top, f.width, f.height));
  }
  const auto frameOf = [&frames](std::string_view group) -> QWidget* {
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
      if (kFrames[i].group == group) return frames[i];
    }
    return nullptr;
  };

  for (int n = 0; n < kRowCount; ++n) {
    const bool inTable = n < kChannelCount;
    const ChannelInfo* info = inTable ? &channelTable()[static_cast<std::size_t>(n)] : nullptr;
    const RowPlace* place = inTable ? &kRowPlaces[static_cast<std::size_t>(n)] : nullptr;
    QWidget* frame = place != nullptr && place->top >= 0 ? frameOf(info->group) : nullptr;
    QWidget* parentOfRow = frame != nullptr ? frame : panel;

    // Channel 0's option button sits outside the window, unlike the rest of its row.
    m_option[n] = new OptionButton(n, n == 0 ? panel : parentOfRow);
    m_name[n] = new QLabel(parentOfRow);
    m_text[n] = new QLineEdit(parentOfRow);
    for (QWidget* w : {static_cast<QWidget*>(m_option[n]), static_cast<QWidget*>(m_name[n]),
                       static_cast<QWidget*>(m_text[n])}) {
      w->setFont(normal);
    }
    m_option[n]->setObjectName(arrayName("Option1", n));
    m_option[n]->setText(QStringLiteral("Option1"));
    m_name[n]->setObjectName(arrayName("Label5", n));
    m_name[n]->setText(info != nullptr
                           ? QString::fromUtf8(info->name.data(), qsizetype(info->name.size()))
                           : QStringLiteral("Label5"));
    m_text[n]->setObjectName(arrayName("Text1", n));
    m_text[n]->setReadOnly(true);
    connect(m_option[n], &OptionButton::selected, this, &Form1::Option1_Click);
    connect(m_option[n], &OptionButton::selectedAlongside, this, &Form1::toggleSecondChannel);

    // What lies outside the window takes no keyboard focus: a user could not see it.
    if (n == 0) m_option[n]->setFocusPolicy(Qt::NoFocus);
    if (frame == nullptr) {
      for (QWidget* w : {static_cast<QWidget*>(m_option[n]), static_cast<QWidget*>(m_name[n]),
                         static_cast<QWidget*>(m_text[n])}) {
        w->setFocusPolicy(Qt::NoFocus);
      }
    }

    if (n == 0) {
      m_option[n]->setGeometry(tw.rect(kHiddenLeft, 2640, 255, 195));
      m_name[n]->setGeometry(tw.rect(120, place->top, place->nameWidth, 255));
      m_text[n]->setGeometry(tw.rect(1800, place->top, 4335, 285));
      m_text[n]->setFont(bold);
    } else if (frame != nullptr) {
      const bool comm = info->group == "COMM";
      m_option[n]->setGeometry(optionRect(*m_option[n], tw.rect(120, place->top, 255, 195)));
      // COMM's names may run on to its wider-set value fields: the fallback fonts are wider
      // than the one the widths were chosen for, and "File System Pointer" would be cut.
      const int nameWidth = comm ? std::max(place->nameWidth, 2040 - 480 - 60) : place->nameWidth;
      m_name[n]->setGeometry(tw.rect(480, place->top, nameWidth, 255));
      m_text[n]->setGeometry(comm ? tw.rect(2040, place->top, 855, 285)
                                  : tw.rect(1800, place->top, 735, 285));
    } else {
      const int top = kSpareRowTops[static_cast<std::size_t>(n - 30)];
      m_option[n]->setGeometry(tw.rect(11280, top, 255, 195));
      m_name[n]->setGeometry(tw.rect(11640, top, 1335, 255));
      m_text[n]->setGeometry(tw.rect(13200, top, 1095, 285));
    }

    // Unit labels: channels 1 to 24 in their frame; channel 0's ("Label1") and the empty ones
    // of channels 25 to 29 outside the window; rows 30 to 32 have none.
    if (inTable && n < 30) {
      const bool shown = n >= 1 && n <= 24;
      auto* unit = new QLabel(shown ? parentOfRow : panel);
      unit->setFont(normal);
      unit->setObjectName(arrayName("Label1", n));
      if (n == 0) {
        unit->setText(QStringLiteral("Label1"));
        unit->setGeometry(tw.rect(kHiddenLeft, 2880, place->unitWidth, 255));
      } else if (shown) {
        unit->setText(QString::fromUtf8(info->unit.data(), qsizetype(info->unit.size())));
        unit->setGeometry(tw.rect(2640, place->top, place->unitWidth, 255));
      } else {
        unit->setGeometry(tw.rect(kHiddenLeft, 4320, place->unitWidth, 255));
      }
      m_unit[n] = unit;
    }
  }

  m_option[1]->setChecked(true);
  QPalette grey = m_text[1]->palette();
  grey.setColor(QPalette::Text, QColor::fromRgba(kGreyText));
  m_text[1]->setPalette(grey);
  m_hoverText[1] = QStringLiteral("invalid");
  m_hoverText[23] = m_hoverText[24] = QStringLiteral("invalid readings");
  for (int n = 0; n < kRowCount; ++n) m_text[n]->setToolTip(m_hoverText[n]);

  m_chartFrame = new QGroupBox(QStringLiteral("Graph"), panel);
  m_chartFrame->setObjectName(QStringLiteral("Frame8"));
  m_chartFrame->setFont(bold);
  m_chartFrame->setGeometry(tw.rect(120, 6360, 9615, 5175));
  m_chart = new BarChart(m_chartFrame);
  m_chart->setObjectName(QStringLiteral("MSChart1"));
  m_chart->setFont(normal);
  m_chart->setGeometry(tw.rect(120, 360, 9375, 4695));
  m_chart->setToolTipSource([this](int row) { return chartToolTip(row); });
  m_chart->setFitted(user_settings::chartFitted());
  m_chart->setTimeLabels(user_settings::chartTimeLabels());
  m_chart->setTimeLabelSource([this](int row) {
    const int packet = m_packets.rowOf(m_chart->rowLabel(row).toLongLong());
    if (packet < 1) return QString();
    ChannelRow values{};
    convertPacket(m_packets.bytes(packet), values);
    return QString::fromStdString(shortTimeText(values[0]));
  });
  m_chart->setTitleSource([this] { return chartTitle(); });
  connect(m_chart, &BarChart::timeLabelsToggled, this, &user_settings::rememberChartTimeLabels);
  connect(m_chart, &BarChart::fittedToggled, this, &user_settings::rememberChartFitted);

  m_fileLabel = new ElidingLabel(client);
  m_fileLabel->setObjectName(QStringLiteral("Label3"));
  m_fileLabel->setGeometry(tw.rect(120, 11640, 6975, 255));
  m_packetLabel = new QLabel(client);
  m_packetLabel->setObjectName(QStringLiteral("Label2"));
  m_packetLabel->setGeometry(tw.rect(7320, 11640, 975, 255));
  m_scroll = new PacketScrollBar(client);
  m_scroll->setObjectName(QStringLiteral("HScroll1"));
  m_scroll->setGeometry(tw.rect(8400, 11640, 1335, 255));
  connect(m_scroll, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
  connect(m_chart, &BarChart::rowClicked, m_scroll, &QScrollBar::setValue);
  connect(m_chart, &BarChart::wheelSteps, m_scroll, &PacketScrollBar::stepPackets);
  connect(m_chart, &BarChart::visibleRowsChanged, this,
          [this](int first, int last) { setChartSpacing(last - first + 1); });

  m_fileList = new QListWidget(panel);
  m_fileList->setObjectName(QStringLiteral("List2"));
  m_fileList->setGeometry(tw.rect(11520, 4800, 2535, 3180));
  m_fileList->setFocusPolicy(Qt::NoFocus);

  // How the controls take a size other than the default.
  using R = ClientArea::Role;
  client->setSlack(
      {m_chart->height() - tw(kLeastChartHeight), m_log->height() - tw(kLeastLogHeight)});
  client->manage(m_log, R::GrowsWide | R::LogHeight);
  for (PanelFrame* frame : frames) client->manage(frame, R::BelowLog);
  client->manage(m_chartFrame, R::GrowsWide | R::BelowLog | R::ChartHeight);
  client->manage(m_chart, R::GrowsWide | R::ChartHeight);
  client->manage(m_fileLabel, R::BelowLog | R::BelowChart | R::GivesWidth);
  client->manage(m_packetLabel, R::BelowLog | R::BelowChart | R::WidensLeft);
  client->manage(m_scroll, R::GrowsWide | R::BelowLog | R::BelowChart);
  // What lies right of the window stays there when it grows.
  for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->x() >= panel->width()) client->manage(w, R::FollowsRight);
  }

  // Tab goes through the controls in reading order: the log view, the panel frame by frame
  // and row by row, then the scroll bar.
  QWidget* previous = m_log;
  for (const FrameInfo& f : kFrames) {
    std::vector<int> rows;
    for (int n = 0; n < kChannelCount; ++n) {
      if (channelTable()[static_cast<std::size_t>(n)].group == f.group &&
          kRowPlaces[static_cast<std::size_t>(n)].top >= 0) {
        rows.push_back(n);
      }
    }
    std::stable_sort(rows.begin(), rows.end(), [](int a, int b) {
      return kRowPlaces[static_cast<std::size_t>(a)].top <
             kRowPlaces[static_cast<std::size_t>(b)].top;
    });
    for (const int n : rows) {
      for (QWidget* w : {static_cast<QWidget*>(m_option[n]), static_cast<QWidget*>(m_text[n])}) {
        if ((w->focusPolicy() & Qt::TabFocus) == 0) continue;
        setTabOrder(previous, w);
        previous = w;
      }
    }
  }
  setTabOrder(previous, m_scroll);
}

void Form1::setVisible(bool visible) {
  // Qt would make a window that was not sized yet no larger than two thirds of the screen;
  // this one opens at its own size unless fitToScreen() made it smaller.
  if (visible && !testAttribute(Qt::WA_Resized)) resize(sizeHint());
  QMainWindow::setVisible(visible);
}

QRect Form1::roomOn(const QScreen& screen) const {
  const TwipScale tw(logicalDpiX());
  // The window manager's frame is not known before the window is shown; this leaves room for
  // a usual one.
  return screen.availableGeometry().adjusted(0, 0, -tw(kFrameAllowanceWidth),
                                             -tw(kFrameAllowanceHeight));
}

void Form1::fitToScreen() {
  const QScreen* screen = this->screen();
  if (screen == nullptr) return;
  const QRect available = roomOn(*screen);
  QSize size = sizeHint().boundedTo(available.size()).expandedTo(minimumSizeHint());
  // A panel that has to scroll up and down gets the width of its scroll bar, where the screen
  // has it, so that it need not scroll sideways as well.
  const auto* client = static_cast<const ClientArea*>(centralWidget());
  const int clientHeight = size.height() - (sizeHint() - client->sizeHint()).height();
  if (clientHeight < client->leastSize().height()) {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    size.setWidth(std::min(size.width() + bar, available.width()));
  }
  resize(size);
  if (!available.contains(QRect(pos(), size))) move(available.topLeft());
}

void Form1::restorePlace() {
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

void Form1::closeEvent(QCloseEvent* event) {
  user_settings::rememberWindowPlace(
      {isMaximized() ? normalGeometry() : geometry(), isMaximized()});
  QMainWindow::closeEvent(event);
}

QString Form1::channelCaption(int n) const {
  return m_name.at(static_cast<std::size_t>(n))->text();
}

int Form1::Decode_TextFile(WhenEmpty whenEmpty) {
  emit decodingStarted();
  m_packets.setWhenFull(PacketStore::WhenFull::Refuse);
  // The limits file is read again at each file, so that an edit shows without a restart.
  readLimits();
  const int before = m_packets.count();
  // A file added to the load shows its path and lines only once it has a line to show.
  LogViewSink sink(
      *m_fileLabel, *m_log,
      whenEmpty == WhenEmpty::Keep ? LogViewSink::Show::AtFirstLine : LogViewSink::Show::AtStart,
      &m_skippedLines, m_packets.lastNumber() + 1);
  try {
    const std::string path = QFile::encodeName(Log_FileName).toStdString();
    storeLog(path, sink, m_packets, LogViewSink::kMostLinesShown);
  } catch (const Error&) {
    sink.flush();
    // The packets stored before the failure are shown as after a whole file. A file that never
    // opened changed nothing, so the window stays as it was.
    if (sink.shown()) showChannels();
    throw;
  }
  sink.flush();
  const int added = m_packets.count() - before;
  if (sink.shown()) showChannels();
  return added;
}

void Form1::readLimits() {
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
  if (m_chart->rowCount() > 0) m_chart->setLimits(chartLimits(m_chartChannel));
}

ChannelLimits Form1::chartLimits(int channel) const {
  return channel >= 0 && channel < kChannelCount
             ? m_limits.channels[static_cast<std::size_t>(channel)]
             : ChannelLimits{};
}

void Form1::markLimit(int n, double value) {
  const LimitCrossed crossed =
      n < kChannelCount ? crossedLimit(m_limits.channels[static_cast<std::size_t>(n)], value)
                        : LimitCrossed::None;
  QLineEdit* field = m_text[n];
  // Red or amber bold text: the field's light yellow background stays the charted channel's.
  const QColor colour = crossed == LimitCrossed::None
                            ? QGuiApplication::palette().color(QPalette::Text)
                        : isRed(crossed) ? QColor::fromRgb(kRedLimit)
                                         : QColor::fromRgb(kYellowLimit);
  if (field->palette().color(QPalette::Text) != colour) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
    QFont font = field->font();
    font.setBold(crossed != LimitCrossed::None);
    field->setFont(font);
  }
  field->setStatusTip(QString::fromUtf8(limitText(crossed)));
}

void Form1::Make_Channels() {
  showChannels();
}

void Form1::setPacketsHeld(int packets) {
  if (packets == m_packets.capacity()) return;
  m_packets.setCapacity(packets);
  showChannels();
  // A followed log stays on its newest packet.
  const bool following = m_packets.whenFull() == PacketStore::WhenFull::DropOldest;
  if (following && m_packets.count() > 0) showPacket(m_packets.count());
}

QString Form1::heldNote() const {
  if (m_packets.firstNumber() <= 1) return {};
  return QStringLiteral(", newest %1 held").arg(m_packets.count());
}

QString Form1::packetLabelText() const {
  // The scroll bar counts the rows held; the label names each packet by its number in the load.
  const int row = m_scroll->value();
  if (m_packets.count() == 0 || row < 1 || row > m_packets.count()) {
    return QString::number(row) + QLatin1Char('/') + QString::number(m_scroll->packetMaximum());
  }
  return QString::number(m_packets.numberOf(row)) + QLatin1Char('/') +
         QString::number(m_packets.lastNumber());
}

void Form1::showChannels() {
  m_scroll->setPacketMaximum(m_packets.count());
  {
    // Every load starts at packet 1, whatever packet the one before was showing.
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setValue(1);
  }
  m_packetLabel->setText(packetLabelText());
  // Every load shows all packets on the chart.
  m_chart->showAllRows();
  if (m_packets.count() > 0) {
    Show_Data(1);
  } else {
    // A load without packets shows no values and no chart, rather than an earlier load's.
    for (int n = 0; n < kChannelCount; ++n) {
      setFieldText(n, QString());
      markLimit(n, 0);
    }
    m_chart->setRowCount(0);
    m_chartFrame->setTitle(QStringLiteral("Graph"));
  }
  Option1_Click(1);
  m_chart->setMarkerRow(m_scroll->value());
  showPacketLine();
}

void Form1::showPacketLine() {
  const int row = m_scroll->value();
  m_log->showPacket(row >= 1 && row <= m_packets.count() ? m_packets.numberOf(row) : 0);
}

void Form1::setFieldText(int n, const QString& text) {
  QLineEdit* field = m_text[n];
  // A field whose text stays is not painted again: a dragged thumb changes packets quickly.
  if (field->text() == text && field->cursorPosition() == 0) return;
  field->setText(text);
  // A value wider than its field shows its start, and the whole value where the mouse rests.
  field->setCursorPosition(0);
  const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
  const QMargins margins = field->textMargins();
  const int room = field->width() - 2 * frame - margins.left() - margins.right() - 4;
  const bool fits = field->fontMetrics().horizontalAdvance(text) <= room;
  QString tip = m_hoverText[n];
  if (!fits) tip = m_hoverText[n].isEmpty() ? text : text + QLatin1Char('\n') + m_hoverText[n];
  if (field->toolTip() != tip) field->setToolTip(tip);
}

void Form1::Show_Data(int packet) {
  if (packet < 0 || packet > m_packets.capacity()) {
    throw std::out_of_range("packet number out of range");
  }
  const std::string separator = decimalSeparator().toStdString();
  ChannelRow row{};
  convertPacket(
      packet >= 1 && packet <= m_packets.count() ? m_packets.bytes(packet) : PacketBytes{}, row);
  for (int n = 0; n < kChannelCount; ++n) {
    setFieldText(
        n, QString::fromStdString(channelText(n, row[static_cast<std::size_t>(n)], separator)));
    markLimit(n, row[static_cast<std::size_t>(n)]);
  }
}

void Form1::HScroll1_Change() {
  m_packetLabel->setText(packetLabelText());
  Show_Data(m_scroll->value());
  m_chart->setMarkerRow(m_scroll->value());
  showPacketLine();
}

void Form1::Option1_Click(int index) {
  if (index < 0 || index >= kRowCount) throw std::out_of_range("channel number out of range");
  for (int a = 0; a <= 30; ++a) {
    if (a != index) m_option[a]->setChecked(false);
  }
  m_option[index]->setChecked(true);
  m_chartChannel = index;
  m_secondChannel = -1;
  markChartedFields();
  Draw_Chart(index);
}

void Form1::toggleSecondChannel(int index) {
  if (index < 0 || index >= kChannelCount || index == m_chartChannel) return;
  m_secondChannel = index == m_secondChannel ? -1 : index;
  markChartedFields();
  Draw_Chart(m_chartChannel);
}

void Form1::markChartedFields() {
  for (int a = 0; a <= 30; ++a) {
    const QColor colour = a == m_chartChannel    ? QColor::fromRgba(kHighlight)
                          : a == m_secondChannel ? QColor::fromRgba(kSecondHighlight)
                                                 : QGuiApplication::palette().color(QPalette::Base);
    if (m_text[a]->palette().color(QPalette::Base) == colour) continue;
    QPalette palette = m_text[a]->palette();
    palette.setColor(QPalette::Base, colour);
    m_text[a]->setPalette(palette);
  }
}

QString Form1::seriesName(int channel) const {
  const QLabel* unit = m_unit[static_cast<std::size_t>(channel)];
  QString name = m_name[static_cast<std::size_t>(channel)]->text();
  if (unit != nullptr && !unit->text().isEmpty()) name += QStringLiteral(" [") + unit->text() + ']';
  return name;
}

void Form1::Draw_Chart(int channel) {
  m_chartChannel = channel;
  const int count = m_packets.count();
  if (count < 1) return;
  const QLabel* unit = m_unit[channel];
  m_chartUnit = unit != nullptr ? unit->text() : QString();
  m_chartFrame->setTitle(m_name[channel]->text() + QStringLiteral("  [ ") + m_chartUnit +
                         QStringLiteral(" ]"));
  m_chart->setLimits(chartLimits(channel));
  m_chart->setLegend(seriesName(channel),
                     m_secondChannel >= 0 ? seriesName(m_secondChannel) : QString());
  // A zoomed chart keeps its range for the next channel; the spacing follows the rows shown.
  m_chart->setNumberedRows(chartValues(channel, 1), m_packets.firstNumber(), secondValues(1));
  m_chart->setPassStarts(m_packets.passStartRows());
  setChartSpacing(m_chart->lastVisibleRow() - m_chart->firstVisibleRow() + 1);
  // A saved picture is suggested in the folder of the last log read, named after the channel.
  const QString folder =
      Log_FileName.isEmpty() ? QDir::homePath() : QFileInfo(Log_FileName).absolutePath();
  m_chart->setSuggestedSavePath(QDir(folder).filePath(
      BarChart::fileNameFor(m_name[channel]->text()) + QStringLiteral(".png")));
}

std::vector<double> Form1::chartValues(int channel, int first) const {
  std::vector<double> values;
  channelOverPackets(m_packets, channel, first, values);
  // The two temperatures read -50 C and below where their sensor fails: those are charted as 0.
  if (channel == 23 || channel == 24) {
    for (double& v : values) v = v <= -50.0 ? 0.0 : v;
  }
  return values;
}

std::vector<double> Form1::secondValues(int first) const {
  return m_secondChannel >= 0 ? chartValues(m_secondChannel, first) : std::vector<double>{};
}

void Form1::appendPackets(std::int64_t first) {
  const int count = m_packets.count();
  const std::int64_t last = m_packets.lastNumber();
  if (first > last) return;
  const bool atNewest = m_scroll->value() >= m_scroll->packetMaximum();
  // The packets that left the window since the chart was drawn: the rows shift by as many.
  const auto added = static_cast<int>(std::min<std::int64_t>(last - first + 1, count));
  const int dropped = m_chart->rowCount() + added - count;
  m_scroll->setPacketMaximum(count);
  // Redrawn whole where the rows do not continue, and for a followed log's first packets, which
  // give the chart its title as a load does.
  if (m_chart->rowCount() == 0 || dropped < 0 || dropped > m_chart->rowCount() ||
      m_chart->rowLabel(1).toLongLong() != m_packets.firstNumber() - dropped) {
    Draw_Chart(m_chartChannel);
  } else {
    m_chart->appendNumberedRows(chartValues(m_chartChannel, count - added + 1), dropped,
                                secondValues(count - added + 1));
    m_chart->setPassStarts(m_packets.passStartRows());
  }
  // A panel on the newest packet moves on to the new newest; one the user moved back stays on
  // its packet while it is held, else on the oldest held.
  if (atNewest) {
    showPacket(count);
  } else if (dropped > 0) {
    showPacket(std::max(m_scroll->value() - dropped, 1));
  } else {
    m_packetLabel->setText(packetLabelText());
  }
}

void Form1::showPacket(int packet) {
  {
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setValue(packet);
  }
  HScroll1_Change();
}

void Form1::setChartSpacing(int rowsShown) {
  const int divisions = ChartGeometry::categorySpacing(rowsShown);
  m_chart->setAutoCategorySpacing(divisions == 0);
  if (divisions > 0) {
    m_chart->setDivisionsPerLabel(divisions);
    m_chart->setDivisionsPerTick(divisions);
  }
}

QString Form1::chartToolTip(int row) const {
  const std::string separator = decimalSeparator().toStdString();
  const int packet = m_packets.rowOf(m_chart->rowLabel(row).toLongLong());
  QString text = QStringLiteral("Packet %1: ").arg(m_chart->rowLabel(row)) +
                 QString::fromStdString(generalText(m_chart->value(row), separator));
  if (!m_chartUnit.isEmpty()) text += QLatin1Char(' ') + m_chartUnit;
  const std::string_view crossed =
      limitText(crossedLimit(chartLimits(m_chartChannel), m_chart->value(row)));
  if (!crossed.empty()) text += QStringLiteral(", ") + QString::fromUtf8(crossed);
  if (m_chart->hasOverlay()) {
    const QLabel* unit = m_unit[static_cast<std::size_t>(m_secondChannel)];
    text += QLatin1Char('\n') + m_name[static_cast<std::size_t>(m_secondChannel)]->text() +
            QStringLiteral(": ") +
            QString::fromStdString(generalText(m_chart->overlayValue(row), separator));
    if (unit != nullptr && !unit->text().isEmpty()) text += QLatin1Char(' ') + unit->text();
  }
  if (packet >= 1) {
    ChannelRow values{};
    convertPacket(m_packets.bytes(packet), values);
    text += QLatin1Char('\n') + QString::fromStdString(channelText(0, values[0], separator));
  }
  return text;
}

QString Form1::chartTitle() const {
  const int first = m_chart->firstVisibleRow();
  const int last = m_chart->lastVisibleRow();
  if (first < 1) return {};
  // "Volts [V] · pass.log · packets 1–400 · on-board 29d 01:03 – 26d 20:40"
  const auto time = [this](int row) {
    const int packet = m_packets.rowOf(m_chart->rowLabel(row).toLongLong());
    if (packet < 1) return QString();
    ChannelRow values{};
    convertPacket(m_packets.bytes(packet), values);
    return QString::fromStdString(shortTimeText(values[0]));
  };
  const QString dot = QStringLiteral(" \u00b7 ");
  QString title = seriesName(m_chartChannel);
  if (m_secondChannel >= 0) title += QStringLiteral(" and ") + seriesName(m_secondChannel);
  if (!Log_FileName.isEmpty()) title += dot + QFileInfo(Log_FileName).fileName();
  title += dot + QStringLiteral("packets ") + m_chart->rowLabel(first) + QStringLiteral("\u2013") +
           m_chart->rowLabel(last);
  title +=
      dot + QStringLiteral("on-board ") + time(first) + QStringLiteral(" \u2013 ") + time(last);
  return title;
}

}  // namespace twk
