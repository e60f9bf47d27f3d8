// main() of the channel, platform, cli and end-to-end tests.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "downloader_isolation.h"

int main(int argc, char** argv) {
  harvel::test::DownloaderIsolation isolation;
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
