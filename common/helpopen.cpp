#include "common/helpopen.h"

#include "platform/help.h"
#include "platform/programfolder.h"

QString GetHelpFile(int selector)
{
    return selector == 1 ? ProgramFolder() + "/tovalinero.chm" : QString();
}

void ShowHelpContext(int selector, int context)
{
    HelpSeam::get().showContext(GetHelpFile(selector), context);
}

void ShowMainHelp()
{
    HelpSeam::get().showTopic(GetHelpFile(1));
}
