#include "settings/optionen1.h"

#include "common/forms.h"
#include "common/globale_variablen.h"
#include "common/moddraw.h"
#include "common/mousepointer.h"
#include "common/outbar.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "common/sevtext.h"
#include "common/textfile.h"
#include "platform/autostart.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "platform/sound.h"
#include "settings/settingsfile.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <optional>

namespace
{

QLabel* pageTitle(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    label->setFont(font);
    return label;
}

QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QGroupBox* newPage(const char* name, const QString& title, QWidget* parent)
{
    auto* page = new QGroupBox(parent);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(pageTitle(title, page));
    return page;
}

QVBoxLayout* pageLayout(QGroupBox* page)
{
    return static_cast<QVBoxLayout*>(page->layout());
}

SevText* newField(const char* name, const QString& caption, QWidget* parent)
{
    auto* field = new SevText(parent);
    field->setObjectName(name);
    field->SetButtonVisible(false);
    if (!caption.isEmpty())
        field->SetCaption(caption);
    return field;
}

QCheckBox* newCheck(const char* name, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// A sketch of the main window with its three tabs, to show what the start tab means.
QPixmap mainWindowSketch()
{
    QPixmap picture(220, 140);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(0, 0, 219, 139);
    painter.fillRect(1, 1, 218, 16, QColor(70, 110, 180));
    painter.setPen(Qt::white);
    painter.drawText(QRect(6, 1, 200, 16), Qt::AlignVCenter, QStringLiteral("Tovalinero Pro"));
    const QStringList tabs = {QStringLiteral("Willkommen"), QStringLiteral("Kommende"),
                              QStringLiteral("Liste")};
    QFont small = painter.font();
    small.setPointSize(7);
    painter.setFont(small);
    for (int i = 0; i < 3; ++i) {
        const QRect tab(6 + i * 70, 24, 66, 16);
        painter.fillRect(tab, i == 0 ? QColor(255, 231, 162) : QColor(230, 230, 230));
        painter.setPen(QColor(90, 90, 90));
        painter.drawRect(tab);
        painter.drawText(tab, Qt::AlignCenter, tabs[i]);
    }
    painter.drawRect(6, 40, 206, 92);
    for (int y = 52; y < 128; y += 12)
        painter.fillRect(14, y, 120 + (y % 3) * 20, 5, QColor(200, 200, 200));
    return picture;
}

} // namespace

optionen1::optionen1(QWidget* parent) : QDialog(parent)
{
    setObjectName("optionen1");
    setWindowTitle("Einstellungen");
    BuildLayout();
    Form_Load();
}

void optionen1::BuildLayout()
{
    OutBar1 = new OutBar(this);
    OutBar1->setObjectName("OutBar1");
    OutBar1->setFixedWidth(3150 / TwipsPerPixel);
    QStyle* s = style();
    const int program = OutBar1->AddGroup("&Programm");
    OutBar1->AddItem(program, "P&rüfintervall", s->standardIcon(QStyle::SP_BrowserReload));
    OutBar1->AddItem(program, "&Autostart u. Update", s->standardIcon(QStyle::SP_ComputerIcon));
    OutBar1->AddItem(program, "&Hinweistöne", s->standardIcon(QStyle::SP_MediaVolume));
    OutBar1->AddItem(program, "&Bevorstehende Tovalineroe",
                     s->standardIcon(QStyle::SP_MessageBoxInformation));
    const int mail = OutBar1->AddGroup("e&Mail");
    OutBar1->AddItem(mail, "&SMTP-Konto einrichten", s->standardIcon(QStyle::SP_DriveNetIcon));
    OutBar1->AddItem(mail, "&eMail-Einstellungen", s->standardIcon(QStyle::SP_FileDialogDetailedView));
    OutBar1->AddItem(mail, "&Dateianhang zippen", s->standardIcon(QStyle::SP_DirClosedIcon));
    const int other = OutBar1->AddGroup("&Sonstiges");
    OutBar1->AddItem(other, "&Benutzername", s->standardIcon(QStyle::SP_FileDialogInfoView));
    OutBar1->AddItem(other, "&Hinweise auto. schließen", s->standardIcon(QStyle::SP_DialogCloseButton));
    OutBar1->AddItem(other, "&Starteinstellungen", s->standardIcon(QStyle::SP_DesktopIcon));
    connect(OutBar1, &OutBar::ItemClick, this, &optionen1::OutBar1_ItemClick);

    pages_ = new QStackedWidget(this);

    Frame1 = newPage("Frame1", "Programmeinstellungen", pages_);
    pageLayout(Frame1)->addWidget(explanation(
        "Die Einstellungen werden mit einem Klick auf \"OK\" gespeichert. Einige Einstellungen werden erst "
        "wirksam, wenn das Programm neu gestartet wird.",
        Frame1));

    Frame2 = newPage("Frame2", "Prüfintervall", pages_);
    pageLayout(Frame2)->addWidget(explanation(
        "Das Programm prüft eigentlich nur nach dem Programmstart auf neue Tovalineroe. Hier können Sie "
        "eine Dauerprüfung einstellen. Ideal, wenn Ihre Rechner durchgehend läuft.",
        Frame2));
    xpCheck1 = newCheck("xpCheck1", "Dauerprüfung ein- / ausschalten", Frame2);
    txtTime = newField("txtTime", "Prüfung alle", Frame2);
    txtTime->SetUnit("Sekunden.");
    txtTime->SetNumeric(1, 86400, 5);
    txtTime->SetText("3600");
    pageLayout(Frame2)->addWidget(xpCheck1);
    pageLayout(Frame2)->addWidget(txtTime);
    pageLayout(Frame2)->addWidget(new QLabel("3600 Sekunden = 1 Stunde", Frame2));

    Frame3 = newPage("Frame3", "Autostart", pages_);
    pageLayout(Frame3)->addWidget(explanation("Hier haben Sie die Möglichkeit das Programm in den Autostart "
                                              "einzutragen. D. h., dass Programm wird dann "
                                              "bei jedem Programmstart automatisch gestartet.",
                                              Frame3));
    txtFilename = newField("txtFilename", QString(), Frame3);
    txtFilename->SetLocked(true);
    txtFilename->Edit()->setAccessibleName("Programmdatei");
    Command5 = new QPushButton("In Autostart &eintragen", Frame3);
    Command5->setObjectName("Command5");
    Command4 = new QPushButton("&Aus Autostart entfernen", Frame3);
    Command4->setObjectName("Command4");
    Check_Start = newCheck("Check_Start", "Programm minimiert starten", Frame3);
    auto* autostartButtons = new QHBoxLayout;
    autostartButtons->addWidget(Command5);
    autostartButtons->addWidget(Command4);
    autostartButtons->addStretch(1);
    pageLayout(Frame3)->addWidget(txtFilename);
    pageLayout(Frame3)->addLayout(autostartButtons);
    pageLayout(Frame3)->addWidget(Check_Start);
    pageLayout(Frame3)->addSpacing(12);
    pageLayout(Frame3)->addWidget(pageTitle("Online - Update", Frame3));
    pageLayout(Frame3)->addWidget(
        explanation("Es kann beim Programmstart automatisch nach neuen Updates geprüft werden. Wenn Sie dies "
                    "wünschen, dann aktivieren Sie das unten aufgeführte Feld.",
                    Frame3));
    check_Update = newCheck("check_Update", "Beim Programmstart nach neuen Updates suchen", Frame3);
    pageLayout(Frame3)->addWidget(check_Update);
    connect(Command5, &QPushButton::clicked, this, &optionen1::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &optionen1::Command4_Click);

    Frame6 = newPage("Frame6", "Hinweistöne", pages_);
    pageLayout(Frame6)->addWidget(explanation(
        "Wählen Sie hier eine .wav-Datei als Hinweiston aus. Im Ordner \"sounds\" im Programmordner "
        "finden Sie Dateien, die Sie dafür verwenden können.",
        Frame6));
    sevText1 = new SevText(Frame6);
    sevText1->setObjectName("sevText1");
    sevText1->Edit()->setAccessibleName("Hinweiston");
    sevText1->Button()->setAccessibleName("Alarmdatei festlegen...");
    Command3 = new QToolButton(Frame6);
    Command3->setObjectName("Command3");
    Command3->setIcon(s->standardIcon(QStyle::SP_MediaPlay));
    Command3->setToolTip("Testen");
    Command3->setAccessibleName("Testen");
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(sevText1, 1);
    soundRow->addWidget(Command3);
    pageLayout(Frame6)->addLayout(soundRow);
    connect(sevText1, &SevText::ButtonClick, this, &optionen1::sevText1_ButtonClick);
    connect(Command3, &QToolButton::clicked, this, &optionen1::Command3_Click);

    Frame11 = newPage("Frame11", "Bevorstehende Tovalineroe", pages_);
    pageLayout(Frame11)->addWidget(explanation(
        "Hier legen Sie fest, wie viele Tage vor einem Tovalinero eine Sprechblase im Infobereich darauf "
        "hinweist.",
        Frame11));
    txtVorwarnzeit = newField("txtVorwarnzeit", "Mich bitte", Frame11);
    txtVorwarnzeit->SetUnit("Tage vor einen Tovalinero vorwarnen.");
    txtVorwarnzeit->SetNumeric(1, 364, 3);
    txtVorwarnzeit->SetText("2");
    pageLayout(Frame11)->addWidget(txtVorwarnzeit);

    Frame4 = newPage("Frame4", "SMTP-eMail-Konto (Postausgangsserver)", pages_);
    Frame4->setTitle("SMTP-Konto");
    pageLayout(Frame4)->addWidget(
        explanation("Geben Sie hier alle Daten Ihres SMTP eMail-Kontos ein.", Frame4));
    assiName = newField("assiName", "Ihr Name:", Frame4);
    assiEMail = newField("assiEMail", "Ihre E-Mail:", Frame4);
    assiFirma = newField("assiFirma", "Ihr Firmenname:", Frame4);
    assiSMTP = newField("assiSMTP", "SMTP-Server:", Frame4);
    chkAUTH = newCheck("chkAUTH", "Server erfordert Authentifizierung", Frame4);
    assiBenutzername = newField("assiBenutzername", "Benutzername:", Frame4);
    assiPasswort = newField("assiPasswort", "Passwort:", Frame4);
    assiPasswort->SetPasswordChar(true);
    for (SevText* field : {assiName, assiEMail, assiFirma})
        pageLayout(Frame4)->addWidget(field);
    pageLayout(Frame4)->addWidget(pageTitle("Postausgangsserver:", Frame4));
    pageLayout(Frame4)->addWidget(assiSMTP);
    pageLayout(Frame4)->addWidget(explanation(
        "Ohne Portangabe wird Port 25 verwendet; \"server:587\" nutzt STARTTLS, \"server:465\" TLS.",
        Frame4));
    pageLayout(Frame4)->addWidget(chkAUTH);
    pageLayout(Frame4)->addWidget(assiBenutzername);
    pageLayout(Frame4)->addWidget(assiPasswort);

    Frame5 = newPage("Frame5", "Weitere eMail-Einstellungen", pages_);
    mailBetreff = newField("mailBetreff", "Betreffzeile:", Frame5);
    auto* priorityLabel = new QLabel("Priorität:", Frame5);
    txtPrio = new SevText(Frame5);
    txtPrio->setObjectName("txtPrio");
    txtPrio->SetLocked(true);
    txtPrio->Edit()->setAccessibleName("Priorität");
    priorityLabel->setBuddy(txtPrio->Edit());
    Check1 = newCheck("Check1", "Lesebestätigung", Frame5);
    pageLayout(Frame5)->addWidget(mailBetreff);
    pageLayout(Frame5)->addWidget(priorityLabel);
    pageLayout(Frame5)->addWidget(txtPrio);
    pageLayout(Frame5)->addWidget(Check1);

    Frame7 = newPage("Frame7", "Dateianhang zippen", pages_);
    pageLayout(Frame7)->addWidget(explanation(
        "Dateianhänge können in ein ZIP-Archiv gepackt werden, sobald sie die unten eingestellte Größe "
        "in kB erreichen. Wenn keine Archive erstellt werden sollen, lassen Sie das Kästchen leer.",
        Frame7));
    ZIPCheck1 = newCheck("ZIPCheck1", "Anlagen in ZIP-Datei packen", Frame7);
    auto* question =
        explanation("ab welcher Größe sollen die Dateien in ein ZIP-Archiv gepackt werden?", Frame7);
    txtKB = newField("txtKB", QString(), Frame7);
    txtKB->SetUnit("kB");
    txtKB->SetText("10");
    txtKB->Edit()->setAccessibleName("ZIP-Archiv ab Größe");
    question->setBuddy(txtKB->Edit());
    pageLayout(Frame7)->addWidget(ZIPCheck1);
    pageLayout(Frame7)->addWidget(question);
    pageLayout(Frame7)->addWidget(txtKB);

    Frame8 = newPage("Frame8", "Benutzername", pages_);
    pageLayout(Frame8)->addWidget(
        explanation("Der hier eingetragene Name wird in den E-Mails über die Variable für den Absendernamen "
                    "angezeigt. Bitte geben Sie Ihren Vor- und Nachnamen ein.",
                    Frame8));
    txtBenutzername = newField("txtBenutzername", "Benutzername:", Frame8);
    pageLayout(Frame8)->addWidget(txtBenutzername);

    Frame9 = newPage("Frame9", "Fenster automatisch nach x Sekunden schließen", pages_);
    pageLayout(Frame9)->addWidget(explanation(
        "Die Hinweisfenster des automatischen E-Mail-Versands schließen sich nach der eingestellten "
        "Anzahl von Sekunden von selbst. Ist die Funktion ausgeschaltet, schließen Sie das Fenster mit "
        "seiner Schaltfläche.",
        Frame9));
    Check_Fenster = newCheck("Check_Fenster", "Fenster automatisch schließen", Frame9);
    txtSekunden = newField("txtSekunden", "Fenster schließen nach", Frame9);
    txtSekunden->SetUnit("Sekunden.");
    txtSekunden->SetNumeric(1, 99, 2);
    txtSekunden->SetText("10");
    pageLayout(Frame9)->addWidget(Check_Fenster);
    pageLayout(Frame9)->addWidget(txtSekunden);

    Frame12 = newPage("Frame12", "Starteinstellungen", pages_);
    pageLayout(Frame12)->addWidget(explanation(
        "Bitte wählen Sie hier aus, welcher Tab / Reiter beim Start des Programms angezeigt werden soll.",
        Frame12));
    check_Tab1 = new QRadioButton("&Willkommen", Frame12);
    check_Tab1->setObjectName("check_Tab1");
    check_Tab2 = new QRadioButton("&Kommende Tovalineroe", Frame12);
    check_Tab2->setObjectName("check_Tab2");
    check_Tab3 = new QRadioButton("&Tovalinerosliste", Frame12);
    check_Tab3->setObjectName("check_Tab3");
    startTabs_ = new QButtonGroup(this);
    startTabs_->setExclusive(true);
    auto* options = new QVBoxLayout;
    for (QRadioButton* option : {check_Tab1, check_Tab2, check_Tab3}) {
        startTabs_->addButton(option);
        options->addWidget(option);
    }
    options->addStretch(1);
    check_Tab1->setChecked(true);
    auto* sketch = new QLabel(Frame12);
    sketch->setObjectName("Image1");
    sketch->setPixmap(mainWindowSketch());
    sketch->setToolTip("Nur zur Veranschaulichung.");
    auto* startRow = new QHBoxLayout;
    startRow->addLayout(options);
    startRow->addWidget(sketch);
    pageLayout(Frame12)->addLayout(startRow);

    for (QGroupBox* page : Pages()) {
        pageLayout(page)->addStretch(1);
        pages_->addWidget(page);
    }

    auto* header = new QFrame(this);
    header->setObjectName("headerBand");
    header->setAutoFillBackground(true);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::Window, Qt::white);
    headerPalette.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(headerPalette);
    auto* headerLayout = new QVBoxLayout(header);
    headerLayout->addWidget(pageTitle("Programmeinstellungen", header));
    headerLayout->addWidget(new QLabel("Hier können Sie Einstellungen am Programm vornehmen.", header));

    Command1 = new QPushButton("&OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("&Abbrechen", this);
    Command2->setObjectName("Command2");
    connect(Command1, &QPushButton::clicked, this, &optionen1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &optionen1::Command2_Click);

    band_ = new GradientBand(this);
    band_->setObjectName("Picture1");
    auto* buttons = new QHBoxLayout(band_);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    DrawBottomBand(band_);

    auto* right = new QVBoxLayout;
    right->addWidget(header);
    right->addWidget(pages_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(OutBar1);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    body->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(body, 1);
    layout->addWidget(band_);
    resize(9600 / TwipsPerPixel, 7200 / TwipsPerPixel);
    KeepDesignedSize(this);

    bindings_ = {
        {Settings::CheckIntervalSeconds, txtTime, nullptr},
        {Settings::ContinuousCheckEnabled, nullptr, xpCheck1},
        {Settings::ReminderSoundFile, sevText1, nullptr},
        {Settings::ProgramPathLine, txtFilename, nullptr},
        {Settings::StartMinimized, nullptr, Check_Start},
        {Settings::SmtpFromName, assiName, nullptr},
        {Settings::SmtpFromCompany, assiFirma, nullptr},
        {Settings::SmtpFromAddress, assiEMail, nullptr},
        {Settings::SmtpServer, assiSMTP, nullptr},
        {Settings::SmtpAuthRequired, nullptr, chkAUTH},
        {Settings::SmtpUserName, assiBenutzername, nullptr},
        {Settings::SmtpPassword, assiPasswort, nullptr},
        {Settings::GreetingSubject, mailBetreff, nullptr},
        {Settings::ReadReceiptRequested, nullptr, Check1},
        {Settings::MailPrioritySetting, txtPrio, nullptr},
        {Settings::ZipAttachments, nullptr, ZIPCheck1},
        {Settings::ZipThresholdKB, txtKB, nullptr},
        {Settings::GreetingSenderName, txtBenutzername, nullptr},
        {Settings::AutoCloseSeconds, txtSekunden, nullptr},
        {Settings::AutoCloseEnabled, nullptr, Check_Fenster},
        {Settings::LeadTimeDays, txtVorwarnzeit, nullptr},
        {Settings::CheckUpdateAtStart, nullptr, check_Update},
    };
}

QList<QGroupBox*> optionen1::Pages() const
{
    return {Frame1, Frame2, Frame3, Frame6, Frame11, Frame4, Frame5, Frame7, Frame8, Frame9, Frame12};
}

void optionen1::Form_Load()
{
    ShowBusyPointer();
    LoadSettings();
    txtFilename->SetText(QDir::toNativeSeparators(ProgramPath()));
    for (const char* priority : {"Hoch", "Normal", "Niedrig"})
        txtPrio->AddItem(priority);
    ShowPage(Frame1);
    ShowNormalPointer();
}

void optionen1::SetOption(QRadioButton* option, bool value)
{
    if (value) {
        option->setChecked(true);
        return;
    }
    // An exclusive group never lets its checked button go, but the file may clear it.
    if (QButtonGroup* group = option->group(); group && option->isChecked()) {
        group->setExclusive(false);
        option->setChecked(false);
        group->setExclusive(true);
    } else {
        option->setChecked(false);
    }
}

bool optionen1::LoadSettings()
{
    // Every line that reads is loaded: one bad line must not leave the lines after it at their
    // design-time values, which "OK" would then write over the user's (the SMTP account).
    std::optional<RuntimeError> firstError;
    const auto load = [&firstError](const std::function<void()>& step) {
        try {
            step();
        } catch (const RuntimeError& error) {
            if (!firstError)
                firstError = error;
        }
    };
    // A text line the file does not hold at all (a missing or cut-off file) keeps the field's
    // design-time value rather than emptying it; a number line there still reports its error.
    const int linesInFile = Settings::LinesInFile();
    for (const Binding& binding : bindings_) {
        load([&binding, linesInFile] {
            if (binding.text) {
                if (binding.line <= linesInFile)
                    binding.text->SetText(Settings::Read(binding.line));
            } else {
                binding.box->setChecked(Settings::ReadWholeNumber(binding.line) != 0);
            }
        });
    }
    if (Settings::Read(Settings::StartTabWelcome) != Settings::StartTabMarker) {
        load([this] { SetOption(check_Tab1, Settings::ReadTruthValue(Settings::StartTabWelcome)); });
        load([this] { SetOption(check_Tab2, Settings::ReadTruthValue(Settings::StartTabUpcoming)); });
        load([this] { SetOption(check_Tab3, Settings::ReadTruthValue(Settings::StartTabList)); });
    }
    if (!firstError)
        return true;
    ShowNormalPointer();
    // Line feeds: a message box breaks its lines there only.
    MsgBox("Fehler-Nr.:\r" + QString::number(firstError->number()) + "\r\rBeschreibung:\r" +
               firstError->description(),
           MsgButtons::Ok, MsgIcon::Critical, "Fehler");
    return false;
}

void optionen1::ShowPage(QGroupBox* page)
{
    pages_->setCurrentWidget(page);
}

void optionen1::OutBar1_ItemClick(int group, int item)
{
    QGroupBox* const table[3][4] = {
        {Frame2, Frame3, Frame6, Frame11},
        {Frame4, Frame5, Frame7, nullptr},
        {Frame8, Frame9, Frame12, nullptr},
    };
    if (group < 1 || group > 3 || item < 1 || item > 4)
        return;
    if (QGroupBox* page = table[group - 1][item - 1])
        ShowPage(page);
}

QGroupBox* optionen1::PageOf(QWidget* control) const
{
    for (QWidget* w = control; w; w = w->parentWidget())
        if (auto* page = qobject_cast<QGroupBox*>(w); page && Pages().contains(page))
            return page;
    return nullptr;
}

void optionen1::ShowPageOf(QWidget* control)
{
    if (QGroupBox* page = PageOf(control))
        ShowPage(page);
}

QString optionen1::PageTitleOf(QWidget* control) const
{
    QGroupBox* page = PageOf(control);
    QLayoutItem* title = page ? page->layout()->itemAt(0) : nullptr;
    auto* label = title ? qobject_cast<QLabel*>(title->widget()) : nullptr;
    return label ? label->text() : QString();
}

// Tells the user what is wrong with a field, on its page, with the focus in it.
void optionen1::RefuseField(SevText* field, const QString& problem)
{
    ShowPageOf(field);
    ShowNormalPointer();
    MsgBox(problem, MsgButtons::Ok, MsgIcon::Exclamation);
    field->Edit()->setFocus();
}

// A value the file cannot hold would be lost or would split its line; the user is told instead,
// of every such field and character at once, so one correction suffices.
bool optionen1::RefuseUnstorableText()
{
    struct Refusal {
        SevText* field;
        QString name;
        bool lineBreak;
        QStringList characters;
    };
    std::vector<Refusal> refusals;
    for (const Binding& binding : bindings_) {
        // The program's own path is shown, not typed: it is stored as the code page can hold it.
        if (!binding.text || binding.text == txtFilename)
            continue;
        const QString text = binding.text->Text();
        Refusal refusal{binding.text,
                        binding.text->Edit()->accessibleName(),
                        text.contains('\r') || text.contains('\n'),
                        {}};
        for (const QString& c : UnrepresentableCharacters(text))
            refusal.characters << "\"" + c + "\"";
        if (refusal.lineBreak || !refusal.characters.isEmpty())
            refusals.push_back(refusal);
    }
    if (refusals.empty())
        return false;
    QStringList sentences;
    for (const Refusal& refusal : refusals) {
        // Two fields of one name ("Benutzername") are told apart by their pages.
        const bool shared = std::count_if(refusals.begin(), refusals.end(), [&](const Refusal& other) {
                                return other.name == refusal.name;
                            }) > 1;
        const QString field = "Das Feld \"" + refusal.name + "\" " +
                              (shared ? "auf der Seite \"" + PageTitleOf(refusal.field) + "\" " : QString());
        if (refusal.lineBreak)
            sentences << field + "darf keinen Zeilenumbruch enthalten.";
        if (!refusal.characters.isEmpty())
            sentences << field + UnstorableCharactersClause(refusal.characters, "in der Einstellungsdatei");
    }
    RefuseField(refusals.front().field, sentences.join('\n'));
    return true;
}

// A number outside its field's range would make the program misbehave later (a check interval
// of 0 runs the check every second), so it is refused here, where the user can mend it.
bool optionen1::RefuseNumberOutOfRange()
{
    for (SevText* field : {txtTime, txtVorwarnzeit, txtSekunden}) {
        const auto range = field->NumericRange();
        if (!range || field->HoldsNumberInRange())
            continue;
        RefuseField(field, QStringLiteral("Das Feld \"%1\" muss eine ganze Zahl von %2 bis %3 enthalten.")
                               .arg(field->Edit()->accessibleName())
                               .arg(range->first)
                               .arg(range->second));
        return true;
    }
    return false;
}

void optionen1::SaveSettings()
{
    ShowBusyPointer();
    if (RefuseUnstorableText() || RefuseNumberOutOfRange())
        return;
    QStringList lines;
    for (const Binding& binding : bindings_) {
        while (lines.size() < binding.line - 1)
            lines << QString(); // the reserved lines 21 and 22
        if (binding.text == txtFilename)
            lines << StorableLine(txtFilename->Text());
        else
            lines << (binding.text ? binding.text->Text()
                                   : Settings::RenderWholeNumber(binding.box->isChecked() ? 1 : 0));
    }
    lines << Settings::RenderTruthValue(check_Tab1->isChecked());
    lines << Settings::RenderTruthValue(check_Tab2->isChecked());
    lines << Settings::RenderTruthValue(check_Tab3->isChecked());
    lines << Settings::FixedLines();
    QString error;
    const bool written = Settings::WriteAll(lines, &error);
    ShowNormalPointer();
    if (!written) {
        MsgBox("Die Einstellungen konnten nicht gespeichert werden:\n" +
                   QDir::toNativeSeparators(Settings::Path()) + "\n" + error,
               MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    // The greetings sign with this name from now on, not only after the next start.
    Globale_Variablen::SenderName = txtBenutzername->Text();
    Forms::Unload(this);
}

void optionen1::Command1_Click()
{
    SaveSettings();
}

void optionen1::Command2_Click()
{
    Forms::Unload(this);
}

void optionen1::reject()
{
    Forms::Unload(this);
}

void optionen1::Command3_Click()
{
    PlaySound(sevText1->Text());
}

void optionen1::sevText1_ButtonClick()
{
    const QString chosen = sevText1->ShowOpenDialog("Alarmdatei festlegen...", ProgramFolder() + "/sounds/",
                                                    QString(), "Wave-Datei (*.wav)|*.wav", ".wav");
    if (!chosen.isEmpty())
        sevText1->SetText(QDir::toNativeSeparators(chosen));
}

bool optionen1::SetAutoRun(const QString& sDescr, const QString& sPath)
{
    return AutostartSeam::get().enter(sDescr, sPath);
}

bool optionen1::RemoveAutoRun(const QString& sDescr)
{
    return AutostartSeam::get().remove(sDescr);
}

void optionen1::Command5_Click()
{
    const QString path = txtFilename->Text();
    if (SetAutoRun(AutostartValueName(path), path))
        MsgBox("Der Eintrag war erfolgreich.", MsgButtons::Ok, MsgIcon::Information, "Autostart");
    else
        MsgBox("Der Eintrag ist fehlgeschlagen!", MsgButtons::Ok, MsgIcon::Critical, "Autostart");
}

void optionen1::Command4_Click()
{
    const QString name = AutostartValueName(txtFilename->Text());
    RemoveAutoRun(name);
    // Success is what the user sees afterwards: no entry left, whether or not there was one.
    if (AutostartSeam::get().exists(name))
        MsgBox("Der Eintrag konnte nicht entfernt werden!", MsgButtons::Ok, MsgIcon::Critical, "Autostart");
    else
        MsgBox("Der Eintrag wurde entfernt!", MsgButtons::Ok, MsgIcon::Information, "Autostart");
}
