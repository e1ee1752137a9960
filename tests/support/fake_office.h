#pragma once

#include "platform/office.h"

// Counts the documents asked for; without a word processor it refuses as the desktop would.
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
    bool wordProcessorInstalled = true;
    QString refusal = QStringLiteral("Auf diesem Rechner ist kein Programm für Textdokumente eingerichtet.");
    int documentsRequested = 0;
};
