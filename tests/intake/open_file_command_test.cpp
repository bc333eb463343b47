#include "intake/open_file_command.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "app/shell_fixture.h"
#include "intake/log_decoder.h"
#include "intake/log_file_dialog.h"
#include "ui/modal_boxes.h"
#include "ui/test_logs.h"

namespace twk {
namespace {

using test::answerBoxes;
using test::generatedLog;
using test::SeenBox;

// The channel values of one log decoded on its own into a fresh store.
ChannelStore decodedAlone(const std::string& path) {
  PacketStore store;
  ChannelStore values;
  StoreSink sink(store);
  decodeLogIntoStore(path, sink, store, values);
  return values;
}

void expectPlainBox(const SeenBox& box) {
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_EQ(box.buttons, QMessageBox::Ok);
  EXPECT_TRUE(box.applicationModal);
  EXPECT_EQ(box.title, QGuiApplication::applicationDisplayName());
}

class OpenFileCommandTest : public test::ShellTest {};

TEST_F(OpenFileCommandTest, OneAndThreeFilesAreDecodedInOrderWithRowsNumberedAcrossFiles) {
  const std::vector<std::vector<std::pair<int, int>>> selections = {
      {{12, 1}}, {{30, 2}, {9, 3}, {21, 4}}};  // packets and seed of each file
  for (const auto& selection : selections) {
    std::vector<std::string> paths;
    for (const auto& [packets, seed] : selection) paths.push_back(generatedLog(packets, seed));
    QSignalSpy ranges(scroll(), &QScrollBar::rangeChanged);

    open(paths);

    QStringList expected;
    for (const std::string& p : paths) expected += QString::fromStdString(p);
    EXPECT_EQ(list2(), expected);
    EXPECT_EQ(label3(), expected.back());
    // The window is refreshed after every file: the scroll bar's range grows file by file.
    QList<int> maxima;
    for (const QList<QVariant>& signal : ranges) maxima += signal.at(1).toInt();
    QList<int> expectedMaxima;
    int first = 0;  // the row of each file's first packet, minus one
    for (std::size_t f = 0; f < selection.size(); ++f) {
      const ChannelStore alone = decodedAlone(paths[f]);
      for (int p = 1; p <= selection[f].first; ++p) {
        ASSERT_EQ(m_window.values().Channel_Values[std::size_t(first + p)],
                  alone.Channel_Values[std::size_t(p)])
            << "file " << f << " packet " << p;
      }
      first += selection[f].first;
      expectedMaxima += first;
    }
    EXPECT_EQ(maxima, expectedMaxima);
    EXPECT_EQ(count(), first);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(first));
  }
}

TEST_F(OpenFileCommandTest, CancelChangesNothingBeforeOrAfterALoadAndKeepsDroppedPackets) {
  const auto snapshot = [this] {
    return std::make_tuple(count(), list2(), label3(), label2(), logText(),
                           m_window.values().Channel_Values[1]);
  };
  m_choice.reset();
  auto before = snapshot();
  EXPECT_TRUE(answerBoxes([this] { m_shell->MnuOpenFile_Click(); }).empty());
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(count(), 0);

  open({generatedLog(20, 7)});
  // A dropped file adds packets that no selection holds; cancelling must not drop them.
  m_window.Log_FileName = QString::fromStdString(generatedLog(5, 8));
  m_window.Decode_TextFile();
  ASSERT_EQ(count(), 25);
  m_choice.reset();
  before = snapshot();
  EXPECT_TRUE(answerBoxes([this] { m_shell->MnuOpenFile_Click(); }).empty());
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(m_chooserCalls, 3);
}

TEST(OpenFileAnswerLength, OnePathOrFolderAndNamesWithSeparators) {
  const std::pair<QStringList, qsizetype> cases[] = {
      {{"/d/flight.log"}, 13},
      {{"/d/a.log", "/d/bb.log"}, 2 + 1 + 5 + 1 + 6},
      {{"/a.log", "/b.log", "/c.log"}, 1 + 3 * 6},
      {{"/data/x/one.log", "/data/x/two.txt", "/data/x/three"}, 7 + 8 + 8 + 6},
  };
  for (const auto& [paths, length] : cases) {
    EXPECT_EQ(OpenFileCommand::answerLength(paths), length) << paths.join(',').toStdString();
  }
}

// Names that make the answer text exactly `length` characters long, in folder.
std::vector<std::string> namesOfAnswerLength(const std::filesystem::path& folder,
                                             qsizetype length) {
  std::vector<std::string> paths;
  qsizetype left = length - qsizetype(folder.string().size());
  for (int i = 0; left > 0; ++i) {
    const qsizetype name = left - 1 > 250 + 256 ? 250 : std::min<qsizetype>(left - 1, 250);
    std::string text = std::to_string(i) + "_";
    text.resize(std::size_t(name), 'n');
    paths.push_back((folder / text).string());
    left -= 1 + name;
  }
  return paths;
}

TEST_F(OpenFileCommandTest, TooManyFilesShowsTheMessageAndChangesNothing) {
  open({generatedLog(20, 7)});
  const QStringList earlier = list2();
  for (const qsizetype length :
       {OpenFileCommand::kMaxAnswerLength, OpenFileCommand::kMaxAnswerLength + 1}) {
    std::vector<std::string> paths = namesOfAnswerLength(m_dir.path(), length);
    for (const std::string& p : paths) m_dir.write(std::filesystem::path(p).filename(), "");
    QStringList chosen;
    for (const std::string& p : paths) chosen += QString::fromStdString(p);
    ASSERT_EQ(OpenFileCommand::answerLength(chosen), length);
    m_choice = chosen;
    const std::vector<SeenBox> boxes = answerBoxes([this] { m_shell->MnuOpenFile_Click(); });
    if (length <= OpenFileCommand::kMaxAnswerLength) {
      // At the limit the empty files are all read: a fresh load of no packets.
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(list2(), chosen);
      EXPECT_EQ(count(), 0);
      open({generatedLog(20, 7)});
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, QStringLiteral("Es wurden zu viele Dateien ausgewählt!"));
      expectPlainBox(boxes[0]);
      EXPECT_EQ(list2(), earlier);
      EXPECT_EQ(count(), 20);
      EXPECT_EQ(label3(), earlier.front());
    }
  }
}

TEST_F(OpenFileCommandTest, AnErrorInTheSecondOfThreeFilesNamesItAndTheUnreadThird) {
  const std::string good = test::telemetryLine({{35, 0x04}});
  const std::string tooLong = test::tooLongLine();
  struct Case {
    std::string second;
    const char* where;  // the line mentioned, if any
    int storedFromSecond;
  };
  const Case cases[] = {
      {m_dir.file("missing.log"), nullptr, 0},
      {test::writeLog("too_long.log", {good, "# a note", tooLong, good}), ", line 3:", 2},
  };
  const std::string first = generatedLog(12, 1);
  const std::string third = generatedLog(9, 3);
  for (const Case& c : cases) {
    const std::vector<SeenBox> boxes = answerBoxes([&] { open({first, c.second, third}); });
    ASSERT_EQ(boxes.size(), 1u) << c.second;
    const QString text = boxes[0].text;
    expectPlainBox(boxes[0]);
    EXPECT_TRUE(text.contains(QString::fromStdString(c.second))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(third))) << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromStdString(first))) << text.toStdString();
    if (c.where != nullptr) {
      EXPECT_TRUE(text.contains(QLatin1String(c.where))) << text.toStdString();
      EXPECT_TRUE(text.contains(QLatin1String("line too long"))) << text.toStdString();
    } else {
      EXPECT_FALSE(text.contains(QLatin1String(", line "))) << text.toStdString();
      EXPECT_TRUE(text.contains(QLatin1String("No such file or directory"))) << text.toStdString();
    }
    // The first file's packets (and what the second stored before failing) stay, shown.
    EXPECT_EQ(count(), 12 + c.storedFromSecond);
    EXPECT_EQ(label2(), QStringLiteral("1/%1").arg(12 + c.storedFromSecond));
    EXPECT_EQ(label3(), QString::fromStdString(c.second));
    EXPECT_EQ(list2().size(), 3);
  }
}

TEST_F(OpenFileCommandTest, AFirstFileThatCannotBeOpenedLeavesAnEmptyLoadShown) {
  open({generatedLog(12, 1)});
  ASSERT_EQ(label2(), QStringLiteral("1/12"));
  const std::string missing = m_dir.file("gone.log");
  const std::vector<SeenBox> boxes = answerBoxes([&] { open({missing, generatedLog(9, 3)}); });
  ASSERT_EQ(boxes.size(), 1u);
  // The new load holds nothing, and the window says so rather than showing the old count.
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(label2(), QStringLiteral("1/0"));
  EXPECT_EQ(label3(), QString::fromStdString(missing));
}

TEST(LogFileDialog, OffersTheThreeFiltersAndLogFilesInAnyCase) {
  test::TempDir dir;
  for (const char* name : {"flight.log", "FLIGHT2.LOG", "notes.txt", "catalog"}) {
    dir.write(name, "");
  }
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
    return names;
  };
  // The folder is listed in the background; QTRY_* would report to QtTest, not here.
  const QStringList expected = {"FLIGHT2.LOG", "flight.log"};
  for (int waited = 0; shown() != expected && waited < 5000; waited += 20) QTest::qWait(20);
  EXPECT_EQ(shown().join(',').toStdString(), "FLIGHT2.LOG,flight.log");
}

}  // namespace
}  // namespace twk
