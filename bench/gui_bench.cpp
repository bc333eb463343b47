// Window timings at 5000 packets, on Qt's offscreen platform unless another is chosen: decoding
// into the window until it is painted, charting another channel, and moving to another packet,
// at the window's own size and maximised on a 1920 by 1080 screen. "Painted" means
// QWidget::grab() of the whole window, which paints every widget anew, and for the small steps
// also the repaint of just what changed, as the event loop does it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "intake/store_loader.h"
#include "ui/bar_chart.h"
#include "ui/log_view.h"
#include "ui/main_window.h"

namespace {

const std::string& log5000() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "twk_gui_bench_5000.log";
    const std::string command =
        std::string(TWK_LOGGEN_PATH) + " --packets 5000 --seed 20261206 -o " + file.string();
    if (std::system(command.c_str()) != 0) std::abort();
    return file.string();
  }();
  return path;
}

std::unique_ptr<twk::MainWindow> loadedWindow(QSize size = {}) {
  auto window = std::make_unique<twk::MainWindow>();
  if (size.isValid()) window->resize(size);
  window->show();
  std::vector<twk::Error> skipped;
  window->loadLog(QString::fromStdString(log5000()), skipped);
  window->grab();
  return window;
}

void BM_DecodeIntoWindowPainted(benchmark::State& state) {
  twk::MainWindow window;
  window.show();
  const QString path = QString::fromStdString(log5000());
  std::vector<twk::Error> skipped;
  for (auto _ : state) {
    window.startLoad();  // as the open command does
    window.loadLog(path, skipped);
    benchmark::DoNotOptimize(window.grab());
  }
}
BENCHMARK(BM_DecodeIntoWindowPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of a load: the core alone, and the log view taking one file's lines.
void BM_CoreDecodeOnly(benchmark::State& state) {
  auto store = std::make_unique<twk::PacketStore>();
  for (auto _ : state) {
    store->clear();
    struct : twk::PacketSink {
      void fileStarted(const std::string&) override {}
      void lineShown(std::string_view) override {}
    } sink;
    twk::storeLog(log5000(), sink, *store, 0);
  }
}
BENCHMARK(BM_CoreDecodeOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LogViewFill(benchmark::State& state) {
  const auto window = loadedWindow();
  auto* view = window->findChild<twk::LogView*>("logView");
  const QString text = view->toPlainText().replace(QLatin1Char('\n'), QLatin1Char('\r'));
  for (auto _ : state) {
    view->clear();
    view->insertAtCaret(text);
    benchmark::DoNotOptimize(view->grab());
  }
}
BENCHMARK(BM_LogViewFill)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChartChannelPainted(benchmark::State& state) {
  const auto window = loadedWindow();
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    benchmark::DoNotOptimize(window->grab());
    channel = channel == 7 ? 2 : 7;
  }
}
BENCHMARK(BM_ChartChannelPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChartChannelRepaint(benchmark::State& state) {
  const auto window = loadedWindow();
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    QApplication::processEvents();
    channel = channel == 7 ? 2 : 7;
  }
}
BENCHMARK(BM_ChartChannelRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StepPacketPainted(benchmark::State& state) {
  const auto window = loadedWindow();
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  int packet = 17;
  for (auto _ : state) {
    scroll->setValue(packet);  // the change shows the packet
    benchmark::DoNotOptimize(window->grab());
    packet = packet == 17 ? 4000 : 17;
  }
}
BENCHMARK(BM_StepPacketPainted)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What any grab costs: the whole window painted with nothing changed.
void BM_WindowGrabOnly(benchmark::State& state) {
  const auto window = loadedWindow();
  for (auto _ : state) benchmark::DoNotOptimize(window->grab());
}
BENCHMARK(BM_WindowGrabOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StepPacketRepaint(benchmark::State& state) {
  const auto window = loadedWindow();
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  int packet = 17;
  for (auto _ : state) {
    scroll->setValue(packet);
    QApplication::processEvents();
    packet = packet == 17 ? 4000 : 17;
  }
}
BENCHMARK(BM_StepPacketRepaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Maximised on a 1920 by 1080 screen: the chart's plot is about 1830 pixels wide.
const QSize kMaximised(1920, 1080);

void BM_MaximisedChartChannelRepaint(benchmark::State& state) {
  const auto window = loadedWindow(kMaximised);
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    QApplication::processEvents();
    channel = channel == 7 ? 2 : 7;
  }
}
BENCHMARK(BM_MaximisedChartChannelRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MaximisedChartChannelPainted(benchmark::State& state) {
  const auto window = loadedWindow(kMaximised);
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    benchmark::DoNotOptimize(window->grab());
    channel = channel == 7 ? 2 : 7;
  }
}
BENCHMARK(BM_MaximisedChartChannelPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the chart as an instrument: fitted, labelled by on-board time, and both channels
// with yellow and red limits that some of their values cross. The limits file is read from a
// configuration folder of the benchmark's own.
// Points the configuration folder at one of the benchmark's own, whose limits file holds text.
void useLimits(const char* folder, const char* text) {
  const auto config = std::filesystem::temp_directory_path() / folder;
  std::filesystem::create_directories(config / "twk");
  std::ofstream(config / "twk" / "limits.ini") << text;
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

void BM_MaximisedChartChannelFittedTimedLimitsPainted(benchmark::State& state) {
  useLimits("twk_gui_bench_config",
            "[2]\nyellowLow=-60\nredLow=-80\nyellowHigh=60\nredHigh=80\n"
            "[7]\nyellowLow=-60\nredLow=-80\nyellowHigh=60\nredHigh=80\n");
  const auto window = loadedWindow(kMaximised);
  auto* chart = window->findChild<twk::BarChart*>("chart");
  chart->setFitted(true);
  chart->setTimeLabels(true);
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    benchmark::DoNotOptimize(window->grab());
    channel = channel == 7 ? 2 : 7;
  }
  unsetenv("XDG_CONFIG_HOME");
}
BENCHMARK(BM_MaximisedChartChannelFittedTimedLimitsPainted)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Two channels: channel 7 with limits, and a second channel changed by Ctrl+click from Battery
// A's volts to Battery B's and back, both with limits that some of their values cross; bars
// (argument 0) or fitted lines (1).
void BM_MaximisedSecondChannelChangeLimitsPainted(benchmark::State& state) {
  useLimits("twk_gui_bench_config2",
            "[7]\nyellowLow=-60\nredLow=-80\nyellowHigh=60\nredHigh=80\n"
            "[4]\nyellowLow=3.7\nredLow=3.6\n[9]\nyellowLow=3.7\nredLow=3.6\n");
  const auto window = loadedWindow(kMaximised);
  window->findChild<twk::BarChart*>("chart")->setFitted(state.range(0) != 0);
  window->chartChannel(7);
  int channel = 4;
  for (auto _ : state) {
    window->toggleSecondChannel(channel);
    benchmark::DoNotOptimize(window->grab());
    channel = channel == 4 ? 9 : 4;
  }
  unsetenv("XDG_CONFIG_HOME");
}
BENCHMARK(BM_MaximisedSecondChannelChangeLimitsPainted)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One packet further while the thumb is dragged: the panel, the position label, the thumb and
// the chart's marker change.
void BM_MaximisedDragStepRepaint(benchmark::State& state) {
  const auto window = loadedWindow(kMaximised);
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  scroll->setSliderDown(true);
  QApplication::processEvents();
  for (auto _ : state) {
    scroll->setSliderPosition(scroll->value() < 4999 ? scroll->value() + 1 : 1);
    QApplication::processEvents();
  }
  scroll->setSliderDown(false);
}
BENCHMARK(BM_MaximisedDragStepRepaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same step without painting: what the change itself costs.
void BM_DragStepUnpainted(benchmark::State& state) {
  const auto window = loadedWindow(kMaximised);
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  scroll->setSliderDown(true);
  for (auto _ : state) scroll->setSliderPosition(scroll->value() < 4999 ? scroll->value() + 1 : 1);
  scroll->setSliderDown(false);
}
BENCHMARK(BM_DragStepUnpainted)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
