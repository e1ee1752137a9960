#include "maintenance/online.h"

#include "platform/internet.h"

QString GetOnlineState()
{
    return InternetSeam::get().online() ? QStringLiteral("Online") : QStringLiteral("Offline");
}
