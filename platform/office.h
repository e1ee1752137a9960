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
};

// Writes an empty OpenDocument text and lets the desktop open it with its word processor.
class DesktopOffice : public Office
{
public:
    bool openNewTextDocument(QString* error) override;
};

using OfficeSeam = Seam<Office, DesktopOffice>;

// An empty OpenDocument text at the path; false with the reason in error when it cannot be
// written.
bool WriteEmptyTextDocument(const QString& path, QString* error = nullptr);
