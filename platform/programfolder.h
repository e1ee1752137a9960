#pragma once

#include <QString>

// The program folder is the folder of the executable; the data folder "daten" lies beside it.
// Tests point it at a temporary copy of the program folder.
QString ProgramFolder();
QString ProgramPath();
void SetProgramFolder(const QString& folder, const QString& programPath = QString());

QString DataFolder();
QString DataFile(const QString& name);
