#include "common/dates.h"

#include <QRegularExpression>

namespace
{

int completedYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

} // namespace

std::optional<QDate> ParseGermanDate(const QString& text)
{
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

QString NormalizeBirthday(const QString& text)
{
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
