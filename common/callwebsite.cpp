#include "common/callwebsite.h"

#include "platform/shell.h"

int OpenWebsite(const QString& address)
{
    constexpr int Launched = 42;
    constexpr int NoAssociation = 31;
    return ShellSeam::get().open(address) ? Launched : NoAssociation;
}
