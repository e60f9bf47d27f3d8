// main() of the desktop end-to-end tests: real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "downloader_isolation.h"

int main(int argc, char** argv) {
  harvel::test::DownloaderIsolation isolation;
  // The windows' own texts, whatever the locale the tests run under.
  qputenv("HARVEL_LANGUAGE", "ja");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
