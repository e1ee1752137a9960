#pragma once

// The hourglass while a long operation runs; the normal pointer afterwards, however many times
// the hourglass was asked for.
void ShowBusyPointer();
void ShowNormalPointer();
bool IsBusyPointerShown();
