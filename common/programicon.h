#pragma once

#include <QIcon>

// The program's icon, for its windows and the tray. The first call makes the resources compiled
// into the program's library available.
QIcon ProgramIcon();
