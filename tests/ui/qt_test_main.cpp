#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <memory>

// GoogleTest with a QApplication. Listing the tests (as CTest's discovery does at build time)
// needs no display, so the application is made only when tests run.
int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  // The settings the tests choose go to a test folder, never the user's.
  QStandardPaths::setTestModeEnabled(true);
  std::unique_ptr<QApplication> app;
  if (!::testing::GTEST_FLAG(list_tests)) app = std::make_unique<QApplication>(argc, argv);
  return RUN_ALL_TESTS();
}
