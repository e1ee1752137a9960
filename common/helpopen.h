#pragma once

#include <QString>

// The help file for selector 1: the program's folder followed by "tovalinero.chm"; empty for
// any other selector.
QString GetHelpFile(int selector);
// Opens the help of the selector at the context number; a missing page is the help window's.
void ShowHelpContext(int selector, int context);
// The main help at its default topic.
void ShowMainHelp();

constexpr int HelpContextOpenList = 280;
