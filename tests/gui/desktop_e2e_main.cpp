// main() of the desktop end-to-end tests: real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "downloader_isolation.h"

int main(int argc, char** argv) {
  harvel::test::DownloaderIsolation isolation;
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
