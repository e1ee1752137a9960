#pragma once

#include <QString>

// "Online", or "Offline" when the system reports no connection at all.
QString GetOnlineState();
