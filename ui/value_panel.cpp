#include "ui/value_panel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <string>

#include "telemetry/channel_table.h"
#include "telemetry/value_text.h"
#include "ui/fonts.h"
#include "ui/option_button.h"
#include "ui/panel_frame.h"
#include "ui/twip_scale.h"

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

// The charted channel's field: light yellow; a second charted channel's: a pale tint of its
// line's teal. A value outside its limits: red, or amber for a yellow limit, both dark enough to
// read on any of the fields' backgrounds (a contrast of 4.5:1 at least).
constexpr QRgb kChartedColour = 0xFFFFFFC0;
constexpr QRgb kSecondChartedColour = 0xFFD2EEEA;
constexpr QRgb kRedLimitColour = 0xFFC00000;
constexpr QRgb kYellowLimitColour = 0xFF8A5200;
constexpr QRgb kGreyText = 0xFF808080;

QString text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString arrayName(const char* array, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

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

}  // namespace

ValuePanel::ValuePanel(QWidget& panel, const TwipScale& tw, const LimitsTable& limits)
    : QObject(&panel), m_limits(limits) {
  for (const FrameInfo& f : kFrames) {
    auto* frame = new PanelFrame(text(f.group), &panel);
    frame->setFont(sansFont(8.25, true));
    frame->setGeometry(tw.rect(f.left, f.top, f.width, f.height));
    m_frames.push_back(frame);
  }
  for (int n = 0; n < kRowCount; ++n) buildRow(n, panel, tw);

  m_button[1]->setChecked(true);
  QPalette grey = m_field[1]->palette();
  grey.setColor(QPalette::Text, QColor::fromRgba(kGreyText));
  m_field[1]->setPalette(grey);
  m_hoverText[1] = QStringLiteral("invalid");
  m_hoverText[23] = m_hoverText[24] = QStringLiteral("invalid readings");
  for (int n = 0; n < kRowCount; ++n) m_field[n]->setToolTip(m_hoverText[n]);
}

void ValuePanel::buildRow(int n, QWidget& panel, const TwipScale& tw) {
  const QFont normal = sansFont(8.25);
  const bool inTable = n < kChannelCount;
  const ChannelInfo* info = inTable ? &channelTable()[static_cast<std::size_t>(n)] : nullptr;
  const RowPlace* place = inTable ? &kRowPlaces[static_cast<std::size_t>(n)] : nullptr;
  QWidget* frame = nullptr;
  for (std::size_t i = 0; i < kFrames.size() && place != nullptr && place->top >= 0; ++i) {
    if (kFrames[i].group == info->group) frame = m_frames[i];
  }
  QWidget* parentOfRow = frame != nullptr ? frame : &panel;

  // Channel 0's option button sits outside the window, unlike the rest of its row.
  auto* button = m_button[n] = new OptionButton(n, n == 0 ? &panel : parentOfRow);
  auto* name = m_name[n] = new QLabel(parentOfRow);
  auto* field = m_field[n] = new QLineEdit(parentOfRow);
  for (QWidget* w :
       {static_cast<QWidget*>(button), static_cast<QWidget*>(name), static_cast<QWidget*>(field)}) {
    w->setFont(normal);
  }
  button->setObjectName(arrayName("chartButton", n));
  name->setObjectName(arrayName("channelName", n));
  name->setText(info != nullptr ? text(info->name) : QString());
  field->setObjectName(arrayName("valueField", n));
  field->setReadOnly(true);
  connect(button, &OptionButton::selected, this, &ValuePanel::chartRequested);
  connect(button, &OptionButton::selectedAlongside, this, &ValuePanel::secondRequested);

  // What lies outside the window takes no keyboard focus: a user could not see it.
  if (n == 0) button->setFocusPolicy(Qt::NoFocus);
  if (frame == nullptr) {
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(name),
                       static_cast<QWidget*>(field)}) {
      w->setFocusPolicy(Qt::NoFocus);
    }
  }

  if (n == 0) {
    button->setGeometry(tw.rect(kHiddenLeft, 2640, 255, 195));
    name->setGeometry(tw.rect(120, place->top, place->nameWidth, 255));
    field->setGeometry(tw.rect(1800, place->top, 4335, 285));
    field->setFont(sansFont(8.25, true));
  } else if (frame != nullptr) {
    const bool comm = info->group == "COMM";
    button->setGeometry(optionRect(*button, tw.rect(120, place->top, 255, 195)));
    // COMM's names may run on to its wider-set value fields: the fallback fonts are wider
    // than the one the widths were chosen for, and "File System Pointer" would be cut.
    const int nameWidth = comm ? std::max(place->nameWidth, 2040 - 480 - 60) : place->nameWidth;
    name->setGeometry(tw.rect(480, place->top, nameWidth, 255));
    field->setGeometry(comm ? tw.rect(2040, place->top, 855, 285)
                            : tw.rect(1800, place->top, 735, 285));
  } else {
    const int top = kSpareRowTops[static_cast<std::size_t>(n - 30)];
    button->setGeometry(tw.rect(11280, top, 255, 195));
    name->setGeometry(tw.rect(11640, top, 1335, 255));
    field->setGeometry(tw.rect(13200, top, 1095, 285));
  }

  // Unit labels: channels 1 to 24 in their frame; channel 0's and the empty ones of channels
  // 25 to 29 outside the window; rows 30 to 32 have none.
  if (inTable && n < 30) {
    const bool shown = n >= 1 && n <= 24;
    auto* unit = m_unit[n] = new QLabel(shown ? parentOfRow : &panel);
    unit->setFont(normal);
    unit->setObjectName(arrayName("channelUnit", n));
    if (n == 0) {
      unit->setGeometry(tw.rect(kHiddenLeft, 2880, place->unitWidth, 255));
    } else if (shown) {
      unit->setText(text(info->unit));
      unit->setGeometry(tw.rect(2640, place->top, place->unitWidth, 255));
    } else {
      unit->setGeometry(tw.rect(kHiddenLeft, 4320, place->unitWidth, 255));
    }
  }
}

QWidget* ValuePanel::chainTabOrder(QWidget* previous) const {
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
      for (QWidget* w : {static_cast<QWidget*>(m_button[n]), static_cast<QWidget*>(m_field[n])}) {
        if ((w->focusPolicy() & Qt::TabFocus) == 0) continue;
        QWidget::setTabOrder(previous, w);
        previous = w;
      }
    }
  }
  return previous;
}

QString ValuePanel::caption(int channel) const {
  return m_name.at(static_cast<std::size_t>(channel))->text();
}

QString ValuePanel::unit(int channel) const {
  const QLabel* unit = m_unit.at(static_cast<std::size_t>(channel));
  return unit != nullptr ? unit->text() : QString();
}

QString ValuePanel::seriesName(int channel) const {
  const QString name = QString::fromStdString(channelLongName(channel));
  return unit(channel).isEmpty() ? name : name + QStringLiteral(" [") + unit(channel) + ']';
}

void ValuePanel::showValues(const ChannelRow& values, std::string_view separator) {
  for (int n = 0; n < kChannelCount; ++n) {
    const double value = values[static_cast<std::size_t>(n)];
    setFieldText(n, QString::fromStdString(channelText(n, value, separator)));
    markLimit(n, value);
  }
}

void ValuePanel::clearValues() {
  for (int n = 0; n < kChannelCount; ++n) {
    setFieldText(n, QString());
    markLimit(n, 0);
  }
}

void ValuePanel::setFieldText(int n, const QString& text) {
  QLineEdit* field = m_field[n];
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

void ValuePanel::markLimit(int n, double value) {
  const LimitCrossed crossed = crossedLimit(m_limits.channels[static_cast<std::size_t>(n)], value);
  QLineEdit* field = m_field[n];
  // Red or amber bold text: the field's light yellow background stays the charted channel's.
  const QColor colour = crossed == LimitCrossed::None
                            ? QGuiApplication::palette().color(QPalette::Text)
                        : isRed(crossed) ? QColor::fromRgb(kRedLimitColour)
                                         : QColor::fromRgb(kYellowLimitColour);
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

void ValuePanel::markCharted(int channel, int second) {
  for (int n = 0; n <= 30; ++n) {
    m_button[n]->setChecked(n == channel);
    const QColor colour = n == channel  ? QColor::fromRgba(kChartedColour)
                          : n == second ? QColor::fromRgba(kSecondChartedColour)
                                        : QGuiApplication::palette().color(QPalette::Base);
    if (m_field[n]->palette().color(QPalette::Base) == colour) continue;
    QPalette palette = m_field[n]->palette();
    palette.setColor(QPalette::Base, colour);
    m_field[n]->setPalette(palette);
  }
}

}  // namespace twk
