#pragma once

#include <QString>

// Opens a web address in the default browser. Returns above 32 when the desktop took it, as
// the shell's result would; no caller reads it.
int OpenWebsite(const QString& address);
