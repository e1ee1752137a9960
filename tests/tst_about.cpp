#include "support/formfixture.h"

#include "app/copyright1.h"
#include "common/forms.h"
#include "common/version.h"
#include "common/webaddresses.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

class AboutTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { fixture_ = std::make_unique<FormFixture>(); }
    void cleanup() { fixture_.reset(); }
    void menuShowsTheRunningVersion();
    void linksOpenMailAndWebPage_data();
    void linksOpenMailAndWebPage();

private:
    std::unique_ptr<FormFixture> fixture_;
};

void AboutTest::menuShowsTheRunningVersion()
{
    QStringList seen;
    bool modal = false;
    bool pictured = false;
    // Only reads the box and closes it: the checks come after the menu's call has returned.
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<copyright1*>(QApplication::activeModalWidget())) {
            modal = box->isModal();
            pictured = !box->Image[0]->pixmap().isNull() && !box->windowIcon().isNull();
            seen << box->windowTitle() << box->sevTabStrip1->tabText(0) << box->sevTabStrip1->tabText(1)
                 << box->Label1[1]->text() << box->Label2[0]->text() << box->Label2[1]->text()
                 << box->Label3->text() << box->Command1->text();
            box->Command1->click();
        }
    });
    fixture_->form().findChild<QAction*>("cop")->trigger();
    QVERIFY(modal);
    QVERIFY(pictured);
    QCOMPARE(seen, (QStringList{"Copyright", "&Programm", "&Hersteller", "Tovalinero Pro",
                                "Version " + VersionText(), "Build 104", "Stand 29.12.2020", "&Okay"}));
    QCOMPARE(VersionText(), QStringLiteral("3.1.1"));
    FlushDeletedWindows();
    QVERIFY(!Forms::Loaded<copyright1>());
    QVERIFY(fixture_->seams->prompt.messages.isEmpty());
}

void AboutTest::linksOpenMailAndWebPage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("address");
    QTest::addRow("eMail") << "cmdEMail"
                           << "eMail schreiben" << WebAddresses::ContactMail;
    QTest::addRow("Internetseite") << "cmdInternet"
                                   << "Zur Internetseite" << WebAddresses::MakerHomePage;
}

void AboutTest::linksOpenMailAndWebPage()
{
    QFETCH(QString, button);
    QFETCH(QString, toolTip);
    QFETCH(QString, address);
    auto* link = Forms::Get<copyright1>().findChild<QPushButton*>(button);
    QVERIFY(link);
    QCOMPARE(link->toolTip(), toolTip);
    QVERIFY(!link->text().isEmpty());
    link->click();
    QCOMPARE(fixture_->seams->shell.opened, QStringList{address});
    QVERIFY(Forms::Loaded<copyright1>());
    QVERIFY(address.startsWith("mailto:") || address.startsWith("https://"));
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
