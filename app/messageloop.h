#pragma once

// Runs the program's message loop until the program ends. Mail transfers that went on without
// their window are then waited for, within a bound, so that every message a server may have
// delivered leaves its copy. An end asked for before the loop started (during the start-up)
// skips the loop, which would never hear of it.
int RunMessageLoop();
