#include "support/fakes.h"

#include <QPrinter>

namespace
{
MsgAnswer firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::Yes;
    case MsgButtons::RetryCancel:
        return MsgAnswer::Retry;
    }
    return MsgAnswer::Ok;
}
} // namespace

MsgAnswer FakePrompt::message(const MessageRequest& request)
{
    messages.append(request);
    return answers.isEmpty() ? firstButton(request.buttons) : answers.takeFirst();
}

QString FakePrompt::openFile(const FileRequest& request)
{
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakePrompt::saveFile(const FileRequest& request)
{
    fileRequests.append(request);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakePrompt::chooseFolder(const QString&, const QString&)
{
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

std::optional<QColor> FakePrompt::chooseColor(const QColor&)
{
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.takeFirst();
}

std::optional<QFont> FakePrompt::chooseFont(const QFont&)
{
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
}

bool FakePrompt::setupPrinter(QPrinter& printer)
{
    ++printDialogs;
    if (printToPdf.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf);
    if (printPageSize)
        printer.setPageSize(*printPageSize);
    return true;
}

QStringList FakePrompt::texts() const
{
    QStringList list;
    for (const MessageRequest& m : messages)
        list << m.text;
    return list;
}

FakeSeams::FakeSeams()
{
    PromptSeam::install(&prompt);
    ClockSeam::install(&clock);
    ShellSeam::install(&shell);
    HelpSeam::install(&help);
    TraySeam::install(&tray);
    SoundSeam::install(&sound);
    NotifierSeam::install(&notifier);
    InternetSeam::install(&internet);
}

FakeSeams::~FakeSeams()
{
    PromptSeam::install(nullptr);
    ClockSeam::install(nullptr);
    ShellSeam::install(nullptr);
    HelpSeam::install(nullptr);
    TraySeam::install(nullptr);
    SoundSeam::install(nullptr);
    NotifierSeam::install(nullptr);
    InternetSeam::install(nullptr);
}
