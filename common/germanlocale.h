#pragma once

// The program speaks German whatever the environment says: dates, numbers, the calendar and
// Qt's own dialogs and buttons ("Ja", "Nein", "Abbrechen") follow German (Germany). Called once
// at start, before the first window; calling it again changes nothing.
void UseGermanLocale();
