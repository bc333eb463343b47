#include "ui/open_file_command.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "app/shell_fixture.h"
#include "intake/log_decoder.h"
#include "ui/log_file_dialog.h"

namespace twk {
namespace {

using test::generatedLog;
using test::SeenBox;

// The one plain message box a failed open shows; its text, for the checks on it.
std::string plainBox(const std::vector<SeenBox>& boxes) {
  if (boxes.size() != 1) return "(" + std::to_string(boxes.size()) + " boxes)";
  EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
  EXPECT_TRUE(boxes[0].applicationModal);
  EXPECT_EQ(boxes[0].title, QGuiApplication::applicationDisplayName());
  return boxes[0].text.toStdString();
}

class OpenFileCommandTest : public test::ShellTest {};

TEST_F(OpenFileCommandTest, OneAndThreeFilesAreDecodedInOrderWithRowsNumberedAcrossFiles) {
  // One file in a folder with a blank and a name with umlauts, then three in a row.
  std::filesystem::create_directory(m_dir.file("flug daten"));
  const std::string unusual = m_dir.file("flug daten/Überflug 3 – Süd.log");
  std::filesystem::copy_file(generatedLog(12, 1), unusual);
  const std::vector<std::vector<std::pair<std::string, int>>> selections = {
      {{unusual, 12}},
      {{generatedLog(30, 2), 30}, {generatedLog(9, 3), 9}, {generatedLog(21, 4), 21}}};
  for (const auto& selection : selections) {
    std::vector<std::string> paths;
    QStringList expected;
    for (const auto& [path, packets] : selection) {
      paths.push_back(path);
      expected += QString::fromStdString(path);
    }
    QSignalSpy ranges(scroll(), &QScrollBar::rangeChanged);

    open(paths);

    EXPECT_EQ(list2(), expected);
    EXPECT_EQ(label3(), expected.back());
    // The window is refreshed after every file: the scroll bar's range grows file by file.
    QList<int> maxima, expectedMaxima;
    for (const QList<QVariant>& signal : ranges) maxima += signal.at(1).toInt();
    int first = 0;  // the row of each file's first packet, minus one
    for (const auto& [path, packets] : selection) {
      PacketStore store;
      ChannelStore alone;  // the file decoded on its own
      StoreSink sink(store);
      decodeLogIntoStore(path, sink, store, alone);
      for (int p = 1; p <= packets; ++p) {
        ASSERT_EQ(m_window.values().Channel_Values[std::size_t(first + p)],
                  alone.Channel_Values[std::size_t(p)])
            << path << " packet " << p;
      }
      expectedMaxima += first += packets;
    }
    EXPECT_EQ(maxima, expectedMaxima);
    EXPECT_EQ(count(), first);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(first));
  }
}

TEST_F(OpenFileCommandTest, CancelChangesNothingBeforeOrAfterALoadAndKeepsDroppedPackets) {
  const auto cancel = [this] {
    const auto before = std::make_tuple(count(), list2(), label3(), label2(), logText(),
                                        m_window.values().Channel_Values[1]);
    m_choice.reset();
    EXPECT_TRUE(test::answerBoxes([this] { m_shell->MnuOpenFile_Click(); }).empty());
    EXPECT_EQ(std::make_tuple(count(), list2(), label3(), label2(), logText(),
                              m_window.values().Channel_Values[1]),
              before);
  };
  cancel();
  EXPECT_EQ(count(), 0);
  open({generatedLog(20, 7)});
  decode(generatedLog(5, 8));  // packets that no selection holds
  ASSERT_EQ(count(), 25);
  cancel();
  EXPECT_EQ(m_chooserCalls, 3);
}

TEST(OpenFileAnswerLength, OnePathOrFolderAndNamesWithSeparators) {
  const std::pair<QStringList, qsizetype> cases[] = {
      {{"/d/flight.log"}, 13},
      {{"/a.log", "/b.log", "/c.log"}, 19},
      {{"/data/x/one.log", "/data/x/two.txt", "/data/x/three"}, 29},
  };
  for (const auto& [paths, length] : cases) {
    EXPECT_EQ(OpenFileCommand::answerLength(paths), length) << paths.join(',').toStdString();
  }
}

TEST_F(OpenFileCommandTest, TooManyFilesShowsTheMessageAndChangesNothing) {
  open({generatedLog(20, 7)});
  const QStringList earlier = list2();
  for (const qsizetype length :
       {OpenFileCommand::kMaxAnswerLength, OpenFileCommand::kMaxAnswerLength + 1}) {
    // Empty files whose names make the answer text exactly `length` characters long.
    QStringList chosen;
    qsizetype left = length - qsizetype(m_dir.path().string().size());
    for (int i = 0; left > 0; ++i) {
      std::string name = std::to_string(i) + "_";
      name.resize(std::size_t(std::min<qsizetype>(left - 1, 250)), 'n');
      chosen += QString::fromStdString(m_dir.write(name, ""));
      left -= 1 + qsizetype(name.size());
    }
    ASSERT_EQ(OpenFileCommand::answerLength(chosen), length);
    m_choice = chosen;
    const std::vector<SeenBox> boxes = test::answerBoxes([this] { m_shell->MnuOpenFile_Click(); });
    if (length == OpenFileCommand::kMaxAnswerLength) {
      // At the limit the empty files are all read: a fresh load of no packets, which says so.
      EXPECT_NE(plainBox(boxes).find("No Tarnwick packets in these files:"), std::string::npos);
      EXPECT_EQ(list2(), chosen);
      EXPECT_EQ(count(), 0);
      open({generatedLog(20, 7)});
    } else {
      EXPECT_EQ(plainBox(boxes), "Es wurden zu viele Dateien ausgewählt!");
      EXPECT_EQ(list2(), earlier);
      EXPECT_EQ(count(), 20);
      EXPECT_EQ(label3(), earlier.front());
    }
  }
}

TEST_F(OpenFileCommandTest, AFileThatCannotBeReadIsNamedWithTheUnreadRestAndTheLoadStaysShown) {
  const std::string good = test::telemetryLine({{35, 0x04}});
  const std::string vanished = m_dir.write("vanished.log", good + "\r\n");
  std::filesystem::remove(vanished);  // chosen in the dialog, deleted before it is decoded
  struct Case {
    std::vector<std::string> paths;
    const char* reason;
    int stored;  // packets in the table afterwards
  };
  const Case cases[] = {
      {{generatedLog(12, 1), m_dir.file("missing.log"), generatedLog(9, 3)},
       "No such file or directory",
       12},
      {{generatedLog(12, 1),
        test::writeLog("too_long.log", {good, "# a", test::tooLongLine(), good}),
        generatedLog(9, 3)},
       ", line 3:\nline too long",
       14},
      {{vanished, generatedLog(9, 3)}, "No such file or directory", 0},
  };
  for (const Case& c : cases) {
    open({generatedLog(12, 1)});
    const std::string failed = c.paths[c.paths.size() - 2];
    const std::string text = plainBox(openAnswering(c.paths));
    EXPECT_NE(text.find(failed), std::string::npos) << text;
    EXPECT_NE(text.find(c.paths.back()), std::string::npos) << text;  // not read
    if (c.paths.size() == 3) {
      EXPECT_EQ(text.find(c.paths[0]), std::string::npos) << text;
    }
    EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    if (c.reason[0] != ',') {
      EXPECT_EQ(text.find(", line "), std::string::npos) << text;
    }
    // What was stored before the failure stays and is shown, not the count of the last load.
    EXPECT_EQ(count(), c.stored);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(c.stored));
    EXPECT_EQ(label3(), QString::fromStdString(failed));
    EXPECT_EQ(list2().size(), qsizetype(c.paths.size()));
  }
}

TEST_F(OpenFileCommandTest, OnePacketMoreThanTheTableHolds) {
  const std::string log = generatedLog(5001, 8);
  const std::string text = plainBox(openAnswering({log}));
  EXPECT_NE(text.find("packet table full"), std::string::npos) << text;
  EXPECT_NE(text.find(log), std::string::npos) << text;
  EXPECT_EQ(count(), 5000);
  EXPECT_EQ(label2(), QStringLiteral("1/5000"));
  EXPECT_TRUE(exportCsv().empty());
  const std::string csv = test::readFile(csvPath());
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 5001);
}

TEST(LogFileDialog, OffersTheThreeFiltersAndLogFilesInAnyCase) {
  test::TempDir dir;
  for (const char* name : {"flight.log", "FLIGHT2.LOG", "notes.txt", "catalog"})
    dir.write(name, "");
  QFileDialog dialog;
  setUpLogFileDialog(dialog);
  EXPECT_EQ(dialog.nameFilters(),
            QStringList({"Log Files (*.log)", "Text Files (*.txt)", "All Files (*.*)"}));
  EXPECT_EQ(dialog.selectedNameFilter(), "Log Files (*.log)");
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);

  dialog.setDirectory(QString::fromStdString(dir.path().string()));
  dialog.show();
  auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  ASSERT_NE(view, nullptr);
  const auto shown = [view] {
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r) {
      names += view->model()->index(r, 0, root).data().toString();
    }
    names.sort();
    return names.join(',').toStdString();
  };
  // The folder is listed in the background; QTRY_* would report to QtTest, not here.
  for (int waited = 0; shown() != "FLIGHT2.LOG,flight.log" && waited < 5000; waited += 20) {
    QTest::qWait(20);
  }
  EXPECT_EQ(shown(), "FLIGHT2.LOG,flight.log");

  // "All Files" shows every file, also one without a dot.
  dialog.selectNameFilter(QStringLiteral("All Files (*.*)"));
  const std::string all = "FLIGHT2.LOG,catalog,flight.log,notes.txt";
  for (int waited = 0; shown() != all && waited < 5000; waited += 20) QTest::qWait(20);
  EXPECT_EQ(shown(), all);
}

}  // namespace
}  // namespace twk
