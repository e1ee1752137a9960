#include "common/dates.h"

#include "platform/clock.h"

#include <QRegularExpression>

namespace
{

// A two-digit year is the latest year with these last digits that is not after this one: no
// one is born in the future, so "28" typed in 2026 is 1928.
int completedYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    const int thisYear = Today().year();
    const int completed = thisYear - thisYear % 100 + year;
    return completed > thisYear ? completed - 100 : completed;
}

// "dd.mm.yyyy" in ASCII digits, the form the list keeps: read by hand, since a list of 100,000
// persons is read and checked date by date. Any other text goes to the expressions.
std::optional<QDate> parseStoredForm(QStringView text)
{
    if (text.size() != 10 || text[2] != u'.' || text[5] != u'.')
        return std::nullopt;
    const auto number = [&](qsizetype from, qsizetype digits) -> int {
        int value = 0;
        for (qsizetype i = from; i < from + digits; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int day = number(0, 2);
    const int month = number(3, 2);
    const int year = number(6, 4);
    if (day < 0 || month < 0 || year < 0)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

std::optional<QDate> ParseGermanDate(const QString& text)
{
    if (const auto date = parseStoredForm(text))
        return date;
    static const QRegularExpression dayFirst(
        QStringLiteral("^\\s*(\\d{1,2})[./-](\\d{1,2})[./-](\\d{2}|\\d{4})\\s*$"));
    static const QRegularExpression iso(QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    int day = 0, month = 0, year = 0;
    if (const auto m = dayFirst.match(text); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = completedYear(m.captured(3).toInt(), m.capturedLength(3));
    } else if (const auto m = iso.match(text); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString FormatGermanDate(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

bool IsStoredBirthday(QStringView text)
{
    // Years below 1000 would be written with leading zeros of their own.
    const auto date = parseStoredForm(text);
    return date && date->year() >= 1000;
}

QString NormalizeBirthday(const QString& text)
{
    if (IsStoredBirthday(text))
        return text;
    const auto date = ParseGermanDate(text);
    return date ? FormatGermanDate(*date) : text;
}

std::optional<int> BirthYearOf(const QString& birthDate)
{
    if (const auto date = ParseGermanDate(birthDate))
        return date->year();
    bool ok = false;
    const int year = birthDate.right(4).trimmed().toInt(&ok);
    return ok ? std::optional<int>(year) : std::nullopt;
}

std::optional<QDate> BirthdayInYear(const QString& birthDate, int year)
{
    const auto date = ParseGermanDate(birthDate);
    if (!date)
        return std::nullopt;
    if (date->month() == 2 && date->day() == 29 && !QDate::isLeapYear(year))
        return QDate(year, 2, 28);
    return QDate(year, date->month(), date->day());
}
