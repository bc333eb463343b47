#!/usr/bin/env python3
"""Mutation check of the test suite: puts one small fault at a time into the product, rebuilds
the dev build (but its benchmarks), runs ctest and reports whether a test failed. The tests of
the programs nearest the mutated folder run first; a run stops at its first failing test.

    tools/mutate.py                 run every mutant
    tools/mutate.py NAME...         run only these (see --list)
    tools/mutate.py --list          list the mutants
    tools/mutate.py --check         only check that every mutant's text is found exactly once
    tools/mutate.py --every-test    run the whole suite on each mutant; name the tests that alone catch one

Each mutant is (name, file, original text, replacement, what a user would notice). The original
text must occur exactly once in the file; it may span lines to be unique, but the fault itself
changes one line. The file is restored after every mutant, also on a failed build, a timeout or
Ctrl-C. Build and test logs go to build/mutate/<name>.log. Not run by test.sh.
"""

import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# fmt: (name, file, original, replacement, description)
MUTANTS = [
    # intake
    ("odd-length-rounding", "intake/telemetry_line.h",
     "inline constexpr std::size_t kMaxShownLength = 301;",
     "inline constexpr std::size_t kMaxShownLength = 300;",
     "a line of 301 hex digits, whose last position rounds to even, is refused"),
    ("d7de-as-fe", "intake/telemetry_line.h",
     "case 'E': return 0xFB;", "case 'E': return 0xFE;",
     "the escape pair D7 DE is read as FE instead of FB"),
    ("d7d6-not-undone", "intake/telemetry_line.h",
     "case '6': return 0xD7;", "case '7': return 0xD7;",
     "the escape pair D7 D6 is not turned back into D7"),
    ("marker-32-chars", "intake/telemetry_line.cpp",
     "return line.size() >= kMarkerOffset + kMarker.size() &&",
     "return line.size() > kMarkerOffset + kMarker.size() &&",
     "a telemetry line of exactly 32 characters is skipped"),
    ("marker-anywhere", "intake/telemetry_line.cpp",
     "line.substr(kMarkerOffset, kMarker.size()) == kMarker;",
     "line.find(kMarker) != std::string_view::npos;",
     "a line with the call sign anywhere, not at characters 13 to 32, is taken"),
    ("302-digits-fit", "intake/channel_bytes.cpp",
     "bytes.tooLong = bytes.shownLength > kMaxShownLength;",
     "bytes.tooLong = bytes.shownLength > kMaxShownLength + 1;",
     "a line one byte too long is accepted without an error"),
    ("hex-bad-low-digit", "intake/channel_bytes.cpp",
     "return low >= kOther ? high : static_cast<std::uint8_t>(high * 16 + low);",
     "return low >= kOther ? 0 : static_cast<std::uint8_t>(high * 16 + low);",
     "a pair like 4G reads 0 instead of 4"),
    ("long-line-resumed-as-new", "intake/chunk_reader.cpp",
     "    return readLongLine(chunk, true);", "    return readLongLine(chunk, false);",
     "a followed line past 65,535 characters written over two looks is reported with a wrong "
     "length"),
    ("long-line-forgotten-between-looks", "intake/chunk_reader.cpp",
     "        m_inLongLine = true;", "        m_inLongLine = false;",
     "a followed line past 65,535 characters written over two looks is not read as one line"),
    ("crlf-split-by-refill", "intake/chunk_reader.cpp",
     "      if (*at == '\\n') {", "      if (false) {",
     "a CR LF split between two reads counts as two line ends"),
    ("crlf-two-ends", "intake/chunk_reader.h",
     "eol[1] == '\\n' ? 2 : 1);", "eol[1] == '\\n' ? 1 : 1);",
     "CR LF counts as two line ends: line numbers in messages double"),
    ("cr-missed-in-fast-scan", "intake/chunk_reader.cpp",
     "_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf));",
     "_mm_cmpeq_epi8(block, lf);",
     "a CR alone is not seen as a line end in most places"),
    ("utf8-bom-kept", "intake/chunk_reader.cpp",
     "bytes[2] == 0xBF) return;", "bytes[2] == 0xBF && false) return;",
     "the UTF-8 byte-order mark stays at the start of the first line"),
    ("utf16-byte-order", "intake/chunk_reader.cpp",
     "const bool little = m_encoding == Encoding::Utf16Le;",
     "const bool little = m_encoding == Encoding::Utf16Be;",
     "UTF-16 text is read in the wrong byte order"),
    ("utf16-split-unit-lost", "intake/chunk_reader.cpp",
     "m_rawKept = raw % 2;", "m_rawKept = 0;",
     "a UTF-16 character split between two reads is lost"),
    ("short-first-read-hides-bom", "intake/chunk_reader.cpp",
     "while (have < 3) {", "while (have < 1) {",
     "a byte-order mark that arrives in two reads (a pipe) is not seen"),
    ("log-file-left-open", "intake/log_file.cpp",
     "LogFile::~LogFile() {\n  if (m_owned) ::close(m_fd);",
     "LogFile::~LogFile() {\n  if (m_owned && m_fd < 0) ::close(m_fd);",
     "every decoded log file stays open"),
    ("folder-read-as-log", "intake/log_file.cpp",
     "if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {",
     "if (false && ::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {",
     "a folder given as a log is started and fails as a read error at line 1"),
    ("wide-line-no-error", "intake/chunk_reader.cpp",
     "if (nonBlanks > kMaxLineLength && chunk.readError == 0) chunk.longLineLength = nonBlanks;",
     "(void)0;",
     "a line of more than 65535 characters besides blanks is decoded from its start"),
    ("skipped-line-stored", "intake/chunk_pipeline.cpp",
     "      if (stopAtSkipped) return;\n      continue;\n", "      if (stopAtSkipped) return;\n",
     "a line too long is reported and still becomes a packet"),
    ("line-past-table-hidden", "export/store_loader.cpp",
     "      m_sink.lineShown(m_shown);\n      throw Error(", "      throw Error(",
     "the line that does not fit the table is not shown, so the log view hides where the load "
     "stopped"),
    ("4999-packets", "intake/packet_store.h",
     "return Packet_Count < m_capacity ||", "return Packet_Count + 1 < m_capacity ||",
     "a load holds one packet fewer than \"Packets held\""),
    ("ring-numbers-restart", "intake/packet_store.cpp",
     "    ++m_firstNumber;", "    (void)0;",
     "past \"Packets held\", the packets of a followed log lose their numbers in the load"),
    ("ring-overwrites-newest", "intake/packet_store.cpp",
     "    at = m_head;", "    at = m_head == 0 ? 0 : m_head - 1;",
     "past \"Packets held\", a new packet replaces the one before it instead of the oldest"),
    ("smaller-capacity-keeps-oldest", "intake/packet_store.cpp",
     "for (int row = Packet_Count - kept + 1; row <= Packet_Count; ++row) {",
     "for (int row = 1; row <= kept; ++row) {",
     "a smaller \"Packets held\" keeps the oldest packets of a followed log, not the newest"),
    ("no-pass-after-truncation", "intake/log_follower.cpp",
     "    restart();\n    sink.passStarted();", "    restart();\n    (void)0;",
     "a followed log emptied for the next pass shows no grey line before the new pass"),
    # telemetry
    ("32-bit-byte-swapped", "telemetry/channel_conversion.cpp",
     "return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |",
     "return std::uint32_t{b[at + 3]} << 24 | std::uint32_t{b[at + 2]} << 16 |",
     "the time and the receive count read their bytes in the wrong order"),
    ("0x8000-negative", "telemetry/channel_inputs.cpp",
     "return w > 32768 ? static_cast<double>(w) - 65536",
     "return w >= 32768 ? static_cast<double>(w) - 65536",
     "the word 0x8000 reads as -32768 instead of +32768"),
    ("battery-volts-bit-15", "telemetry/channel_inputs.cpp",
     "static_cast<double>(w & 0x7FFF) / 32", "static_cast<double>(w & 0xFFFF) / 32",
     "battery volts and temperatures take bit 15 into the magnitude"),
    ("rssi-116", "telemetry/channel_inputs.cpp",
     "const double r = b < 116 ?", "const double r = b <= 116 ?",
     "the signal strength of byte 116 is wrong"),
    ("sa6-not-converted", "telemetry/channel_inputs.cpp",
     "{Byte, 60, 11}", "{Byte, 60, 60}",
     "the solar array SA6 current shows its raw byte"),
    ("controller-temp-byte", "telemetry/channel_inputs.cpp",
     "{Byte, 69, 23}", "{Byte, 70, 23}",
     "the controller temperature shows the amplifier's"),
    ("last-packet-uncharted", "telemetry/channel_conversion.cpp",
     "for (int row = first; row <= store.Packet_Count; ++row) {",
     "for (int row = first; row < store.Packet_Count; ++row) {",
     "the chart has no bar for the newest packet"),
    ("whole-half-away", "telemetry/value_text.cpp",
     "return std::nearbyint(x);", "return std::round(x);",
     "whole numbers (the clock of the time field) round halves away from zero"),
    ("hundredths-half-down", "telemetry/value_text.cpp",
     "if (d.digits[whole] >= '5') {", "if (d.digits[whole] > '5') {",
     "\"#.00\" and \"#.##\" round halves down"),
    ("minus-zero-hundredths", "telemetry/value_text.cpp",
     "if (x < 0 && !zero) text += '-';", "if (x < 0) text += '-';",
     "a small negative value shows as -.00"),
    ("exponent-from-1e-5", "telemetry/value_text.cpp",
     "if (d.exponent < -4 || d.exponent >= 15) {", "if (d.exponent < -5 || d.exponent >= 15) {",
     "1E-05 is written as 0.00001"),
    ("ties-away-at-15-digits", "telemetry/value_text.cpp",
     "if (above || (half && (whole & 1) != 0)) ++whole;", "if (above || half) ++whole;",
     "a value halfway between two 15-digit texts rounds up instead of to even"),
    ("hex-lower-case", "telemetry/value_text.cpp",
     "hex += (*p >= 'a' && *p <= 'f') ? static_cast<char>(*p - 32) : *p;", "hex += *p;",
     "hex fields show lower-case digits"),
    ("clock-hours-one-digit", "telemetry/value_text.cpp",
     "+ \"d \" + twoDigitsText(hours)", "+ \"d \" + std::to_string(hours)",
     "the clock shows 0d 1:01:01 instead of 0d 01:01:01"),
    ("status-decimal", "telemetry/value_text.cpp",
     "case 29: return hexText(x);", "case 29: return wholeText(x);",
     "the subsystem status is shown in decimal"),
    # export
    ("csv-header-separator", "export/csv_writer.cpp",
     "out += caption;\n    out += ';';", "out += caption;\n    out += ',';",
     "the CSV header's fields are separated by commas"),
    ("csv-row-lf", "export/csv_writer.cpp",
     "    out += ';';\n  }\n  out += \"\\r\\n\";\n}\n\nvoid writeCsvFile",
     "    out += ';';\n  }\n  out += \"\\n\";\n}\n\nvoid writeCsvFile",
     "CSV rows end in LF instead of CR LF"),
    ("csv-chunk-repeated", "export/csv_writer.cpp",
     "      text.clear();", "      text.erase(0, kChunk);",
     "a CSV of more than 1 MiB repeats part of its text"),
    ("permissions-lost", "export/atomic_file.cpp",
     "if (exists && ::fchmod(m_fd, info.st_mode & 07777) != 0) fail(errno);",
     "if (false && ::fchmod(m_fd, info.st_mode & 07777) != 0) fail(errno);",
     "a replaced output file loses its permissions"),
    ("symlink-replaced", "export/atomic_file.cpp",
     "if (::realpath(m_path.c_str(), resolved) != nullptr) m_target = resolved;",
     "if (false && ::realpath(m_path.c_str(), resolved) != nullptr) m_target = resolved;",
     "-o through a symbolic link replaces the link with a file"),
    ("temp-file-named", "export/atomic_file.cpp",
     "m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);", "m_fd = -1;",
     "a killed twk-csv -o leaves its hidden temporary file beside the target"),
    ("new-file-mode-fixed", "export/atomic_file.cpp",
     "O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);", "O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);",
     "a new output file is readable by its owner only, whatever the umask"),
    ("follow-watches-pile-up", "export/csv_follow.cpp",
     "if (m_fileWatch >= 0) ::inotify_rm_watch(m_fd, m_fileWatch);", "",
     "twk-csv -f keeps a watch on every rotated log for as long as it runs"),
    # ui
    ("export-drops-oldest", "export/csv_writer.cpp",
     "for (int row = 1; row <= store.Packet_Count; ++row) {",
     "for (int row = 2; row <= store.Packet_Count; ++row) {",
     "the window's CSV leaves out the oldest packet held"),
    ("chunked-load-names-chunk-line", "export/store_loader.cpp",
     "Error(ErrorKind::LineTooLong, name, linesBefore + line, skipped->second)",
     "Error(ErrorKind::LineTooLong, name, line, skipped->second)",
     "a load's message names a skipped line by its place in a piece of the file, not its number"),
    ("chunked-load-past-packets-held", "export/store_loader.cpp",
     "    if (!m_store.hasRoom()) {", "    if (false) {",
     "a load past \"Packets held\" goes on without the table-full message"),
    ("follow-takes-open-line", "intake/chunk_reader.cpp",
     "      if (m_following && m_error == 0) {\n        waitForLineEnd(chunk);",
     "      if (false) {\n        waitForLineEnd(chunk);",
     "following takes a line the station is still writing as a whole packet"),
    ("follow-stops-when-full", "ui/log_follow_command.cpp",
     "  m_window.packets().setWhenFull(PacketStore::WhenFull::DropOldest);\n", "",
     "following stops at \"Packets held\" with the table-full box"),
    ("label2-names-row", "ui/form1.cpp",
     "return QString::number(m_packets.numberOf(row)) + QLatin1Char('/') +",
     "return QString::number(row) + QLatin1Char('/') +",
     "past \"Packets held\", Label2 shows the row held, not the packet's number"),
    ("moved-back-panel-drifts", "ui/form1.cpp",
     "showPacket(std::max(m_scroll->value() - dropped, 1));", "showPacket(m_scroll->value());",
     "a panel moved back slides to newer packets as the oldest leave"),
    ("held-note-counts-all", "ui/form1.cpp",
     "QStringLiteral(\", newest %1 held\").arg(m_packets.Packet_Count);",
     "QStringLiteral(\", newest %1 held\").arg(m_packets.lastNumber());",
     "the file label counts every packet read as held"),
    ("chart-numbers-stay", "ui/bar_chart.cpp",
     "  m_firstNumber += dropped;\n", "",
     "past \"Packets held\", the chart's bars carry the numbers of packets that have left"),
    ("window-csv-point", "ui/csv_export_command.cpp",
     "const std::string separator = QLocale::system().decimalPoint().toStdString();",
     "const std::string separator = \".\";",
     "the window's CSV ignores a decimal comma"),
    ("label-spacing-half-up", "ui/chart_geometry.cpp",
     "std::nearbyint(rowsShown / 20.0)", "std::round(rowsShown / 20.0)",
     "the chart's label spacing rounds halves up (130 packets: every 7th, not 6th)"),
    ("amplifier-temp-unfiltered", "ui/form1.cpp",
     "if (channel == 23 || channel == 24) {", "if (channel == 23) {",
     "a failed amplifier temperature sensor is charted at -273 instead of 0"),
    ("chart-cleared-without-packets", "ui/form1.cpp",
     "if (count < 1) return;", "if (count < 0) return;",
     "a load without packets empties the chart and retitles it"),
    ("panel-shows-last-packet", "ui/form1.cpp",
     "    Show_Data(1);", "    Show_Data(m_packets.Packet_Count);",
     "after a load the panel shows the last packet while the label says 1"),
    ("new-load-keeps-position", "ui/form1.cpp",
     "    m_scroll->setValue(1);", "    m_scroll->setValue(m_scroll->value());",
     "a new load keeps the packet position of the load before (2059/5000 instead of 1/5000)"),
    ("empty-load-keeps-values", "ui/form1.cpp",
     "      setFieldText(n, QString());\n      markLimit(n, 0);", "      markLimit(n, 0);",
     "after a load without packets the panel still shows the values of the load before"),
    ("wide-value-shows-end", "ui/form1.cpp",
     "  field->setCursorPosition(0);\n", "",
     "a value wider than its field shows its end instead of its start"),
    ("chart-not-wider", "ui/form1.cpp",
     "client->manage(m_chart, R::GrowsWide | R::ChartHeight);",
     "client->manage(m_chart, R::ChartHeight);",
     "a wider window leaves the chart at its default width"),
    ("marker-wrong-packet", "ui/form1.cpp",
     "  Show_Data(m_scroll->value());\n  m_chart->setMarkerRow(m_scroll->value());",
     "  Show_Data(m_scroll->value());\n  m_chart->setMarkerRow(m_scroll->value() - 1);",
     "the chart's marker stands on the packet before the one shown"),
    ("panel-stays-behind-newest", "ui/form1.cpp",
     "const bool atNewest = m_scroll->value() >= m_scroll->packetMaximum();",
     "const bool atNewest = false;",
     "following a log, the panel on the newest packet stays there when newer ones arrive"),
    ("panel-leaves-chosen-packet", "ui/form1.cpp",
     "const bool atNewest = m_scroll->value() >= m_scroll->packetMaximum();",
     "const bool atNewest = true;",
     "following a log, the panel jumps to each new packet although the user went back"),
    ("scroll-off-by-one", "ui/form1.cpp",
     "Show_Data(m_scroll->value());", "Show_Data(m_scroll->value() - 1);",
     "the scroll bar shows the packet before the one it names"),
    ("options-not-cleared", "ui/form1.cpp",
     "if (a != index) m_option[a]->setChecked(false);",
     "if (a != index && a > 30) m_option[a]->setChecked(false);",
     "clicking an option button leaves the others marked"),
    ("chart-click-next-packet", "ui/form1.cpp",
     "connect(m_chart, &BarChart::rowClicked, m_scroll, &QScrollBar::setValue);",
     "connect(m_chart, &BarChart::rowClicked, this, [this](int row) { m_scroll->setValue(row + 1); });",
     "clicking a bar shows the packet after it"),
    ("empty-load-stale-position", "ui/packet_scroll_bar.cpp",
     "setRange(kMinimum, std::max(maximum, kMinimum));",
     "setRange(kMinimum, maximum > 0 ? maximum : this->maximum());",
     "after a load without packets the scroll bar still reaches the packets of the load before"),
    ("scroll-tracking", "ui/packet_scroll_bar.cpp",
     "setTracking(true);", "setTracking(false);",
     "the panel does not follow a dragged thumb"),
    ("page-keys-one-packet", "ui/packet_scroll_bar.cpp",
     "return std::max(1, m_maximum / 20);", "return 1;",
     "Page Up and Page Down move one packet instead of a twentieth of them"),
    ("wheel-direction", "ui/wheel_steps.cpp",
     "m_rest -= delta;", "m_rest += delta;",
     "turning the wheel down shows earlier packets instead of later ones"),
    ("zero-bar-invisible", "ui/chart_geometry.cpp",
     "if (c.bottom <= c.top) c.bottom = c.top + 1;", "if (c.bottom < c.top) c.bottom = c.top + 1;",
     "a packet whose value is 0 has no visible bar"),
    ("spike-lost", "ui/chart_geometry.cpp",
     "lowAndHigh(series, blocks, g.shown.first + row, g.shown.first + end);",
     "lowAndHigh(series, blocks, g.shown.first + row, g.shown.first + row + 1);",
     "a one-packet spike among 5000 packets is not drawn"),
    ("axis-without-zero", "ui/chart_geometry.cpp",
     "low = std::min(low, 0.0);", "low = std::min(low, high);",
     "the value axis of positive values does not start at zero"),
    ("overlapping-labels", "ui/chart_geometry.cpp",
     "if (x - input.labelWidth / 2.0 < freeFrom) continue;",
     "if (x - input.labelWidth / 2.0 < freeFrom - 1e9) continue;",
     "category labels are drawn over each other"),
    ("one-pixel-bars-unpainted", "ui/bar_chart.cpp",
     "p.fillRect(c.x, c.top, c.width, c.bottom - c.top, kBarColour);",
     "p.fillRect(c.x, c.top, c.width - 1, c.bottom - c.top, kBarColour);",
     "bars are painted one pixel narrow, so one-pixel bars are not painted"),
    ("scroll-bar-no-focus-mark", "ui/packet_scroll_bar.cpp",
     "  if (hasFocus()) {", "  if (false) {",
     "a keyboard user cannot see that the packet scroll bar has the keys"),
    ("frame-drawn-inside-paint", "ui/panel_frame.cpp",
     "if (!m_drawing) QTimer::singleShot(0, this, &PanelFrame::keepPicture);",
     "if (!m_drawing) keepPicture();",
     "on a real screen the panel's frames and captions are not drawn"),
    ("chart-text-app-font", "ui/bar_chart.cpp",
     "  p.setFont(labelFont);\n", "",
     "the chart's labels are drawn in another font than the one they are measured in, and clipped"),
    ("label-clips-notes", "ui/eliding_label.cpp",
     "  if (shown == text()) return QLabel::paintEvent(event);\n",
     "  if (!shown.isNull()) return QLabel::paintEvent(event);\n",
     "the file label's notes run past its end: \"last packet 5 min ago\" is cut off"),
    ("label-drops-file-name", "ui/eliding_label.cpp",
     "  if (first >= 0 && last > first + 1) {", "  if (false) {",
     "a long path in the file label hides the file's name, though leaving out folders would do"),
    ("label-no-whole-text", "ui/eliding_label.cpp",
     "      QToolTip::showText(help->globalPos(), text(), this);", "      QToolTip::hideText();",
     "the file label shortened to fit never shows its whole text"),
    ("svg-at-72-dpi", "ui/bar_chart.cpp",
     "  svg.setResolution(logicalDpiX());\n", "",
     "a saved SVG chart's labels are a quarter smaller than on the screen"),
    ("bar-gaps-uneven", "ui/chart_geometry.cpp",
     "c.width = std::max(x1 - x0 - gap, 1);", "c.width = std::max(x1 - x0 - (x1 - x0) / 5, 1);",
     "bars 4 and 5 pixels wide get a gap only when 5 wide and seem to merge in groups"),
    ("fit-without-air", "ui/chart_geometry.cpp",
     "constexpr double kFitAir = 0.05;", "constexpr double kFitAir = 0.0;",
     "a fitted chart's highest and lowest values touch the frame"),
    ("fit-over-all-rows", "ui/chart_geometry.cpp",
     "if (fitted && shown.count > 0 && ", "if (false && shown.count > 0 && ",
     "a zoomed fitted chart keeps the axis of all packets, so small changes stay flat"),
    ("fitted-bars-from-zero", "ui/chart_geometry.cpp",
     "c.bottom = toY(fitted ? c.low : std::min(c.low, 0.0));",
     "c.bottom = toY(std::min(c.low, 0.0));",
     "a fitted chart draws bars down to the frame instead of a line with its band"),
    ("fit-key-ignored", "ui/bar_chart.cpp",
     "if (event->key() == Qt::Key_F && event->modifiers() == Qt::NoModifier) {",
     "if (event->key() == Qt::Key_G && event->modifiers() == Qt::NoModifier) {",
     "the key F does not fit the chart"),
    ("fit-not-remembered", "ui/form1.cpp",
     "  connect(m_chart, &BarChart::fittedToggled, this, &user_settings::rememberChartFitted);\n", "",
     "Fit to Values is forgotten at the next start"),
    ("limit-yellow-before-red", "telemetry/channel_limits.cpp",
     "  if (l.redLow && value < *l.redLow) return LimitCrossed::RedLow;\n",
     "  if (l.yellowLow && value < *l.yellowLow) return LimitCrossed::YellowLow;\n"
     "  if (l.redLow && value < *l.redLow) return LimitCrossed::RedLow;\n",
     "a value below both low limits is reported as below yellow low, not red"),
    ("limit-on-the-line-outside", "telemetry/channel_limits.cpp",
     "if (l.yellowHigh && value > *l.yellowHigh)", "if (l.yellowHigh && value >= *l.yellowHigh)",
     "a value exactly on its yellow high limit is marked as outside it"),
    ("limits-bad-section-keeps-keys", "telemetry/channel_limits.cpp",
     "      channel = n.value_or(-1);", "      channel = n.value_or(channel);",
     "the keys under a section that names no channel set the limits of the channel before it"),
    ("limits-comma-accepted", "telemetry/channel_limits.cpp",
     "if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;",
     "if (ec != std::errc() || text.empty()) return std::nullopt;",
     "a limit written 3,6 is taken as 3 without a word"),
    ("limit-scan-comma-value", "export/csv_limit_scan.cpp",
     "at != std::string::npos && m_separator != \".\") {", "at != std::string::npos && false) {",
     "twk-csv --limits reports nothing under a locale with a decimal comma"),
    ("limit-scan-packet-from-0", "export/csv_limit_scan.cpp",
     "m_report(\"packet \" + std::to_string(m_packet)", "m_report(\"packet \" + std::to_string(m_packet - 1)",
     "twk-csv --limits names the packet before the one outside its limits"),
    ("limit-strip-from-zero", "ui/chart_geometry.cpp",
     "if (high && c.high > *high) strip(g.fitted ? *high : std::max(*high, bottom), top);",
     "if (high && c.high > *high) strip(bottom, top);",
     "a whole bar is coloured instead of its part above the limit"),
    ("limit-panel-unmarked", "ui/form1.cpp",
     "    markLimit(n, row[static_cast<std::size_t>(n)]);\n", "",
     "a value outside its limits looks like any other in the panel"),
    ("limit-readout-silent", "ui/form1.cpp",
     "if (!crossed.empty()) text += QStringLiteral(\", \") + QString::fromUtf8(crossed);", "",
     "the chart's read-out does not say which limit a value crossed"),
    ("time-label-keeps-seconds", "telemetry/value_text.cpp",
     "clock.resize(clock.size() - 3);", "clock.resize(clock.size());",
     "the chart's time labels carry seconds and leave fewer labels room"),
    ("time-labels-ignored", "ui/bar_chart.cpp",
     "return m_timeLabels && m_timeLabelSource ? m_timeLabelSource(row) : rowLabel(row);",
     "return rowLabel(row);",
     "Label by On-board Time leaves the packet numbers under the chart"),
    ("time-labels-forgotten", "ui/form1.cpp",
     "  connect(m_chart, &BarChart::timeLabelsToggled, this, &user_settings::rememberChartTimeLabels);\n", "",
     "Label by On-board Time is forgotten at the next start"),
    ("picture-without-title", "ui/bar_chart.cpp",
     "QImage image((size() + QSize(0, titleHeight(title))) * ratio, QImage::Format_RGB32);",
     "QImage image(size() * ratio, QImage::Format_RGB32);",
     "a copied chart has no title line saying what it shows"),
    ("title-packets-wrong-end", "ui/form1.cpp",
     "           m_chart->rowLabel(last);", "           m_chart->rowLabel(first);",
     "a saved chart's title names the wrong last packet"),
    ("second-channel-on-first-axis", "ui/chart_geometry.cpp",
     "g.overlayAxis = valueAxis(input.overlay, g.shown, g.fitted, input.overlayBlocks);",
     "g.overlayAxis = g.axis;",
     "a second channel is drawn on the first one's scale: volts beside a temperature lie flat"),
    ("second-channel-kept-by-click", "ui/form1.cpp",
     "  m_secondChannel = -1;\n  markChartedFields();", "  markChartedFields();",
     "a plain click on a channel keeps the second channel on the chart"),
    ("ctrl-click-plain", "ui/option_button.cpp",
     "  if (m_modifiers & Qt::ControlModifier) {", "  if (m_modifiers & Qt::AltModifier) {",
     "Ctrl+click charts the channel alone instead of adding it"),
    ("second-channel-not-removed", "ui/form1.cpp",
     "m_secondChannel = index == m_secondChannel ? -1 : index;", "m_secondChannel = index;",
     "a second Ctrl+click does not take the channel off the chart"),
    ("second-channel-untitled", "ui/form1.cpp",
     "  if (m_secondChannel >= 0) title += QStringLiteral(\" and \") + seriesName(m_secondChannel);\n", "",
     "a saved chart of two channels names only the first"),
    ("second-value-not-read-out", "ui/form1.cpp",
     "  if (m_chart->hasOverlay()) {", "  if (false) {",
     "the read-out under the mouse gives only the first channel's value"),
    ("second-channel-unpainted", "ui/bar_chart.cpp",
     "    if (!g.overlayColumns.empty()) paintOverlay(p, g);\n", "",
     "the second channel's line, axis and legend are not drawn"),
    ("log-line-skips-uncounted", "ui/packet_lines.cpp",
     "  return m_baseLine + k + before;", "  return m_baseLine + k + 0 * before;",
     "after a line that could not be stored the log view highlights the line before the packet's"),
    ("log-line-from-load-start", "ui/form1.cpp",
     "      &m_skippedLines, m_packets.lastNumber() + 1);", "      &m_skippedLines, 1);",
     "with several files read, the log view highlights the line of another packet"),
    ("log-line-not-scrolled-down", "ui/log_view.cpp",
     "    if (shown >= bar->value() + lines) bar->setValue(shown - lines + 1);\n", "",
     "the shown packet's line stays out of view below the lines shown"),
    ("log-line-not-followed", "ui/form1.cpp",
     "  m_chart->setMarkerRow(m_scroll->value());\n  showPacketLine();\n}\n\nvoid Form1::Option1_Click",
     "  m_chart->setMarkerRow(m_scroll->value());\n}\n\nvoid Form1::Option1_Click",
     "stepping through packets leaves the highlight on the first packet's line"),
    ("log-view-not-cleared", "ui/log_view_sink.cpp",
     "  m_view.clear();", "  (void)m_view;",
     "the log view keeps the lines of earlier files"),
    ("log-view-one-paragraph", "ui/log_view.cpp",
     "paragraphs.replace(QLatin1Char('\\r'), QChar::ParagraphSeparator);",
     "paragraphs.replace(QLatin1Char('\\r'), QLatin1Char(' '));",
     "the log view shows all lines of a file as one line"),
    ("drop-needs-dot-log", "ui/dropped_file_intake.cpp",
     "return path.right(3).toUpper() == QLatin1String(\"LOG\");",
     "return path.right(4).toUpper() == QLatin1String(\".LOG\");",
     "a dropped file named like \"catalog\" (ending in log without a dot) is ignored"),
    ("drop-takes-last", "ui/dropped_file_intake.cpp",
     "      break;", "      continue;",
     "of several dropped files the last is read instead of the first"),
    ("drop-without-packets-clears", "ui/dropped_file_intake.cpp",
     "m_window.Decode_TextFile(Form1::WhenEmpty::Keep)",
     "m_window.Decode_TextFile(Form1::WhenEmpty::Show)",
     "a dropped file without packets empties the log view and replaces the file name shown"),
    ("cancel-resets-load", "ui/open_file_command.cpp",
     "const std::optional<QStringList> chosen = m_chooser();",
     "m_window.packets().Packet_Count = 0; const std::optional<QStringList> chosen = m_chooser();",
     "Cancel in the open dialog drops the loaded packets"),
    ("old-load-after-failed-open", "ui/open_file_command.cpp",
     "if (error.kind() == ErrorKind::OpenFailed) m_window.Make_Channels();",
     "if (error.kind() == ErrorKind::TableFull) m_window.Make_Channels();",
     "after a file of a new load fails to open, the window still shows the old load"),
    ("failed-file-not-read", "ui/open_file_command.cpp",
     "for (int rest = i + 1; rest < count; ++rest)", "for (int rest = i; rest < count; ++rest)",
     "the message lists the failed file also among the files not read"),
    ("open-keeps-count", "ui/open_file_command.cpp",
     "m_window.packets().Packet_Count = 0;", "(void)m_window.packets().Packet_Count;",
     "File > Open adds to the loaded packets instead of starting a fresh load"),
    ("too-many-at-limit", "ui/open_file_command.cpp",
     "if (answerLength(*chosen) > kMaxAnswerLength) {",
     "if (answerLength(*chosen) >= kMaxAnswerLength) {",
     "a selection exactly at the length limit is refused"),
    ("follow-skips-uncounted", "ui/log_follow_command.cpp",
     "m_skippedLines += skipped.size();", "m_skippedLines = skipped.size();",
     "the file label counts only the lines skipped in the last look while following"),
    ("skipped-list-unbounded", "ui/decode_failure_text.cpp",
     "std::min<qsizetype>(count, kListedSkippedLines)", "count",
     "a load with many bad lines ends with a message too long for the screen"),
    ("skipped-line-black", "ui/log_view_sink.cpp",
     "red.setForeground(Qt::red);", "red.setForeground(Qt::black);",
     "a skipped line looks like a packet's line in the log view"),
    ("load-stops-at-skipped", "ui/log_view_sink.cpp",
     "  if (!m_skipped) throw error;\n  m_skipped->push_back(error);",
     "  throw error;\n  m_skipped->push_back(error);",
     "a load or following stops at a line too long and loses every later packet"),
    ("line-0-in-message", "ui/decode_failure_text.cpp",
     "if (error.line() > 0) text +=", "if (error.line() >= 0) text +=",
     "a file that cannot be opened is reported at \"line 0\""),
    ("all-files-needs-dot", "ui/log_file_dialog.cpp",
     "model->setNameFilters({QStringLiteral(\"*\")});",
     "model->setNameFilters({QStringLiteral(\"*.*\")});",
     "\"All Files (*.*)\" hides files without a dot in the name"),
    ("bottom-row-not-pinned", "ui/client_area.cpp",
     "      r.translate(0, height() - laid.height());", "      r.translate(0, 0);",
     "on a screen lower than the window's least size the file, position and scroll bar lie below it"),
    ("window-least-size-whole", "ui/client_area.cpp",
     "setMinimumSize(defaultSize.width() / 3, defaultSize.height() / 5);",
     "setMinimumSize(defaultSize);",
     "the window cannot be made smaller than its default size, so it overhangs a small screen"),
    ("double-click-picks-packet", "ui/bar_chart.cpp",
     "  m_pressed = false;\n  showAllRows();", "  m_pressed = true;\n  showAllRows();",
     "a double-click that resets the zoom also moves to the packet under the mouse"),
    ("load-leaves-option-unmarked", "ui/form1.cpp",
     "  m_option[index]->setChecked(true);\n", "\n",
     "after a load no option button is marked although channel 1 is charted"),
    ("label-names-unread-file", "ui/open_file_command.cpp",
     "    m_window.Log_FileName = list->item(i)->text();\n",
     "    m_window.Log_FileName = list->item(i)->text(); m_window.Label3()->setText(m_window.Log_FileName);\n",
     "a file that cannot be opened is named in the file label above another file's packets"),
    ("csv-without-packets", "ui/csv_export_command.cpp",
     "if (m_window.packets().Packet_Count > 0) return false;", "return false;",
     "Write CSV File with nothing loaded replaces a good file by a header-only one"),
    ("no-alt-f", "app/app_shell.cpp",
     "addMenu(QStringLiteral(\"&File\"))", "addMenu(QStringLiteral(\"File\"))",
     "Alt+F does not open the File menu"),
    ("option-circle-clipped", "ui/form1.cpp",
     "if (more > 0) place.adjust(0, -more / 2, 0, more - more / 2);", "(void)more;",
     "option-button circles are cut off flat"),
    ("dialog-columns-cut", "ui/user_settings.cpp",
     "      if (wanted > header->sectionSize(column)) header->resizeSection(column, wanted);",
     "      (void)wanted;",
     "the file dialogs open too narrow for the Size, Type and Date columns"),
    ("dialog-size-forgotten", "ui/user_settings.cpp",
     "  settings.setValue(kDialogSize.arg(name), dialog.size());\n", "",
     "a file dialog opens at its first size however the user left it"),
    ("window-off-screen", "ui/form1.cpp",
     "      std::clamp(place.left(), room.left(),", "      place.left() + 0 * std::clamp(place.left(), room.left(),",
     "a window last closed on a monitor unplugged since comes back off the screen"),
    ("window-maximised-forgotten", "ui/user_settings.cpp",
     "settings.setValue(kWindowMaximised, place.maximised);",
     "settings.setValue(kWindowMaximised, false);",
     "a window closed maximised comes back unmaximised"),
    ("followed-lines-at-caret", "ui/log_view_sink.cpp",
     "if (m_show == Show::Never) {", "if (false) {",
     "while following, new lines land where the user clicked in the log view"),
    ("chart-save-failed-flush", "ui/bar_chart.cpp",
     "if (!file.flush() || file.error() != QFileDevice::NoError) {", "if (false) {",
     "Save Chart As over a full disk replaces the old picture by a cut one and reports success"),
    # app
    ("packets-held-forgotten", "app/app_shell.cpp",
     "  window.setPacketsHeld(user_settings::packetsHeld());\n", "",
     "\"Packets held\" is back at 5000 at the next start"),
    ("exit-closes-about", "app/app_shell.cpp",
     "  m_window.close();", "  m_window.close(); if (m_about) m_about->close();",
     "File > Exit also closes the about box"),
    ("about-box-owned", "app/app_shell.cpp",
     "    m_about = new Form2();", "    m_about = new Form2(&m_window);",
     "the about box belongs to the main window and goes with it"),
    ("start-logs-before-placed", "app/app_shell.cpp",
     "if (window != nullptr && !window->isExposed()) {", "if (false) {",
     "a message about logs named at start is not centred on the window"),
    ("csv-in-working-folder", "app/decoder_main.cpp",
     "QCoreApplication::applicationDirPath()", "QStringLiteral(\".\")",
     "the window writes its CSV into the working folder, not the program's"),
    ("twk-csv-c-locale", "app/twk_csv_main.cpp",
     "std::setlocale(LC_ALL, \"\");", "std::setlocale(LC_ALL, \"C\");",
     "twk-csv ignores the locale's decimal comma"),
    ("rows-not-zeroed", "intake/channel_bytes.cpp",
     "    std::fill(bytes.at.begin() + static_cast<std::ptrdiff_t>(count + single), bytes.at.end(), 0);\n",
     "",
     "a short packet keeps the bytes an earlier, longer one stored past its end"),
    ("output-never-committed", "app/twk_csv_main.cpp",
     "    output.finish();\n", "",
     "twk-csv -o never replaces the output file"),
    ("o-overwrites-linked-input", "app/twk_csv_main.cpp",
     "if (got == 0 && info.st_dev == target.st_dev && info.st_ino == target.st_ino) return true;",
     "if (got == 0 && input == output) return true;",
     "twk-csv -o overwrites an input named through a link or standard input"),
    ("no-packets-warning-missing", "app/twk_csv_main.cpp",
     "if (converter.convertLog(argv[i]) == 0) {", "if (converter.convertLog(argv[i]) == ~0ULL) {",
     "twk-csv says nothing about an input without Tarnwick packets"),
    ("follow-sigterm-kills", "app/twk_csv_main.cpp",
     "  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);\n", "",
     "twk-csv -f is killed by SIGTERM instead of ending with status 0"),
    ("first-log-skipped", "app/twk_csv_main.cpp",
     "for (int i = optind; i < argc; ++i)", "for (int i = optind + 1; i < argc; ++i)",
     "twk-csv skips the first log file"),
    ("input-error-status-2", "app/twk_csv_main.cpp",
     "    std::fflush(stdout);\n    std::fprintf(stderr, \"twk-csv: %s\\n\", e.what());\n    return 1;",
     "    std::fflush(stdout);\n    std::fprintf(stderr, \"twk-csv: %s\\n\", e.what());\n    return 2;",
     "twk-csv exits with 2 (wrong usage) on an input error"),
    ("dash-as-option", "app/decoder_command_line.cpp",
     "if (optionsEnded || argument.size() < 2 || argument[0] != '-') {",
     "if (optionsEnded || argument.size() < 1 || argument[0] != '-') {",
     "twk-decoder - (a log named \"-\") is refused as an unknown option"),
    ("option-after-double-dash", "app/decoder_command_line.cpp",
     "if (optionsEnded || argument.size() < 2 || argument[0] != '-') {",
     "if (argument.size() < 2 || argument[0] != '-') {",
     "twk-decoder -- -pass.log takes the log after \"--\" for an option"),
    ("qt-option-value-lost", "app/decoder_command_line.cpp",
     "        line.qtArguments.push_back(*value);\n", "",
     "twk-decoder -platform offscreen hands Qt the option without its value"),
    ("core-message-line-0", "core/error.cpp",
     "if (line > 0) {", "if (line >= 0) {",
     "twk-csv names a file that cannot be opened as \"file:0\""),
    # following a log
    ("follow-half-line", "intake/log_follower.cpp",
     "  m_reader->follow();\n", "",
     "following a log takes a line the station has only half written"),
    ("follow-misses-truncation", "intake/log_follower.cpp",
     "  } else if (rewritten()) {", "  } else if (false) {",
     "following a log misses it being emptied or written anew for the next pass"),
    ("follow-misses-rotation", "intake/log_follower.cpp",
     "if (named && (now.st_dev != m_device || now.st_ino != m_inode)) {",
     "if (named && now.st_dev != m_device) {",
     "following a log keeps reading the old file after the station replaced it"),
    ("follow-last-byte-only", "intake/log_follower.cpp",
     "std::clamp<off_t>(m_readTo, 0, kLastBytes)", "std::clamp<off_t>(m_readTo, 0, 1)",
     "following a log reads a pass written anew as if appended when its last character is alike"),
    ("follow-restart-keeps-reader", "intake/log_follower.cpp",
     "  m_reader = std::make_unique<ChunkReader>(m_file->fd(), kChunkSize);\n", "",
     "after the log is emptied, the half line of the last pass joins the first line of the next"),
    ("follow-view-grows", "ui/log_follow_command.cpp",
     "setMaximumBlockCount(static_cast<int>(LogViewSink::kMostLinesShown));",
     "setMaximumBlockCount(0);",
     "a log followed for a day fills the log view without end, and the window's memory with it"),
    ("packet-label-clipped", "ui/form1.cpp",
     "R::BelowLog | R::BelowChart | R::WidensLeft);", "R::BelowLog | R::BelowChart);",
     "past packet 99999 the packet label is cut: \"120000/1200\""),
    ("log-line-after-drop", "ui/log_view.cpp",
     "std::max<std::int64_t>(m_packetLines.lines() + 1 - document()->blockCount(), 0);",
     "std::max<std::int64_t>(0, 0);",
     "after a day of following, the shown packet's line is no longer highlighted, or the wrong one"),
    ("chart-block-past-rows", "ui/chart_geometry.cpp",
     "const std::int64_t endBlock = (end + blocks.front) / size;",
     "const std::int64_t endBlock = (end + blocks.front + size - 1) / size;",
     "with many packets held, a column's band takes in the values of the next column's packets"),
    ("stall-never-shown", "ui/log_follow_command.cpp",
     "if (m_stallShown > 0) text +=", "if (false) text +=",
     "a feed that stalled for minutes looks the same as a live one"),
    ("follow-rows-at-end", "export/csv_follow.cpp",
     "    if (stop) return rows.packets();\n    stop = events.wait(stopFd);",
     "    if (stop) return rows.packets();\n    stop = events.wait(-1) || true;",
     "twk-csv -f stops after its first look instead of following"),
    ("follow-drain-keeps-eof", "intake/log_follower.cpp",
     "    m_reader->stopFollowing();\n", "",
     "the last line of a log, without its line end, is lost when the station replaces the log"),
    ("follow-skip-silent", "export/csv_follow.cpp",
     "note(error.what() + std::string(\"; line skipped\"));", "(void)error;",
     "twk-csv -f passes a line too long without a word"),
    ("chunk-long-line-blanks-counted", "intake/chunk_reader.cpp",
     "nonBlanks = countNonBlanks(chunk.lines());",
     "nonBlanks = chunk.size;",
     "twk-csv refuses a packet padded with blanks past a chunk"),
    ("converter-blanks-counted", "intake/chunk_pipeline.cpp",
     "line.size() > kMaxLineLength ? countNonBlanks(line) : 0;",
     "line.size() > kMaxLineLength ? line.size() : 0;",
     "twk-csv refuses a packet padded with blanks past 65535 characters within a chunk"),
    ("blank-runs-cut-to-one", "intake/telemetry_line.cpp",
     "text[end - 1] == ' ' && text[end - 2] == ' '", "text[end - 1] == ' '",
     "in a long padded line, D7 and a byte two blanks apart are read as an escape pair"),
    ("keep-going-exit-0", "app/twk_csv_main.cpp",
     "return skipped ? 1 : 0;", "return 0;",
     "twk-csv -k exits 0 although it skipped lines"),
    # the fast converter
    ("converter-decade-round-up", "telemetry/general_text_writer.cpp",
     "if (!roundedFifteenDigits(magnitude, fifteen, exponent) || fifteen == kPow10[15]) {",
     "if (!roundedFifteenDigits(magnitude, fifteen, exponent)) {",
     "twk-csv writes a value that rounds up to the next power of ten (9.9999999999999999) wrong"),
    ("kept-text-other-word", "export/csv_row_formatter.cpp",
     "if (text.raw == raw) {", "if (text.raw != kNoRaw) {",
     "twk-csv writes the kept text of another word that shares its slot"),
    ("chunks-out-of-order", "intake/chunk_pipeline.cpp",
     "DecodedChunk& job = m_jobs[m_collected % m_jobs.size()];",
     "DecodedChunk& job = m_jobs[(m_submitted - 1) % m_jobs.size()];",
     "twk-csv writes the rows of a later chunk where an earlier chunk's belong"),
    ("chunk-error-line", "export/csv_converter.cpp",
     "linesBefore + line, reason", "line, reason",
     "twk-csv names the wrong line for a line too long in a later chunk"),
    ("rows-after-error", "intake/chunk_pipeline.cpp",
     "if (stopAtSkipped) return;", "if (stopAtSkipped) continue;",
     "twk-csv writes rows of the lines after a line too long"),
    ("one-thread-separator", "export/csv_converter.cpp",
     "std::make_unique<CsvRowDecoder>(m_separator, kKeptTexts / m_threads)",
     "std::make_unique<CsvRowDecoder>(\".\", kKeptTexts / m_threads)",
     "twk-csv writes 12.5 where the locale writes 12,5"),
    ("desktop-no-keywords", "app/twk-decoder.desktop",
     "Keywords=telemetry;satellite;decoder;CSV;log;", "X-Keywords=telemetry;satellite;decoder;CSV;log;",
     "a desktop search for telemetry or CSV does not find the window"),
    ("no-bind-now", "cmake/hardening.cmake",
     "add_link_options(LINKER:-z,relro LINKER:-z,now)", "add_link_options(LINKER:-z,relro)",
     "the installed programs' relocations stay writable until each symbol is first used"),
    # what the user sees of following, the chart, pictures, layout, start and the entry
    ("follow-starts-at-oldest", "ui/log_follow_command.cpp",
     "m_window.showPacket(m_window.packets().Packet_Count);", "m_window.showPacket(1);",
     "Follow Log shows the log's first packet instead of its newest"),
    ("load-keeps-following", "ui/log_follow_command.cpp",
     "connect(&m_window, &Form1::decodingStarted, this, &LogFollowCommand::stop);", ";",
     "after Open or a drop, lines appended to the followed log still come into the new load"),
    ("drop-keeps-following", "ui/form1.cpp",
     "  emit decodingStarted();",
     "  if (whenEmpty == WhenEmpty::Show) emit decodingStarted();",
     "a file dropped while following joins the load, and the followed log's new lines still come in after it"),
    ("marker-strip-beside", "ui/bar_chart.cpp",
     "if (x >= 0) update(QRect(x - 2, 0, 5, height()));",
     "if (x >= 0) update(QRect(x + 1, 0, 5, height()));",
     "on the screen the old marker line stays when another packet is chosen"),
    ("resize-keeps-picture", "ui/bar_chart.cpp",
     "  m_pictureValid = false;\n  QWidget::resizeEvent(event);", "  QWidget::resizeEvent(event);",
     "after the window is resized the chart shows its old picture, cut or with a blank part"),
    ("thumb-not-repainted", "ui/packet_scroll_bar.cpp",
     "if (change == SliderValueChange && look() == m_painted) return;",
     "if (change == SliderValueChange) return;",
     "the scroll bar's thumb stays in place while the packet shown changes"),
    ("picture-at-density-1", "ui/bar_chart.cpp",
     "  image.setDevicePixelRatio(ratio);\n  QPainter painter(&image);",
     "  image.setDevicePixelRatio(1);\n  QPainter painter(&image);",
     "on a high-density screen a saved or copied chart fills only its top left quarter"),
    ("pan-stops-short", "ui/chart_geometry.cpp",
     "std::clamp(shown.first + rows, 0, std::max(rowCount - count, 0))",
     "std::clamp(shown.first + rows, 0, std::max(rowCount - count - 1, 0))",
     "a zoomed chart cannot be panned to its last row"),
    ("zoom-past-end", "ui/chart_geometry.cpp",
     "return {std::clamp(first, 0, rowCount - count), count};", "return {std::max(first, 0), count};",
     "zooming out near the right end shows empty rows past the last"),
    ("labels-measured-first", "ui/bar_chart.cpp",
     "in.labelWidth = metrics.horizontalAdvance(rowLabel(rowCount()));",
     "in.labelWidth = metrics.horizontalAdvance(rowLabel(1));",
     "packet numbers of more digits than the first one's run into each other under the chart"),
    ("right-controls-stay", "ui/client_area.cpp",
     "if (roles & FollowsRight) r.translate(s.width, 0);", "if (false) r.translate(s.width, 0);",
     "in a wider window the controls at the right stay where they were, under the grown ones"),
    ("window-larger-than-screen", "ui/form1.cpp",
     "QSize size = sizeHint().boundedTo(available.size()).expandedTo(minimumSizeHint());",
     "QSize size = sizeHint().expandedTo(minimumSizeHint());",
     "on a small screen the window opens larger than the screen"),
    ("hidden-start-logs-wait", "app/app_shell.cpp",
     "    QTimer::singleShot(2000, this, &AppShell::openLogsNamedAtStart);\n", "",
     "logs named at start are not read while the window starts minimised or off the screen"),
    ("desktop-one-file-each", "app/twk-decoder.desktop",
     "Exec=twk-decoder %F", "Exec=twk-decoder %f",
     "logs chosen together in a file manager each start a window of their own"),
    ("desktop-mime-type", "app/twk-decoder.desktop",
     "MimeType=text/x-log;", "MimeType=text/log;",
     "a file manager does not offer the window for .log files"),
    ("cents-carry-stops", "telemetry/value_text.cpp",
     "for (; i >= 0 && cents[static_cast<std::size_t>(i)] == '9'; --i) {",
     "for (; i > 0 && cents[static_cast<std::size_t>(i)] == '9'; --i) {",
     "9.995 shows garbled instead of 10.00"),
    ("hash-drops-one-zero", "telemetry/value_text.cpp",
     "while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);",
     "if (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);",
     "12 shows as 12.0 where 12. is written"),
    ("temp-file-elsewhere", "export/atomic_file.cpp",
     "m_fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);",
     "m_fd = ::open(\"/tmp\", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);",
     "twk-csv -o into a folder on another file system than /tmp fails"),
    # what following a log writes in its file label and marks on the chart
    ("follow-emptied-unsaid", "ui/log_follow_command.cpp",
     "if (change == LogFollower::Change::Truncated) {", "if (false) {",
     "while following, the file label does not say that the log was emptied and read again from "
     "its start"),
    ("follow-replaced-unsaid", "ui/log_follow_command.cpp",
     "} else if (change == LogFollower::Change::Replaced) {", "} else if (false) {",
     "while following, the file label does not say that the log was replaced by a new file"),
    ("follow-stall-from-start", "ui/log_follow_command.cpp",
     "if (packets) m_lastPacketAt = m_clock();", "if (false) m_lastPacketAt = m_clock();",
     "a minute after following began the label says \"last packet N min ago\" though packets "
     "keep coming"),
    ("follow-stall-not-ticking", "ui/log_follow_command.cpp",
     "if (m_follower && minutesSinceLastPacket() != m_stallShown) showFollowing();",
     "if (false) showFollowing();",
     "a stalled feed's label never says \"last packet N min ago\" while nothing else changes it"),
    ("follow-one-skip-unsaid", "ui/log_follow_command.cpp",
     "if (m_skippedLines == 1) text += QStringLiteral(\", 1 line skipped\");",
     "if (false) text += QStringLiteral(\", 1 line skipped\");",
     "while following, a single line skipped is not counted in the file label"),
    ("follow-held-note-early", "ui/form1.cpp",
     "if (m_packets.firstNumber() <= 1) return {};", "if (m_packets.firstNumber() < 1) return {};",
     "following a log below \"Packets held\", the label already says \", newest N held\""),
    ("pass-line-not-appended", "ui/form1.cpp",
     "    m_chart->setPassStarts(m_packets.passStartRows());\n  }\n",
     "  }\n",
     "while following, the grey line of a new pass shows only once the chart is drawn anew "
     "(another channel chosen)"),
    ("pass-line-after-replace-missing", "intake/log_follower.cpp",
     "    open();\n    sink.passStarted();", "    open();\n    (void)0;",
     "a followed log replaced by a new file for the next pass shows no grey line where it begins"),
    # what is remembered across starts and shown again in menus and dialogs
    ("fit-check-not-restored", "ui/bar_chart.cpp",
     "  m_fitAction->setChecked(fitted);\n", "",
     "after a restart the chart is fitted but Fit to Values has no check mark, and choosing it "
     "does nothing"),
    ("time-check-not-restored", "ui/bar_chart.cpp",
     "  m_timeAction->setChecked(on);\n", "",
     "after a restart the chart is labelled by time but Label by On-board Time has no check mark"),
    ("settings-shows-least", "ui/settings_dialog.cpp",
     "  m_packetsHeld->setValue(user_settings::packetsHeld());\n", "",
     "Settings… shows 100 packets held whatever was chosen, and OK sets 100"),
    ("maximised-size-as-normal", "ui/form1.cpp",
     "{isMaximized() ? normalGeometry() : geometry(), isMaximized()}",
     "{geometry(), isMaximized()}",
     "a window closed maximised and restored after the next start keeps the size of the screen"),
    ("restored-larger-than-screen", "ui/form1.cpp",
     "place.setSize(place.size().boundedTo(room.size()).expandedTo(minimumSizeHint()));",
     "place.setSize(place.size().expandedTo(minimumSizeHint()));",
     "a window closed on a larger screen comes back larger than the screen it opens on"),
    ("dialog-folder-forgotten", "ui/user_settings.cpp",
     "  settings.setValue(kDialogFolder.arg(name), dialog.directory().absolutePath());\n", "",
     "each file dialog opens in its first folder however the user left it"),
    ("follow-dialog-shares-open", "ui/log_file_dialog.cpp",
     "const auto which = several ? user_settings::Dialog::OpenLog : user_settings::Dialog::FollowLog;",
     "const auto which = user_settings::Dialog::OpenLog;",
     "the Follow Log dialog opens in the folder and at the size the Open dialog was left"),
    # the edges of the panel's rounding rules
    ("half-cent-below-a-cent-down", "telemetry/value_text.cpp",
     "return whole == 0 && d.digits[0] >= '5' ? \"1\" : \"0\";",
     "return whole == 0 && d.digits[0] > '5' ? \"1\" : \"0\";",
     "a value from 0.005 to 0.006 (battery volts of 0.00503) shows as .00 instead of .01"),
    ("tenth-of-a-cent-up", "telemetry/value_text.cpp",
     "return whole == 0 && d.digits[0] >= '5' ? \"1\" : \"0\";",
     "return whole >= -1 && d.digits[0] >= '5' ? \"1\" : \"0\";",
     "a value from 0.0005 to 0.001 (battery volts of 0.00061) shows as .01 instead of .00"),
    ("minus-lost-at-one-cent", "telemetry/value_text.cpp",
     "const bool zero = integer == \"0\" && fraction == \"00\";",
     "const bool zero = integer == \"0\" && fraction <= \"01\";",
     "a value from -0.005 to -0.015 (a battery temperature of -0.0078) shows as .01 without its "
     "minus"),
    ("cents-judged-on-17-digits", "telemetry/value_text.cpp",
     "  const Decimal d = fifteenDigits(magnitude);\n  // The digits before the point",
     "  Decimal d; { char t[40]; const auto r = std::to_chars(t, t + sizeof t, magnitude, "
     "std::chars_format::scientific, 16); d = splitScientific(t, r.ptr); }\n"
     "  // The digits before the point",
     "a value written x.xx5 but stored a hair below it (2.675) rounds down in the panel"),
    ("clock-half-second-up", "telemetry/value_text.cpp",
     "const double whole = roundHalfEven(seconds);", "const double whole = std::round(seconds);",
     "the panel's clock rounds a time of 2.5 s up to 00:00:03 instead of to the even 00:00:02"),
    ("clock-seconds-one-digit", "telemetry/value_text.cpp",
     "         twoDigitsText(seconds);", "         std::to_string(seconds);",
     "the panel's clock shows 0d 00:53:5 instead of 0d 00:53:05"),
    # the wheel and the keys
    ("tilt-wheel-ignored", "ui/wheel_steps.cpp",
     "const int delta = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();",
     "const int delta = angleDelta.y();",
     "a tilt wheel or a touchpad's sideways scroll no longer moves through the packets"),
    ("sideways-scroll-reversed", "ui/wheel_steps.cpp",
     "const int delta = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();",
     "const int delta = angleDelta.y() != 0 ? angleDelta.y() : -angleDelta.x();",
     "a sideways scroll to the right shows earlier packets instead of later ones"),
    ("page-down-goes-back", "ui/packet_scroll_bar.cpp",
     "stepPackets(event->key() == Qt::Key_PageDown ? pageJump() : -pageJump());",
     "stepPackets(event->key() == Qt::Key_PageUp ? pageJump() : -pageJump());",
     "Page Down goes back a twentieth of the packets and Page Up forward"),
    ("end-key-pages-back", "ui/packet_scroll_bar.cpp",
     "if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {",
     "if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown || "
     "event->key() == Qt::Key_End) {",
     "End on the scroll bar goes back a twentieth of the packets instead of to the last"),
    ("arrow-keys-two-packets", "ui/packet_scroll_bar.cpp",
     "setSingleStep(1);", "setSingleStep(2);",
     "Left and Right on the scroll bar (and its arrows) move two packets, so every other one is "
     "skipped"),
    ("zoom-wheel-reversed", "ui/bar_chart.cpp",
     "std::pow(kZoomPerNotch, notches)", "std::pow(kZoomPerNotch, -notches)",
     "Ctrl+wheel up zooms the chart out and down zooms it in"),
    ("double-click-keeps-zoom", "ui/bar_chart.cpp",
     "  m_pressed = false;\n  showAllRows();", "  m_pressed = false;\n",
     "a double-click on a zoomed chart does not show all packets again"),
    ("fit-key-not-remembered", "ui/bar_chart.cpp",
     "    m_fitAction->trigger();", "    setFitted(!m_fitted);",
     "Fit to Values chosen with the key F is forgotten at the next start"),
    # the package's metadata and what it installs
    ("metainfo-no-mediatype", "app/org.example.twk.decoder.metainfo.xml",
     "    <mediatype>text/x-log</mediatype>\n", "",
     "a software centre does not list the program for .log files"),
    ("desktop-no-categories", "app/twk-decoder.desktop",
     "Categories=Science;DataVisualization;\n", "",
     "the desktop's menu files the window under Other instead of Science"),
    ("desktop-no-icon", "app/twk-decoder.desktop",
     "Icon=twk-decoder\n", "",
     "the desktop's menu and launcher show a blank icon for the window"),
    ("desktop-opens-terminal", "app/twk-decoder.desktop",
     "Terminal=false", "Terminal=true",
     "starting the window from the desktop's menu opens a terminal window beside it"),
    ("png-icon-not-installed", "app/CMakeLists.txt",
     "  install(FILES ${TWK_ICON_PNG} DESTINATION share/icons/hicolor/64x64/apps)\n", "",
     "desktops that take no SVG icons show a blank icon for the window"),
    ("decoder-man-page-missing", "docs/man/CMakeLists.txt",
     "  list(APPEND pages twk-decoder.1)", "  list(APPEND pages)",
     "man twk-decoder finds no manual page"),
    # twk-csv -o where the file system has no unnamed files: the hidden temporary file
    ("named-temp-not-registered", "export/atomic_file.cpp",
     "  m_onSignals = removeOnSignals(m_temp);", "  m_onSignals = false;",
     "SIGINT or SIGTERM during twk-csv -o leaves a hidden .NAME.XXXXXX file beside the output"),
    ("named-temp-kept-on-signal", "export/atomic_file.cpp",
     "  if (g_tempOwned != 0) ::unlink(g_tempPath);", "  if (false) ::unlink(g_tempPath);",
     "a signal that ends twk-csv -o leaves a hidden .NAME.XXXXXX file beside the output"),
    ("named-temp-kept-past-file-limit", "export/atomic_file.cpp",
     "constexpr std::array kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};",
     "constexpr std::array kEndingSignals = {SIGINT, SIGTERM, SIGHUP};",
     "twk-csv -o ended by the file-size limit leaves a hidden .NAME.XXXXXX file beside the output"),
    ("named-temp-owner-only", "export/atomic_file.cpp",
     "m_fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);",
     "m_fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);",
     "on such a file system a new output file is readable by its owner only, whatever the umask"),
    ("named-temp-left-after-success", "export/atomic_file.cpp",
     "      m_temp = temp;\n    } else if (errno != EEXIST) {",
     "      (void)temp;\n    } else if (errno != EEXIST) {",
     "every twk-csv -o on such a file system leaves a hidden .NAME.XXXXXX copy beside the output"),
    ("named-temp-kept-on-error", "export/atomic_file.cpp",
     "  if (!m_temp.empty()) ::unlink(m_temp.c_str());\n", "",
     "twk-csv -o ended by a bad line leaves a hidden .NAME.XXXXXX file beside the output"),
    # the shown packet's line in the log view
    ("shown-line-unmarked", "ui/log_view.cpp",
     "  setExtraSelections(marks);", "  setExtraSelections({});",
     "the log view never highlights the line of the packet shown"),
    ("first-line-never-marked", "ui/log_view.cpp",
     "if (line >= 0 && line < document()->blockCount()) {",
     "if (line > 0 && line < document()->blockCount()) {",
     "after a load, packet 1's line (the first in the log view) is not highlighted"),
    ("shown-line-not-scrolled-up", "ui/log_view.cpp",
     "    if (shown < bar->value()) bar->setValue(shown);\n", "",
     "stepping back to a packet whose line lies above those in view leaves it out of view"),
    ("log-line-by-row", "ui/form1.cpp",
     "row <= m_packets.Packet_Count ? m_packets.numberOf(row) : 0);",
     "row <= m_packets.Packet_Count ? row : 0);",
     "following past \"Packets held\", the log view highlights an older packet's line"),
    # tools
    ("loggen-fb-as-db", "tools/frame_text.cpp",
     "return 0xDE;  // not DB", "return 0xDB;  // not DB",
     "twk-loggen writes the byte FB as D7 DB, which decoders read as D7 DB"),
]

FAILED_LINE = re.compile(r"Test\s+#\d+:\s+(\S+)\s.*?(\*\*\*\w+|Exception|Failed|Timeout)")


def run(command, log, timeout):
    """Runs command in its own process group; returns (exit status or None on timeout, text)."""
    proc = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, errors="replace", start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        status = proc.returncode
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        status = None
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        raise
    log.write("$ %s\n%s\n" % (" ".join(command), out))
    return status, out


def failures(out):
    return [m.group(1) for m in map(FAILED_LINE.search, out.splitlines()) if m]


def apply(mutant):
    name, path, original, replacement, _ = mutant
    full = os.path.join(ROOT, path)
    with open(full, encoding="utf-8") as f:
        text = f.read()
    if text.count(original) != 1:
        raise ValueError("%s: the original text occurs %d times in %s"
                         % (name, text.count(original), path))
    return full, text, text.replace(original, replacement)


# The test programs nearest to each folder of the product: a mutant there runs their tests
# first and the rest only when they all pass, so most mutants are caught within seconds.
NEAREST = {
    "intake": ("twk_core_tests", "twk_golden_tests"),
    "telemetry": ("twk_core_tests", "twk_golden_tests"),
    "export": ("twk_core_tests", "twk_golden_tests", "twk_csv_tests"),
    "core": ("twk_core_tests",),
    "ui": ("twk_gui_tests", "real_window_test.sh"),
    "app": ("twk_gui_tests", "twk_csv_tests", "real_window_test.sh", "package_test.sh"),
    "cmake": ("package_test.sh",),
    "tools": ("twk_core_tests",),
}


def build_targets():
    """Everything the tests need: all of the build but the benchmarks."""
    out = subprocess.run(["ninja", "-C", os.path.join(ROOT, "build", "dev"), "-t", "query", "all"],
                         capture_output=True, text=True, check=True).stdout
    lines = out.split("outputs:")[0].splitlines()
    return [t.strip() for t in lines[2:] if t.strip() and not t.strip().startswith("bench/")]


def test_programs():
    """Each test's name and the program (or script) it runs."""
    out = subprocess.run(["ctest", "--preset", "dev", "--show-only=json-v1"], cwd=ROOT,
                         capture_output=True, text=True, check=True).stdout
    return [(t["name"], os.path.basename(t["command"][0])) for t in json.loads(out)["tests"]]


def stages(path, tests):
    """The ctest name filters to run in turn for a mutant in path."""
    nearest = NEAREST.get(path.split("/")[0], ())
    first = [n for n, program in tests if program in nearest]
    if not first:
        return [[]]
    # The rest by exclusion, so that tests added since the list was read run too.
    names = "^(%s)$" % "|".join(re.escape(n) for n in first)
    return [["-R", names], ["-E", names]]


def check_one(mutant, args, logdir, targets, tests):
    full, text, mutated = apply(mutant)
    with open(os.path.join(logdir, mutant[0] + ".log"), "w") as log:
        try:
            with open(full, "w", encoding="utf-8") as f:
                f.write(mutated)
            status, _ = run(["cmake", "--build", "--preset", "dev", "--target"] + targets, log,
                            args.build_timeout)
            if status != 0:
                return "no-build", ""
            failed = []
            for only in [[]] if args.every_test else stages(mutant[1], tests):
                stop = [] if args.every_test else ["--stop-on-failure"]
                status, out = run(["ctest", "--preset", "dev", "--timeout", str(args.test_timeout)]
                                  + stop + only, log, args.ctest_timeout)
                if status is None:
                    return "caught", ["(ctest timed out)"]
                if status:
                    failed = failures(out) or ["(ctest status %d)" % status]
                    break
            return ("caught", failed) if failed else ("missed", [])
        finally:
            # Restored with a new time stamp, so the next build compiles the original again.
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("names", nargs="*", help="mutants to run (default: all)")
    parser.add_argument("--list", action="store_true", help="list the mutants and exit")
    parser.add_argument("--check", action="store_true", help="only check the mutants' texts")
    parser.add_argument("--out", help="also write the table to this file")
    parser.add_argument("--every-test", action="store_true",
                        help="run every test on each mutant and list the tests that alone catch one")
    parser.add_argument("--build-timeout", type=int, default=1200)
    parser.add_argument("--ctest-timeout", type=int, default=900)
    parser.add_argument("--test-timeout", type=int, default=120, help="per test, in seconds")
    args = parser.parse_args()

    by_name = {m[0]: m for m in MUTANTS}
    if len(by_name) != len(MUTANTS):
        sys.exit("mutant names are not unique")
    if args.list:
        for m in MUTANTS:
            print("%-32s %-30s %s" % (m[0], m[1], m[4]))
        return 0
    unknown = [n for n in args.names if n not in by_name]
    if unknown:
        sys.exit("unknown mutants: " + ", ".join(unknown))
    chosen = [by_name[n] for n in args.names] if args.names else MUTANTS
    for m in chosen:
        apply(m)  # raises on a text that is not found exactly once
    if args.check:
        print("%d mutants, every original text found once" % len(chosen))
        return 0

    # SIGTERM ends the run like Ctrl-C, so the finally blocks restore the file.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    logdir = os.path.join(ROOT, "build", "mutate")
    os.makedirs(logdir, exist_ok=True)
    rows = []
    started = time.time()
    header = "| mutant | file | result | %s | seconds |\n|---|---|---|---|---|" % (
        "failing tests" if args.every_test else "first failing test")
    print(header, flush=True)
    if args.out:
        with open(args.out, "a") as f:
            f.write(header + "\n")
    targets, programs = build_targets(), test_programs()
    for m in chosen:
        t0 = time.time()
        result, tests = check_one(m, args, logdir, targets, programs)
        row = "| %s | %s | %s | %s | %.0f |" % (
            m[0], m[1], result, " ".join(tests) if args.every_test else "".join(tests[:1]),
            time.time() - t0)
        rows.append((m, result, tests))
        print(row, flush=True)
        if args.out:
            with open(args.out, "a") as f:
                f.write(row + "\n")
    with open(os.path.join(logdir, "final-build.log"), "w") as log:
        run(["cmake", "--build", "--preset", "dev"], log, args.build_timeout)
    counts = {r: sum(1 for _, x, _ in rows if x == r) for r in ("caught", "missed", "no-build")}
    summary = "%d mutants: %d caught, %d missed, %d did not build; %.0f s in all" % (
        len(rows), counts["caught"], counts["missed"], counts["no-build"], time.time() - started)
    print(summary)
    for m, result, tests in rows:
        if result == "missed":
            print("missed: %s (%s): %s" % (m[0], m[1], m[4]))
        elif args.every_test and len(tests) == 1:
            print("only %s catches %s" % (tests[0], m[0]))
    if args.out:
        with open(args.out, "a") as f:
            f.write(summary + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
