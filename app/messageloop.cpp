#include "app/messageloop.h"

#include "greetings/smtpcontrol.h"

#include <QApplication>

int RunMessageLoop()
{
    const int result = QApplication::exec();
    SmtpControl::FinishPendingTransfers(SmtpControl::PendingTransferLimitSeconds);
    return result;
}
