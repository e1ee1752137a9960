#pragma once

#include <QString>

// The running program's version, Major.Minor.Revision without leading zeros.
inline QString VersionText()
{
    return QString::number(TOVALINERO_VERSION_MAJOR) + "." + QString::number(TOVALINERO_VERSION_MINOR) + "." +
           QString::number(TOVALINERO_VERSION_REVISION);
}

// "Tovalinero Pro V3.1.1": the tray tooltip and the mailer text.
inline QString ProductWithVersion()
{
    return QStringLiteral("Tovalinero Pro V") + VersionText();
}
