#pragma once

#include "platform/seam.h"

#include <QString>

// Hands a web address or a "mailto:" link to the desktop's default program.
class Shell
{
public:
    virtual ~Shell() = default;
    // True when the desktop accepted the address.
    virtual bool open(const QString& address) = 0;
};

class DesktopShell : public Shell
{
public:
    bool open(const QString& address) override;
};

using ShellSeam = Seam<Shell, DesktopShell>;
