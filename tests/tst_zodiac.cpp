#include "common/sternkreiszeichen.h"
#include "support/fakes.h"

#include <QTest>

class ZodiacTest : public QObject
{
    Q_OBJECT
private slots:
    void signOfBirthDate_data();
    void signOfBirthDate();
    void dateOfAnotherYearHasNoSign();
};

void ZodiacTest::signOfBirthDate_data()
{
    QTest::addColumn<int>("thisYear");
    QTest::addColumn<QString>("birthDate");
    QTest::addColumn<QString>("sign");
    QTest::addRow("22 November in two ranges") << 2026 << "22.11.1980"
                                               << "Skorpion";
    QTest::addRow("23 November") << 2026 << "23.11.1980"
                                 << "Schütze";
    QTest::addRow("21 December") << 2026 << "21.12.1975"
                                 << "Schütze";
    QTest::addRow("22 December") << 2026 << "22.12.1975"
                                 << "Steinbock";
    QTest::addRow("31 December") << 2026 << "31.12.1999"
                                 << "Steinbock";
    QTest::addRow("1 January") << 2026 << "01.01.2000"
                               << "Steinbock";
    QTest::addRow("20 January") << 2026 << "20.01.2000"
                                << "Steinbock";
    QTest::addRow("21 January") << 2026 << "21.01.2000"
                                << "Wassermann";
    QTest::addRow("19 February") << 2026 << "19.02.1980"
                                 << "Wassermann";
    QTest::addRow("20 February") << 2026 << "20.02.1980"
                                 << "Fische";
    QTest::addRow("20 March") << 2026 << "20.03.1980"
                              << "Fische";
    QTest::addRow("21 March") << 2026 << "21.03.1980"
                              << "Widder";
    QTest::addRow("21 June") << 2026 << "21.06.1980"
                             << "Zwillinge";
    QTest::addRow("22 June") << 2026 << "22.06.1980"
                             << "Krebs";
    QTest::addRow("23 July") << 2026 << "23.07.1980"
                             << "Löwe";
    QTest::addRow("23 September") << 2026 << "23.09.1980"
                                  << "Jungfrau";
    QTest::addRow("24 October") << 2026 << "24.10.1980"
                                << "Skorpion";
    QTest::addRow("29 February in a leap year") << 2028 << "29.02.1980"
                                                << "Fische";
    QTest::addRow("29 February in a common year") << 2026 << "29.02.1980"
                                                  << "Fische";
    QTest::addRow("day and month only") << 2026 << "01.08."
                                        << "Löwe";
    QTest::addRow("without leading zeros") << 2026 << "1.2.1980"
                                           << "Wassermann";
    QTest::addRow("empty field") << 2026 << ""
                                 << "n/v";
    QTest::addRow("no date") << 2026 << "Ostern"
                             << "n/v";
    QTest::addRow("31 February") << 2026 << "31.02.1980"
                                 << "n/v";
    QTest::addRow("month 13") << 2026 << "01.13.1980"
                              << "n/v";
}

void ZodiacTest::signOfBirthDate()
{
    QFETCH(int, thisYear);
    QFETCH(QString, birthDate);
    QFETCH(QString, sign);
    FakeSeams seams;
    seams.clock.set(QDateTime(QDate(thisYear, 6, 15), QTime(9, 0)));
    QCOMPARE(SternkreiszeichenOfBirthDate(birthDate), sign);
}

void ZodiacTest::dateOfAnotherYearHasNoSign()
{
    FakeSeams seams;
    QCOMPARE(GetSternkreiszeichen(QDate(2026, 11, 22)), QStringLiteral("Skorpion"));
    QCOMPARE(GetSternkreiszeichen(QDate(2025, 11, 22)), QStringLiteral("n/v"));
    QCOMPARE(GetSternkreiszeichen(QDate()), QStringLiteral("n/v"));
}

QTEST_GUILESS_MAIN(ZodiacTest)
#include "tst_zodiac.moc"
