#pragma once

#include <QList>
#include <QString>

class QPrinter;

// One person line of the printed list.
struct PrintedPerson {
    QString firstName;
    QString lastName;
    QString birthday;
};

// 99 characters, "-" and "=" alternating, "-" at both ends.
QString SeparatorLine();

// Prints the title "Tovalinerosliste" and each person followed by a separator line on the
// printer that the print dialog set up; a line that no longer fits starts a new page. False,
// and the reason in error, when the printer cannot be started or the print fails.
bool PrintPersonList(QPrinter& printer, const QList<PrintedPerson>& persons, QString* error);
