// Following a log in the window while it is written: every complete line becomes the next
// packet once, the panel follows the newest packet unless the user moved back, truncation and
// rotation go on from the new contents, and a full table stops following with its message.

#include "ui/log_follow_command.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <cstdio>
#include <fstream>

#include "app/shell_fixture.h"

namespace twk {
namespace {

std::string packet(int id) {
  return test::telemetryLine(test::word(35, static_cast<unsigned>(id))) + "\r\n";
}

class LogFollowTest : public test::ShellTest {
 protected:
  // Lets the window run until check holds, at most five seconds.
  bool waitFor(const std::function<bool()>& check) {
    QElapsedTimer clock;
    clock.start();
    while (!check() && clock.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return check();
  }
  void append(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
  }
  LogFollowCommand& follow() { return m_shell->followCommand(); }
  QAction* stopItem() { return m_window.findChild<QAction*>(QStringLiteral("MnuStopFollowing")); }
  int raac() const { return text1(1).toInt(); }
};

TEST_F(LogFollowTest, AppendedLinesBecomePacketsOnceInOrderThroughTruncationAndRotation) {
  const std::string path =
      m_dir.write("pass.log", packet(1) + packet(2) + packet(3) + packet(4).substr(0, 90));
  follow().follow(QString::fromStdString(path));
  EXPECT_EQ(label("Label2"), "3/3");  // following starts at the newest packet; the half line waits
  EXPECT_EQ(raac(), 3);
  EXPECT_EQ(label("Label3"), "Following " + QString::fromStdString(path));
  EXPECT_TRUE(stopItem()->isEnabled());

  append(path, packet(4).substr(90) + packet(5));
  EXPECT_TRUE(waitFor([this] { return count() == 5; }));
  EXPECT_EQ(label("Label2"), "5/5");
  EXPECT_EQ(raac(), 5);
  EXPECT_EQ(chart()->rowCount(), 5);
  EXPECT_EQ(logText().count('\n'), 5);

  scroll()->setValue(2);  // the user goes back: the panel stays there
  append(path, packet(6));
  EXPECT_TRUE(waitFor([this] { return count() == 6; }));
  EXPECT_EQ(label("Label2"), "2/6");
  EXPECT_EQ(raac(), 2);

  std::ofstream(path, std::ios::trunc | std::ios::binary) << packet(7);
  EXPECT_TRUE(waitFor([this] { return count() == 7; }));
  EXPECT_TRUE(label("Label3").contains("emptied")) << label("Label3").toStdString();
  m_dir.write("next.log", packet(8));
  std::rename(m_dir.file("next.log").c_str(), path.c_str());
  EXPECT_TRUE(waitFor([this] { return count() == 8; }));
  EXPECT_TRUE(label("Label3").contains("replaced")) << label("Label3").toStdString();
  for (int p = 1; p <= 8; ++p) {
    EXPECT_EQ(m_window.values().Channel_Values[std::size_t(p)][1], p) << "packet " << p;
  }

  open({test::writeLog("other.log", {test::telemetryLine({})})});  // a new load ends following
  EXPECT_FALSE(follow().following());
  EXPECT_FALSE(stopItem()->isEnabled());
}

TEST_F(LogFollowTest, AFullTableStopsFollowingWithItsMessageAndKeepsThePackets) {
  const std::string path = m_dir.write("full.log", test::readFile(test::generatedLog(4999, 5)));
  follow().follow(QString::fromStdString(path));
  ASSERT_EQ(count(), 4999);
  const QStringList boxes = test::answerBoxes([&] {
    append(path, packet(1) + packet(2));
    waitFor([this] { return !follow().following(); });
  });
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].contains("packet table full")) << boxes[0].toStdString();
  EXPECT_EQ(count(), 5000);
  EXPECT_EQ(label("Label2"), "5000/5000");
  EXPECT_EQ(label("Label3"), QString::fromStdString(path));
}

}  // namespace
}  // namespace twk
