#pragma once

#include <string>

namespace harvel {

// The folder of the running program (UTF-8, no trailing separator). Needs a
// QCoreApplication.
std::string ProgramFolder();

// The folder VeskDownloader is started from by a front in `programFolder`: that
// folder when VeskDownloader is there (a build folder, a portable copy), else
// the installed one beside it (`programFolder`/../libexec/harvel), else
// `programFolder` itself, so that an error names the first place looked at.
std::string DownloaderFolder(const std::string& programFolder);

// The path of the VeskDownloader program in `folder`.
std::string DownloaderProgramIn(const std::string& folder);

// Harvel's folder, where the desktop program makes a folder for each title:
// `programFolder` when files can be made in it and it is not an installed bin
// folder (one whose VeskDownloader is in ../libexec/harvel), otherwise
// `picturesFolder`/Harvel (which may not exist yet; MakeFolder makes it).
std::string HarvelFolder(const std::string& programFolder, const std::string& picturesFolder);

// The same with the user's pictures folder (QStandardPaths::PicturesLocation).
std::string HarvelFolder(const std::string& programFolder);

// Makes `folder` and the folders above it that are missing; true when it is
// there afterwards.
bool MakeFolder(const std::string& folder);

}  // namespace harvel
