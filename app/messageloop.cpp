#include "app/messageloop.h"

#include "common/forms.h"
#include "greetings/smtpcontrol.h"

#include <QApplication>

int RunMessageLoop()
{
    int result = 0;
    if (FormRegistry::programEnding()) {
        // The unloaded windows go now, as the loop would have deleted them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } else {
        result = QApplication::exec();
    }
    SmtpControl::FinishPendingTransfers(SmtpControl::PendingTransferLimitSeconds);
    return result;
}
