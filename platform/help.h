#pragma once

#include "platform/seam.h"

#include <QString>

// Opens the help: at its default topic, or at a context number. The help file name is the one
// the program would hand to a help viewer; the pages themselves lie in the folder "hilfe" beside it.
class Help
{
public:
    virtual ~Help() = default;
    virtual void showTopic(const QString& helpFile) = 0;
    virtual void showContext(const QString& helpFile, int context) = 0;
};

class HelpWindowHelp : public Help
{
public:
    void showTopic(const QString& helpFile) override;
    void showContext(const QString& helpFile, int context) override;
};

using HelpSeam = Seam<Help, HelpWindowHelp>;

// The page of a context number, from the map "kontext.map" ("280=oeffnen.html" a line), or the
// start page "index.html" when the number is unknown; empty when there are no help pages at all.
QString HelpPageFor(const QString& helpFile, int context);
