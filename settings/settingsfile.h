#pragma once

#include <QString>
#include <QStringList>

// The settings file daten/einstellungen.dat: 64 lines, the value of setting n on line n.
namespace Settings
{

enum Line {
    CheckIntervalSeconds = 1,
    ContinuousCheckEnabled = 2,
    ReminderSoundFile = 3,
    ProgramPathLine = 4,
    StartMinimized = 5,
    SmtpFromName = 6,
    SmtpFromCompany = 7,
    SmtpFromAddress = 8,
    SmtpServer = 9,
    SmtpAuthRequired = 10,
    SmtpUserName = 11,
    SmtpPassword = 12,
    GreetingSubject = 13,
    ReadReceiptRequested = 14,
    MailPrioritySetting = 15,
    ZipAttachments = 16,
    ZipThresholdKB = 17,
    GreetingSenderName = 18,
    AutoCloseSeconds = 19,
    AutoCloseEnabled = 20,
    LeadTimeDays = 23,
    CheckUpdateAtStart = 24,
    StartTabWelcome = 25,
    StartTabUpcoming = 26,
    StartTabList = 27,
};

constexpr int LineCount = 64;
// Line 25 of a file of the older layout, which had no start-tab lines.
inline const QString StartTabMarker = QStringLiteral("<Zeile 25>");

QString Path();

// One line as it stands in the file; empty where there is none.
QString Read(int line);
// How many lines the file holds (0 when it is missing or cannot be read).
int LinesInFile();
// The line converted as a whole number or as a truth value; raises error 13 when it does not
// convert.
int ReadWholeNumber(int line);
bool ReadTruthValue(int line);
// The line as a number, blanks around it allowed; a line that is empty or no number counts as 0.
double ReadNumberOrZero(int line);

// The renderings of the file: " 1 ", "-1 ", and "True"/"False".
QString RenderWholeNumber(int value);
QString RenderTruthValue(bool value);

// Lines 28 to 64: the placeholders and the comment box.
QStringList FixedLines();
// The 64 lines the options dialog writes when nothing was changed in it.
QStringList DesignTimeLines(const QString& programPath);

// Writes the 64 lines (each ended by CR LF) through a temporary file, readable by its owner
// only, since it holds the mail password; on failure the old file stays and error says why.
bool WriteAll(const QStringList& lines, QString* error = nullptr);
QByteArray Render(const QStringList& lines);

} // namespace Settings
