#pragma once

#include <QIcon>

// The program's icon, for its windows and the tray. The first call makes the resources compiled
// into the program's library available.
QIcon ProgramIcon();

// The program's own printer, the same on every desktop: icon themes have no printer in common,
// and Qt's style has none.
QIcon PrinterIcon();
