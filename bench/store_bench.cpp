// The window holding 1,000,000 packets ("Packets held" at 1,000,000), on Qt's offscreen platform
// unless another is chosen: a load of a log of a million packets until painted, charting another
// channel, moving to another packet, and one packet of a followed log appended. "Painted" is
// QWidget::grab() of the whole window; "Repaint" lets the event loop paint what changed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "intake/packet_store.h"
#include "ui/main_window.h"

namespace {

constexpr int kMillion = 1'000'000;

const std::string& logOfAMillion() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "twk_store_bench_1m.log";
    const std::string command =
        std::string(TWK_LOGGEN_PATH) + " --packets 1000000 --seed 7 -o " + file.string();
    if (!std::filesystem::exists(file) && std::system(command.c_str()) != 0) std::abort();
    return file.string();
  }();
  return path;
}

std::unique_ptr<twk::MainWindow> windowOfAMillion() {
  auto window = std::make_unique<twk::MainWindow>();
  window->setPacketsHeld(kMillion);
  window->show();
  std::vector<twk::Error> skipped;
  window->loadLog(QString::fromStdString(logOfAMillion()), skipped);
  if (window->packets().count() != kMillion) std::abort();
  window->grab();
  return window;
}

void BM_LoadAMillionPainted(benchmark::State& state) {
  twk::MainWindow window;
  window.setPacketsHeld(kMillion);
  window.show();
  const QString path = QString::fromStdString(logOfAMillion());
  std::vector<twk::Error> skipped;
  for (auto _ : state) {
    window.startLoad();  // as the open command does
    window.loadLog(path, skipped);
    benchmark::DoNotOptimize(window.grab());
  }
  state.counters["packets"] = window.packets().count();
}
BENCHMARK(BM_LoadAMillionPainted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ChannelChangeAtAMillionPainted(benchmark::State& state) {
  const auto window = windowOfAMillion();
  int channel = 7;
  for (auto _ : state) {
    window->chartChannel(channel);
    benchmark::DoNotOptimize(window->grab());
    channel = channel == 7 ? 2 : 7;
  }
}
BENCHMARK(BM_ChannelChangeAtAMillionPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PacketStepAtAMillionPainted(benchmark::State& state) {
  const auto window = windowOfAMillion();
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  for (auto _ : state) {
    scroll->setValue(scroll->value() < kMillion ? scroll->value() + 1 : 1);
    benchmark::DoNotOptimize(window->grab());
  }
}
BENCHMARK(BM_PacketStepAtAMillionPainted)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PacketStepAtAMillionRepaint(benchmark::State& state) {
  const auto window = windowOfAMillion();
  auto* scroll = window->findChild<QScrollBar*>("packetScrollBar");
  QApplication::processEvents();
  for (auto _ : state) {
    scroll->setValue(scroll->value() < kMillion ? scroll->value() + 1 : 1);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_PacketStepAtAMillionRepaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A followed log past the packets held: each new packet pushes the oldest out. Unpainted: what
// the window does per packet; Repaint: with the chart drawn again for it.
void followedPacket(benchmark::State& state, bool repaint) {
  const auto window = windowOfAMillion();
  twk::PacketStore& store = window->packets();
  store.setWhenFull(twk::PacketStore::WhenFull::DropOldest);
  window->showPacket(store.count());
  QApplication::processEvents();
  const twk::PacketBytes newest = store.bytes(store.count());
  for (auto _ : state) {
    store.append(newest);
    window->appendPackets(store.lastNumber());
    if (repaint) QApplication::processEvents();
  }
  if (store.count() != kMillion) state.SkipWithError("the store grew");
}
void BM_FollowedPacketAtAMillionHeld(benchmark::State& state) {
  followedPacket(state, false);
}
BENCHMARK(BM_FollowedPacketAtAMillionHeld)->Unit(benchmark::kMicrosecond)->UseRealTime();
void BM_FollowedPacketAtAMillionHeldRepaint(benchmark::State& state) {
  followedPacket(state, true);
}
BENCHMARK(BM_FollowedPacketAtAMillionHeldRepaint)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
