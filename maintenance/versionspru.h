#pragma once

#include <QString>
#include <QUrl>
#include <array>
#include <chrono>
#include <optional>

// The version information on the maker's server: its first line names the newest version.
QUrl UpdateInfoAddress();
// daten/temp/ and the file name of the address.
QString UpdateInfoFilePath();

// How long the download may take and how large the file may be.
inline constexpr std::chrono::milliseconds UpdateDownloadTimeout{15000};
inline constexpr qint64 UpdateInfoMaxBytes = 64 * 1024;

// Downloads the version information into UpdateInfoFilePath(). An old file goes first, so a
// failed download never leaves one to be read. On failure the "Fehler" box; false.
bool DownloadUpdateInfo();

// The box of a check that could not be made.
void ReportFailedUpdateCheck();

// One to three whole numbers joined by "." ("3", "3.1", "3.1.1"; blanks around the text
// allowed); missing parts count as 0. Nothing when the text is no version.
using VersionNumber = std::array<QString, 3>;
std::optional<VersionNumber> ParseVersion(const QString& text);
// Whether offered is a greater version than running, part by part as numbers.
bool IsNewerVersion(const VersionNumber& offered, const VersionNumber& running);
