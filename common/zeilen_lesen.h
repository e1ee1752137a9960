#pragma once

#include <QString>

// Line n of a text file split at CR LF pairs only (counted from 1; a negative n counts from the
// end, -1 being the piece after the last CR LF). Reads the whole file on every call; n = 0, a
// missing or unreadable file and a line beyond the end give an empty text. Never fails.
QString ReadLineN(const QString& path, long n);
