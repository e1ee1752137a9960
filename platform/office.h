#pragma once

#include "platform/seam.h"

#include <QString>

// The hand-over to the desktop's office programs.
class Office
{
public:
    virtual ~Office() = default;
    // Opens a new, empty document in the word processor; false when there is none to open it,
    // with the reason in error.
    virtual bool openNewTextDocument(QString* error) = 0;
    // Opens the workbook at path in the spreadsheet program; false when there is none to open
    // it, with the reason in error.
    virtual bool openSpreadsheet(const QString& path, QString* error) = 0;
};

// Writes an empty OpenDocument text and lets the desktop open it with its word processor; hands
// a workbook to the desktop's program for .xlsx files.
class DesktopOffice : public Office
{
public:
    bool openNewTextDocument(QString* error) override;
    bool openSpreadsheet(const QString& path, QString* error) override;
};

using OfficeSeam = Seam<Office, DesktopOffice>;

// An empty OpenDocument text at the path; false with the reason in error when it cannot be
// written.
bool WriteEmptyTextDocument(const QString& path, QString* error = nullptr);
