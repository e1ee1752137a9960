#pragma once

#include "platform/office.h"

#include <QStringList>

// Counts the documents asked for and records the workbooks handed over; without the program
// it refuses as the desktop would.
class FakeOffice : public Office
{
public:
    bool openNewTextDocument(QString* error) override
    {
        ++documentsRequested;
        if (!wordProcessorInstalled && error)
            *error = refusal;
        return wordProcessorInstalled;
    }
    bool openSpreadsheet(const QString& path, QString* error) override
    {
        spreadsheetsOpened << path;
        if (!spreadsheetInstalled && error)
            *error = spreadsheetRefusal;
        return spreadsheetInstalled;
    }
    bool wordProcessorInstalled = true;
    QString refusal = QStringLiteral("Auf diesem Rechner ist kein Programm für Textdokumente eingerichtet.");
    int documentsRequested = 0;
    bool spreadsheetInstalled = true;
    QString spreadsheetRefusal = QStringLiteral(
        "Auf diesem Rechner ist kein Tabellenkalkulationsprogramm für Excel-Dateien eingerichtet.");
    QStringList spreadsheetsOpened;
};
