#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_folder.h"

namespace harvel::test {
namespace {

namespace fs = std::filesystem;

void MakeProgram(const fs::path& file) {
  WriteFile(file, "#!/bin/sh\n");
  fs::permissions(file, fs::perms::owner_all);
}

// Whether a file can really be made in `folder` (a superuser writes into
// read-only folders).
bool CanWrite(const fs::path& folder) {
  const fs::path probe = folder / "probe";
  const bool written = static_cast<bool>(std::ofstream(probe));
  fs::remove(probe);
  return written;
}

TEST(DownloaderFolder, OwnFolderFirstThenTheInstalledLibexecFolder) {
  TempFolder root;
  const fs::path bin = root.path() / "usr" / "bin";
  const fs::path libexec = root.path() / "usr" / "libexec" / "harvel";
  fs::create_directories(bin);

  // Nowhere: the own folder, which the error then names.
  EXPECT_EQ(DownloaderFolder(bin.string()), bin.string());

  // Installed: bin/harvel-cli finds ../libexec/harvel/VeskDownloader.
  MakeProgram(libexec / "VeskDownloader");
  EXPECT_EQ(DownloaderFolder(bin.string()), libexec.string());

  // A VeskDownloader beside the program wins (a build folder, a portable copy).
  MakeProgram(bin / "VeskDownloader");
  EXPECT_EQ(DownloaderFolder(bin.string()), bin.string());

  // A file that cannot be run is not taken for the program.
  fs::remove(bin / "VeskDownloader");
  fs::permissions(libexec / "VeskDownloader", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(DownloaderFolder(bin.string()), bin.string());
}

TEST(HarvelFolder, TheProgramsFolderWhenWritableElseHarvelInThePicturesFolder) {
  TempFolder root;
  const fs::path program = root.path() / "bin";
  const fs::path pictures = root.path() / "Pictures";
  fs::create_directories(program);
  EXPECT_EQ(HarvelFolder(program.string(), pictures.string()), program.string());
  EXPECT_TRUE(fs::is_empty(program));  // the check leaves nothing behind

  fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
  // A superuser can write anywhere but where the system refuses every writer.
  const fs::path readOnly = CanWrite(program) ? fs::path("/proc") : program;
  EXPECT_EQ(HarvelFolder(readOnly.string(), pictures.string()), (pictures / "Harvel").string());
  EXPECT_FALSE(fs::exists(pictures));  // made when a crawl needs it, not before
  fs::permissions(program, fs::perms::owner_all);

  // An installed bin folder is never used, even where it can be written
  // (a prefix in the home folder, a superuser).
  MakeProgram(root.path() / "libexec" / "harvel" / "VeskDownloader");
  EXPECT_EQ(HarvelFolder(program.string(), pictures.string()), (pictures / "Harvel").string());
  // With VeskDownloader beside it, it is a portable copy again.
  MakeProgram(program / "VeskDownloader");
  EXPECT_EQ(HarvelFolder(program.string(), pictures.string()), program.string());

  // A program folder that is not there cannot be written either.
  EXPECT_EQ(HarvelFolder((root.path() / "gone").string(), pictures.string()),
            (pictures / "Harvel").string());
}

TEST(HarvelFolder, MakeFolderMakesTheMissingFoldersAbove) {
  TempFolder root;
  const fs::path folder = root.path() / "Pictures" / "Harvel";
  EXPECT_TRUE(MakeFolder(folder.string()));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(MakeFolder(folder.string()));  // already there
  root.write("plain", "x");
  EXPECT_FALSE(MakeFolder(root.file("plain/Harvel")));
}

}  // namespace
}  // namespace harvel::test
