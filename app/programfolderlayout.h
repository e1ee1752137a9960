#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Lays out a complete program folder: daten with an empty list, the settings file with its
// design-time values, the standard greeting, the folders emails and temp, sounds with the
// reminder chime, and the help pages. Files that exist are kept (the help pages are renewed),
// so the user's list and settings survive. Returns what could not be written.
QStringList LayOutProgramFolder(const QString& resources, const QString& target, const QString& programPath);

// A short two-tone chime as a .wav file.
QByteArray ChimeWave();
