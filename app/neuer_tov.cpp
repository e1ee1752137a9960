#include "app/neuer_tov.h"

#include "app/form1.h"
#include "common/coolbar.h"
#include "common/dates.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/moddraw.h"
#include "common/resize.h"
#include "common/sevtext.h"
#include "common/sternkreiszeichen.h"
#include "common/textfile.h"
#include "greetings/html_editor.h"
#include "platform/clock.h"
#include "platform/prompt.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace
{

constexpr int BirthDateField = 2;
constexpr int EmailField = 6;
constexpr int KeyEscape = 27;

// The captions of fields 1 to 10, as the refusal names them.
const char* const FieldCaptions[] = {"Vorname",
                                     "Nachname",
                                     "Tovalinero",
                                     "eMail automatisch senden",
                                     "Standard-Gruß senden",
                                     "Individueller eMail-Text",
                                     "Straße",
                                     "PLZ",
                                     "Wohnort",
                                     "eMail"};

// The characters the list file cannot carry, as the message names them: its field and line
// separators, and whatever Windows-1252 has no byte for.
QStringList refusedCharacters(const QString& text)
{
    QStringList shown;
    if (text.contains('~'))
        shown << QStringLiteral("\"~\"");
    if (text.contains('\t'))
        shown << QStringLiteral("Tabulator");
    if (text.contains('\r'))
        shown << QStringLiteral("Wagenrücklauf (CR)");
    for (const QString& c : UnrepresentableCharacters(text)) {
        const char32_t codePoint = c.size() == 2 ? QChar::surrogateToUcs4(c[0], c[1]) : c[0].unicode();
        const QString code =
            QStringLiteral("U+%1").arg(static_cast<uint>(codePoint), 4, 16, QChar('0')).toUpper();
        // A lone surrogate shows as nothing; its number alone names it.
        shown << (c.size() == 1 && c[0].isSurrogate() ? code : "\"" + c + "\" (" + code + ")");
    }
    return shown;
}

SevText* makeField(QWidget* parent, int index, int maxLength = 0)
{
    auto* field = new SevText(parent);
    field->setObjectName(QStringLiteral("sevText1_%1").arg(index));
    field->SetButtonVisible(false);
    if (maxLength > 0)
        field->SetMaxLength(maxLength);
    return field;
}

QLabel* captionFor(QWidget* parent, const QString& caption, SevText* field)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    const QString name = QString(caption).remove(':');
    field->setAccessibleName(name);
    field->Edit()->setAccessibleName(name);
    return label;
}

} // namespace

neuer_tov::neuer_tov(QWidget* parent) : QDialog(parent)
{
    setObjectName("neuer_tov");
    setWindowTitle("Neuer Tovalinero");

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setStyleSheet("font-weight: bold; font-size: 12pt;");
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);

    for (int i = 0; i < 7; ++i)
        sevText1[i] = makeField(this, i, i == BirthDateField ? 10 : 0);
    SevText* birthDate = sevText1[BirthDateField];
    birthDate->SetButtonVisible(true);
    birthDate->SetButtonText(QStringLiteral("▾"));
    birthDate->Button()->setAccessibleName("Kalender öffnen");
    birthDate->Button()->setToolTip("Kalender öffnen (F4)");
    birthDate->Button()->setFocusPolicy(Qt::TabFocus);
    // F4 and Alt+Down in the field open the calendar, as they open a drop-down list.
    birthDate->SetButtonOpensDropDown(true);

    Label4 = new QLabel("n/v", this);
    Label4->setObjectName("Label4");
    // The label reads out the sign itself; its caption is the description.
    Label4->setAccessibleDescription("Sternzeichen");

    Check_Standard = new QCheckBox("eMail automatisch senden", this);
    Check_Standard->setObjectName("Check_Standard");
    Check_Automatisch = new QCheckBox("Standard-Gruß senden", this);
    Check_Automatisch->setObjectName("Check_Automatisch");

    Label3 = new QLabel(
        QStringLiteral("Individueller eMail-Text. Rechts der Button \"...\" öffnet den WYSIWYG - Editor."),
        this);
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);
    HTML_Text = new QPlainTextEdit(this);
    HTML_Text->setObjectName("HTML_Text");
    HTML_Text->setAccessibleName("Individueller eMail-Text");
    HTML_Text->setTabChangesFocus(true);
    Label3->setBuddy(HTML_Text);
    Command5 = new QToolButton(this);
    Command5->setObjectName("Command5");
    Command5->setText("...");
    Command5->setAccessibleName("Editor öffnen");
    SetTitledToolTip(Command5, "Text bearbeiten", "Editor öffnen");

    Frame1 = new QGroupBox("Anschrift", this);
    Frame1->setObjectName("Frame1");
    for (int i = 3; i <= 5; ++i)
        sevText1[i]->setParent(Frame1);

    Line1 = new QFrame(this);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    picBottom = new GradientBand(this);
    picBottom->setObjectName("picBottom");
    Command1 = new QPushButton("&Anlegen", picBottom);
    Command1->setObjectName("Command1");
    Command2 = new QPushButton("&Übernehmen", picBottom);
    Command2->setObjectName("Command2");
    Command3 = new QPushButton("&Zurück", picBottom);
    Command3->setObjectName("Command3");
    for (QPushButton* button : {Command1, Command2, Command3})
        button->setAutoDefault(false);

    auto* person = new QGridLayout;
    person->addWidget(captionFor(this, "Vorname:", sevText1[0]), 0, 0);
    person->addWidget(sevText1[0], 0, 1, 1, 3);
    person->addWidget(captionFor(this, "Nachname:", sevText1[1]), 1, 0);
    person->addWidget(sevText1[1], 1, 1, 1, 3);
    person->addWidget(captionFor(this, "Tovalinero:", birthDate), 2, 0);
    person->addWidget(birthDate, 2, 1);
    person->addWidget(new QLabel("Sternzeichen:", this), 2, 2, Qt::AlignRight);
    person->addWidget(Label4, 2, 3);
    person->addWidget(captionFor(this, "eMail:", sevText1[6]), 3, 0);
    person->addWidget(sevText1[6], 3, 1, 1, 3);
    person->setColumnStretch(1, 1);
    person->setColumnStretch(3, 1);

    auto* address = new QFormLayout(Frame1);
    address->addRow(captionFor(Frame1, "Straße:", sevText1[3]), sevText1[3]);
    address->addRow(captionFor(Frame1, "PLZ:", sevText1[4]), sevText1[4]);
    address->addRow(captionFor(Frame1, "Wohnort:", sevText1[5]), sevText1[5]);

    auto* greeting = new QHBoxLayout;
    greeting->addWidget(HTML_Text, 1);
    greeting->addWidget(Command5, 0, Qt::AlignTop);

    auto* buttons = new QHBoxLayout(picBottom);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addLayout(person);
    layout->addWidget(Check_Standard);
    layout->addWidget(Check_Automatisch);
    layout->addWidget(Label3);
    layout->addLayout(greeting, 1);
    layout->addWidget(Frame1);
    layout->addWidget(Line1);
    layout->addWidget(picBottom);
    resize(480, 560);
    KeepDesignedSize(this);

    connect(Command1, &QPushButton::clicked, this, &neuer_tov::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &neuer_tov::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &neuer_tov::Command3_Click);
    connect(Command5, &QToolButton::clicked, this, &neuer_tov::Command5_Click);
    connect(birthDate, &SevText::ButtonClick, this, &neuer_tov::ShowCalendar);
    for (int i = 0; i < 7; ++i)
        connect(sevText1[i], &SevText::LostFocus, this, [this, i] { sevText1_LostFocus(i); });
    // Options follow the address also when it changes without a key (paste, cut by mouse).
    connect(sevText1[EmailField], &SevText::Change, this, &neuer_tov::UpdateEmailOptions);

    SetTabOrderAsOnScreen();
    SetMode(Mode::NewPerson);
    Form_Load();
}

// Tab walks the fields as they stand on screen: the e-mail address comes right after the
// birth date, the address block after the greeting.
void neuer_tov::SetTabOrderAsOnScreen()
{
    const QList<QWidget*> order = {sevText1[0]->Edit(),
                                   sevText1[1]->Edit(),
                                   sevText1[BirthDateField]->Edit(),
                                   sevText1[BirthDateField]->Button(),
                                   sevText1[EmailField]->Edit(),
                                   Check_Standard,
                                   Check_Automatisch,
                                   HTML_Text,
                                   Command5,
                                   sevText1[3]->Edit(),
                                   sevText1[4]->Edit(),
                                   sevText1[5]->Edit(),
                                   Command1,
                                   Command2,
                                   Command3};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void neuer_tov::Form_Load()
{
    DrawGradient(picBottom, RGB(255, 231, 162), RGB(255, 172, 66), GradientFillRectV);
    // Line1 spans picBottom's width through the layout.
    keyPreviewOn_ = true;
}

void neuer_tov::SetMode(Mode mode)
{
    const bool isNew = mode == Mode::NewPerson;
    setWindowTitle(isNew ? "Neuer Tovalinero" : "Eintrag ändern");
    Label1->setText(isNew ? "Neuen Tovalinero anlegen" : "Tovalineroseintrag ändern");
    Label2->setText(isNew
                        ? "Füllen Sie hier bitte alle Felder aus und klicken Sie anschließend auf >Anlegen<."
                        : "Geben Sie Ihre Änderungen ein und klicken Sie anschließend auf >Übernehmen<.");
    Command1->setVisible(isNew);
    Command2->setVisible(!isNew);
    // Enter in a field presses the mode's own button.
    Command1->setDefault(isNew);
    Command2->setDefault(!isNew);
}

void neuer_tov::ClearFields()
{
    sevText1[0]->SetText(QString());
    sevText1[1]->SetText(QString());
    sevText1[2]->SetText(QString());
    Check_Standard->setChecked(false);
    Check_Automatisch->setChecked(false);
    HTML_Text->setPlainText(QString());
    for (int i = 3; i <= 6; ++i)
        sevText1[i]->SetText(QString());
}

QString neuer_tov::FieldText(int field) const
{
    switch (field) {
    case 1:
    case 2:
    case 3:
        return sevText1[field - 1]->Text();
    case 4:
        return Check_Standard->isChecked() ? "1" : "0";
    case 5:
        return Check_Automatisch->isChecked() ? "1" : "0";
    case 6:
        // The raw text keeps every character (a non-breaking space stays one); only the
        // paragraph breaks of the field go back to the LF they came from.
        return HTML_Text->document()->toRawText().replace(QChar::ParagraphSeparator, QChar('\n'));
    case 7:
    case 8:
    case 9:
    case 10:
        return sevText1[field - 4]->Text();
    default:
        return QString();
    }
}

bool neuer_tov::BirthDateCanBeStored()
{
    SevText* field = sevText1[BirthDateField];
    const QString typed = field->Text();
    if (typed.trimmed().isEmpty())
        return true;
    // A birth date that reads as no date would never be reminded of, and nobody would know.
    const auto date = ParseGermanDate(typed);
    QString problem;
    if (!date)
        problem = QStringLiteral("Das Feld \"Tovalinero\" enthält kein gültiges Datum: \"%1\".\n\n");
    else if (*date > Today())
        problem =
            QStringLiteral("Das Feld \"Tovalinero\" enthält ein Datum nach dem heutigen Tag: \"%1\".\n\n"
                           "Ein Geburtsdatum kann nicht in der Zukunft liegen. ");
    if (!problem.isEmpty()) {
        MsgBox(problem.arg(typed) + "Bitte geben Sie das Geburtsdatum als TT.MM.JJJJ ein oder lassen Sie das "
                                    "Feld leer.",
               MsgButtons::Ok, MsgIcon::Exclamation);
        field->setFocus();
        return false;
    }
    // Stored as the list keeps every date, and with the year it was read with today.
    field->SetText(FormatGermanDate(*date));
    return true;
}

bool neuer_tov::FieldsCanBeStored()
{
    if (!BirthDateCanBeStored())
        return false;
    // Every refused character of every field in one message, so one correction suffices.
    QStringList sentences;
    qsizetype refused = 0;
    int firstField = 0;
    for (int field = 1; field <= 10; ++field) {
        const QStringList shown = refusedCharacters(FieldText(field));
        if (shown.isEmpty())
            continue;
        if (firstField == 0)
            firstField = field;
        refused += shown.size();
        sentences << "Das Feld \"" + QString::fromUtf8(FieldCaptions[field - 1]) + "\" " +
                         UnstorableCharactersClause(shown, QStringLiteral("in der Tovalinerosliste"));
    }
    if (sentences.isEmpty())
        return true;
    MsgBox(sentences.join('\n') + "\n\n" +
               (refused == 1
                    ? QStringLiteral("Bitte entfernen Sie es oder ersetzen Sie es durch ein anderes "
                                     "Zeichen.")
                    : QStringLiteral("Bitte entfernen Sie sie oder ersetzen Sie sie durch andere Zeichen.")),
           MsgButtons::Ok, MsgIcon::Exclamation);
    if (firstField == 6)
        HTML_Text->setFocus();
    else if (firstField != 4 && firstField != 5)
        sevText1[firstField <= 3 ? firstField - 1 : firstField - 4]->setFocus();
    return false;
}

void neuer_tov::Command1_Click()
{
    if (!FieldsCanBeStored())
        return;
    QStringList fields;
    for (int field = 1; field <= 10; ++field)
        fields << FieldText(field);
    if (Form1* main = Forms::Loaded<Form1>()) {
        main->Grid1->AddRow(fields.join('\t'), 1);
        main->Grid1->SetCurrentRow(1);
    }
    Forms::Unload(this);
}

void neuer_tov::Command2_Click()
{
    if (!FieldsCanBeStored())
        return;
    Form1* main = Forms::Loaded<Form1>();
    if (Grid* grid = main ? main->Grid1 : nullptr; grid && grid->CurrentRow() >= 1) {
        // The row is read afresh for every cell, as the grid may move its selection meanwhile.
        for (int column = 1; column <= 10; ++column)
            grid->SetCell(grid->CurrentRow(), column, FieldText(column));
    }
    Forms::Unload(this);
}

void neuer_tov::Command3_Click()
{
    Forms::Unload(this);
}

void neuer_tov::Command5_Click()
{
    HTML_Editor& editor = Forms::Get<HTML_Editor>();
    editor.Command1->hide();
    editor.Command2->show();
    editor.HTMLed1->SetDocumentHTML(FieldText(6));
    Forms::ShowModal<HTML_Editor>();
}

void neuer_tov::Form_Activate()
{
    UpdateEmailOptions();
    UpdateStarSignLabel();
}

void neuer_tov::UpdateEmailOptions()
{
    const bool hasAddress = !sevText1[EmailField]->Text().isEmpty();
    Check_Standard->setEnabled(hasAddress);
    Check_Automatisch->setEnabled(hasAddress);
    HTML_Text->setEnabled(hasAddress);
    Command5->setEnabled(hasAddress);
}

void neuer_tov::Form_KeyPress(int keyAscii)
{
    UpdateEmailOptions();
    if (keyAscii == KeyEscape)
        Command3_Click();
}

void neuer_tov::sevText1_LostFocus(int)
{
    UpdateStarSignLabel();
}

void neuer_tov::UpdateStarSignLabel()
{
    Label4->setText(SternkreiszeichenOfBirthDate(sevText1[BirthDateField]->Text()));
}

void neuer_tov::ShowCalendar()
{
    if (!calendar_) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setObjectName("calendar");
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setGridVisible(true);
        calendar_->setAccessibleName("Kalender");
        const auto take = [this](const QDate& date) {
            sevText1[BirthDateField]->SetText(FormatGermanDate(date));
            calendar_->hide();
            UpdateStarSignLabel();
        };
        // A click, or Enter for those who choose the day with the arrow keys.
        connect(calendar_, &QCalendarWidget::clicked, this, take);
        connect(calendar_, &QCalendarWidget::activated, this, take);
    }
    // No day after today can be chosen: it would be refused as a birth date.
    calendar_->setMaximumDate(Today());
    const auto typed = ParseGermanDate(sevText1[BirthDateField]->Text());
    calendar_->setSelectedDate(typed.value_or(Today()));
    SevText* field = sevText1[BirthDateField];
    calendar_->move(field->mapToGlobal(QPoint(0, field->height())));
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void neuer_tov::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}

void neuer_tov::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Key preview: every key of the form passes here before the control with the focus gets it.
    if (!previewInstalled_ && windowHandle()) {
        windowHandle()->installEventFilter(this);
        previewInstalled_ = true;
    }
    Form_Activate();
}

void neuer_tov::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

bool neuer_tov::eventFilter(QObject* watched, QEvent* event)
{
    if (keyPreviewOn_ && watched == windowHandle() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int keyAscii = key->key() == Qt::Key_Escape ? KeyEscape
                             : key->text().isEmpty()      ? 0
                                                          : key->text().at(0).unicode();
        if (keyAscii != 0) {
            Form_KeyPress(keyAscii);
            if (keyAscii == KeyEscape)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
