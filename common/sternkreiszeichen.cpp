#include "common/sternkreiszeichen.h"

#include "common/dates.h"
#include "platform/clock.h"

#include <QRegularExpression>

namespace
{

struct SignRange {
    int fromDay, fromMonth, toDay, toMonth;
    const char* name;
};

// Tested in this order, both bounds inclusive; the first match wins, so 22 November is
// "Skorpion".
constexpr SignRange SignRanges[] = {
    {21, 1, 19, 2, "Wassermann"}, {20, 2, 20, 3, "Fische"},    {21, 3, 20, 4, "Widder"},
    {21, 4, 20, 5, "Stier"},      {21, 5, 21, 6, "Zwillinge"}, {22, 6, 22, 7, "Krebs"},
    {23, 7, 23, 8, "Löwe"},       {24, 8, 23, 9, "Jungfrau"},  {24, 9, 23, 10, "Waage"},
    {24, 10, 22, 11, "Skorpion"}, {22, 11, 21, 12, "Schütze"}, {22, 12, 31, 12, "Steinbock"},
    {1, 1, 20, 1, "Steinbock"},
};

QDate dayOfYear(int year, int month, int day)
{
    // 29 February lies between 28 February and 1 March also in a year without it.
    if (month == 2 && day == 29 && !QDate::isLeapYear(year))
        day = 28;
    return QDate(year, month, day);
}

} // namespace

QString GetSternkreiszeichen(const QDate& Birthday)
{
    if (!Birthday.isValid())
        return QStringLiteral("n/v");
    const int year = Today().year();
    for (const SignRange& range : SignRanges) {
        const QDate from(year, range.fromMonth, range.fromDay);
        const QDate to(year, range.toMonth, range.toDay);
        if (from <= Birthday && Birthday <= to)
            return QString::fromUtf8(range.name);
    }
    return QStringLiteral("n/v");
}

QString SternkreiszeichenOfBirthDate(const QString& birthDate)
{
    const int year = Today().year();
    // Day and month with their points, then this year: "dd.mm." + "yyyy".
    static const QRegularExpression dayAndMonth(QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\."));
    if (const auto m = dayAndMonth.match(birthDate); m.hasMatch()) {
        const QDate date = dayOfYear(year, m.captured(2).toInt(), m.captured(1).toInt());
        return date.isValid() ? GetSternkreiszeichen(date) : QStringLiteral("n/v");
    }
    // A date typed without leading zeros ("1.2.1980") still names its day and month.
    if (const auto date = ParseGermanDate(birthDate))
        return GetSternkreiszeichen(dayOfYear(year, date->month(), date->day()));
    return QStringLiteral("n/v");
}
