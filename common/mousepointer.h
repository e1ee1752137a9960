#pragma once

// The hourglass while a long operation runs; the normal pointer afterwards, however many times
// the hourglass was asked for.
void ShowBusyPointer();
void ShowNormalPointer();
bool IsBusyPointerShown();

// The hourglass on the screen at once, before a long step that lets no events run: the window
// system is given a moment (other events run, input waits) and the windows are painted again as
// they stand, so a dialog that has just closed leaves no picture of itself while the step runs.
void ShowBusyPointerNow();
