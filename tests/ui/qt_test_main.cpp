#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

// GoogleTest with a QApplication. Listing the tests (as CTest's discovery does at build time)
// needs no display, so the application is made only when tests run.
int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  // What the window remembers goes to a configuration folder of this run, not the user's.
  const QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  std::unique_ptr<QApplication> app;
  if (!::testing::GTEST_FLAG(list_tests)) app = std::make_unique<QApplication>(argc, argv);
  return RUN_ALL_TESTS();
}
