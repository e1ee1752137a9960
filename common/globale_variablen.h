#pragma once

#include "common/resize.h"

#include <QDate>
#include <QString>

// The shared variables by which the main window hands the person of a reminder to the reminder
// windows, and the user's own name from the settings.
namespace Globale_Variablen
{
inline QString PersonFirstName;
inline QString PersonLastName;
inline QString PersonEmail;
inline QString PersonStreet;
inline QString PersonZip;
inline QString PersonTown;
inline QString PersonBirthday;
inline QString PersonGreetingHtml;
inline int PersonUseStandardText = 0;
// The day of the check run that opened the reminder window, kept while the window is open: its
// age and the year of its greeting's copy, also when the window opens after midnight. Invalid
// when no run opened the window.
inline QDate ReminderDate;
inline QString SenderName;
inline int ContinuousCheck = 0;
// The proportional layout's records of each window's first layout, kept for the whole run.
inline LayoutBook Layouts;
} // namespace Globale_Variablen
