#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/path_text.h"
#include "list_file/list_file.h"
#include "temp_folder.h"

namespace harvel::test {

// A list file "list.hvl" in a fresh folder: written as raw bytes, loaded back.
class ListFileTest : public ::testing::Test {
 protected:
  // The rows the list file loads into an empty list; the load must succeed.
  std::vector<CrawlTarget> LoadBack() {
    std::vector<CrawlTarget> rows;
    EXPECT_TRUE(LoadListFile(path_, rows));
    return rows;
  }
  // Writes `bytes` as the list file and loads it back.
  std::vector<CrawlTarget> Load(std::string_view bytes) {
    WriteFile(PathFromText(path_), bytes);
    return LoadBack();
  }

  TempFolder folder_;
  std::string path_ = folder_.file("list.hvl");
};

}  // namespace harvel::test
