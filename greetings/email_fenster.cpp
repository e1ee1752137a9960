#include "greetings/email_fenster.h"

#include "common/coolbar.h"
#include "common/forms.h"
#include "common/mousepointer.h"
#include "common/resize.h"
#include "common/sevtext.h"
#include "common/textformatactions.h"
#include "greetings/anlagen1.h"
#include "greetings/greetingsender.h"
#include "greetings/smtpcontrol.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/settingsfile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <functional>
#include <map>

namespace
{

// The layout as designed, in pixels of the client area.
constexpr int ClientWidth = 860;
constexpr int ClientHeight = 580;
constexpr int CaptionWidth = 96;

// The body's font, the same on every machine; Liberation Sans stands in where Arial is missing.
QFont bodyFont()
{
    return QFont(QStringLiteral("Arial"), 10);
}

// Toolbar pictures, drawn where the desktop's icon theme has none.
using Painting = std::function<void(QPainter&)>;

QIcon paintedIcon(const Painting& paint)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QApplication::palette().color(QPalette::ButtonText), 2.5));
    paint(painter);
    return QIcon(pixmap);
}

QIcon themed(const char* name, const Painting& paint)
{
    const QIcon theme = QIcon::fromTheme(QString::fromLatin1(name));
    return theme.isNull() ? paintedIcon(paint) : theme;
}

Painting letter(const QString& text, const std::function<void(QFont&)>& style)
{
    return [text, style](QPainter& painter) {
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(26);
        style(font);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, 32, 30), Qt::AlignCenter, text);
    };
}

// Four lines of text, set left, centred or right; bullets draw a dot before each.
Painting lines(Qt::Alignment alignment, bool bullets = false)
{
    return [alignment, bullets](QPainter& painter) {
        const int widths[] = {26, 18, 26, 14};
        for (int i = 0; i < 4; ++i) {
            const int y = 5 + i * 7;
            int width = bullets ? 20 : widths[i];
            int left = 3;
            if (alignment & Qt::AlignHCenter)
                left = (32 - width) / 2;
            else if (alignment & Qt::AlignRight)
                left = 29 - width;
            if (bullets) {
                painter.drawPoint(QPointF(5, y));
                left = 10;
            }
            painter.drawLine(QPointF(left, y), QPointF(left + width, y));
        }
    };
}

void paperclip(QPainter& painter)
{
    QPainterPath clip;
    clip.moveTo(20, 9);
    clip.lineTo(20, 24);
    clip.arcTo(QRectF(12, 18, 8, 10), 0, -180);
    clip.lineTo(12, 7);
    clip.arcTo(QRectF(12, 2, 12, 10), 180, -180);
    clip.lineTo(24, 25);
    clip.arcTo(QRectF(8, 19, 16, 12), 0, -180);
    clip.lineTo(8, 10);
    painter.drawPath(clip);
}

void colouredA(QPainter& painter)
{
    letter(QStringLiteral("A"), [](QFont& font) { font.setBold(true); })(painter);
    painter.fillRect(QRect(4, 26, 24, 5), QColor(220, 30, 30));
}

SevText* makeField(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* field = new SevText(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->SetCaption(caption);
    field->CaptionLabel()->setFixedWidth(CaptionWidth);
    field->SetButtonVisible(false);
    field->setGeometry(place);
    return field;
}

} // namespace

QString ComposerCopyFilePath(const QDateTime& sentAt)
{
    return ProgramFolder() + QStringLiteral("/daten/emails/") +
           sentAt.toString(QStringLiteral("yyyyMMdd HHmmss")) + QStringLiteral(".eml");
}

int PriorityNumber(const QString& priority)
{
    if (priority == QLatin1String("High"))
        return 1;
    if (priority == QLatin1String("Low"))
        return 5;
    return 3;
}

QString LongDateText(const QDate& date)
{
    return QLocale()
        .toString(date, QStringLiteral("dddd, dd.MM.yyyy"))
        .replace(QStringLiteral(", "), QStringLiteral(", den "));
}

eMail_Fenster::eMail_Fenster(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("eMail_Fenster"));
    setWindowTitle(QStringLiteral("eMail verfassen"));
    setSizeGripEnabled(false);

    lblHeading = new QLabel(QStringLiteral("eMail schreiben"), this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont heading = lblHeading->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    lblHeading->setFont(heading);
    lblHeading->setGeometry(12, 8, 400, 26);
    lblHint = new QLabel(
        QStringLiteral("Mehrere Empfänger trennen Sie durch Komma oder Semikolon; die Empfänger im Feld "
                       "„CC (Kopie)“ erhalten eine Kopie. Mit der Symbolleiste formatieren Sie den Text, "
                       "fügen Datum oder Anrede ein, hängen Dateien an und legen Priorität und "
                       "Lesebestätigung fest."),
        this);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setWordWrap(true);
    lblHint->setGeometry(12, 34, 836, 38);

    sevEmail = makeField(this, "sevEmail", QStringLiteral("Empfänger:"), QRect(12, 78, 560, 26));
    sevEmailCC = makeField(this, "sevEmailCC", QStringLiteral("CC (Kopie):"), QRect(12, 108, 560, 26));
    sevEmailBetreff = makeField(this, "sevEmailBetreff", QStringLiteral("Betreff:"), QRect(12, 138, 560, 26));

    lblAttachments = new QLabel(QStringLiteral("Anlagen:"), this);
    lblAttachments->setObjectName(QStringLiteral("lblAttachments"));
    lblAttachments->setGeometry(592, 76, 256, 18);
    lstAttachments = new QListWidget(this);
    lstAttachments->setObjectName(QStringLiteral("lstAttachments"));
    lstAttachments->setAccessibleName(QStringLiteral("Anlagen"));
    lstAttachments->setGeometry(592, 96, 256, 68);
    lblAttachments->setBuddy(lstAttachments);

    Coolbar2 = new Coolbar(this);
    Coolbar2->setObjectName(QStringLiteral("Coolbar2"));
    Coolbar2->setAccessibleName(QStringLiteral("Formatierung"));
    Coolbar2->setGeometry(12, 172, 836, 34);

    RichTextBox1 = new QTextEdit(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setAccessibleName(QStringLiteral("Nachricht"));
    RichTextBox1->setFont(bodyFont());
    RichTextBox1->document()->setDefaultFont(bodyFont());
    RichTextBox1->setAcceptRichText(true);
    // Tab moves on to the next control, so the window can be used from the keyboard alone.
    RichTextBox1->setTabChangesFocus(true);
    RichTextBox1->setGeometry(12, 210, 836, 314);
    format_ = new TextFormatActions(RichTextBox1, this);
    // The body offers by key what the toolbar offers, and nothing more.
    RichTextBox1->removeAction(format_->AlignJustify);
    buildToolbar();

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(12, 538, 300, 26);
    lblStatus->hide();
    xpProgress1 = new QProgressBar(this);
    xpProgress1->setObjectName(QStringLiteral("xpProgress1"));
    xpProgress1->setAccessibleName(QStringLiteral("Fortschritt"));
    xpProgress1->setRange(0, 100);
    xpProgress1->setGeometry(320, 540, 380, 22);
    xpProgress1->hide();
    Command16 = new QPushButton(QStringLiteral("&Senden"), this);
    Command16->setObjectName(QStringLiteral("Command16"));
    // Enter in a field must not send a half-written mail.
    Command16->setAutoDefault(false);
    Command16->setGeometry(720, 535, 128, 32);

    sevSMTP1 = new SmtpControl(this);
    sevSMTP1->setObjectName(QStringLiteral("sevSMTP1"));

    connect(Command16, &QPushButton::clicked, this, &eMail_Fenster::Command16_Click);
    connect(Coolbar2, &Coolbar::ButtonClick, this, &eMail_Fenster::Coolbar2_ButtonClick);
    connect(Coolbar2, &Coolbar::ButtonMenuClick, this, &eMail_Fenster::Coolbar2_ButtonMenuClick);
    connect(sevSMTP1, &SmtpControl::SendStart, this, [this] { sevSMTP1_SendStart(); });
    connect(sevSMTP1, &SmtpControl::Progress, this, &eMail_Fenster::sevSMTP1_Progress);
    connect(sevSMTP1, &SmtpControl::Log, this, &eMail_Fenster::sevSMTP1_Log);

    resize(ClientWidth, ClientHeight);
    KeepDesignedSize(this);
}

void eMail_Fenster::buildToolbar()
{
    using Style = Coolbar::Style;
    Coolbar* bar = Coolbar2;
    bar->setIconSize(QSize(18, 18));
    bar->AddButton("fett", {}, themed("format-text-bold", letter("F", [](QFont& f) { f.setBold(true); })),
                   "Fett");
    bar->AddButton("kursiv", {},
                   themed("format-text-italic", letter("K", [](QFont& f) { f.setItalic(true); })), "Kursiv");
    bar->AddButton("unterstrichen", {},
                   themed("format-text-underline", letter("U", [](QFont& f) { f.setUnderline(true); })),
                   "Unterstrichen");
    bar->AddButton("durchgestrichen", {},
                   themed("format-text-strikethrough", letter("S", [](QFont& f) { f.setStrikeOut(true); })),
                   "Durchgestrichen");
    bar->AddSeparator();
    bar->AddButton("schriftart", {}, themed("preferences-desktop-font", letter("Aa", [](QFont&) {})),
                   "Schriftart");
    bar->AddButton("schriftfarbe", {}, paintedIcon(colouredA), "Schriftfarbe");
    bar->AddSeparator();
    bar->AddButton("aufzaehlung", {}, themed("format-list-unordered", lines(Qt::AlignLeft, true)),
                   "Aufzählung");
    bar->AddSeparator();
    bar->AddButton("links", {}, themed("format-justify-left", lines(Qt::AlignLeft)), "Linksbündig", {},
                   Style::Group);
    bar->AddButton("mitte", {}, themed("format-justify-center", lines(Qt::AlignHCenter)), "Zentriert", {},
                   Style::Group);
    bar->AddButton("rechts", {}, themed("format-justify-right", lines(Qt::AlignRight)), "Rechtsbündig", {},
                   Style::Group);
    bar->AddSeparator();
    bar->AddButton({}, "Einfügen", {}, "In den Text einfügen...");
    bar->AddButton("anhang_ico", {}, themed("mail-attachment", paperclip),
                   "eMail-Anhang öffnen / hinzufügen");
    bar->AddSeparator();
    bar->AddButton("hoch", "Hoch", {}, "Hoch", "Priorität", Style::Group);
    bar->AddButton("normal", "Normal", {}, "Normal", "Priorität", Style::Group);
    bar->AddButton("niedrig", "Niedrig", {}, "Niedrig", "Priorität", Style::Group);
    bar->AddSeparator();
    bar->AddButton("lesebestaetigung", "Lesebestätigung", {}, "Leselbestätigung ein/aus", {}, Style::Check);

    constexpr int InsertButton = 15;
    bar->AddButtonMenu(InsertButton, "datumkurz", "Aktuelles Datum &kurz");
    bar->AddButtonMenu(InsertButton, "datumlang", "Aktuelles Datum &lang");
    bar->AddButtonMenu(InsertButton, {}, "-");
    bar->AddButtonMenu(InsertButton, "anrede", "&Anrede");

    bar->Button("links")->setChecked(true);
    bar->Button("normal")->setChecked(true);
    // An alignment set by key shows in the group as a click would.
    for (const auto& [action, key] :
         {std::pair{format_->AlignLeft, "links"}, std::pair{format_->AlignCenter, "mitte"},
          std::pair{format_->AlignRight, "rechts"}})
        connect(action, &QAction::triggered, bar, [bar, key] { bar->Button(key)->setChecked(true); });
    for (int i = 1; i <= bar->ButtonCount(); ++i)
        if (QToolButton* button = bar->Button(i))
            button->setFocusPolicy(Qt::TabFocus);
}

void eMail_Fenster::Command16_Click()
{
    // The window stays usable during the send: what counts as sent is what the send took.
    const Draft sending = draft();
    const QString plainText = RichTextBox1->toPlainText();
    sevSMTP1->SetHtmlBody(RichTextBox1->toHtml());
    // The disabled button passes the focus on; it comes back afterwards, so a key pressed after
    // the send cannot overwrite a field the focus happened to land in.
    focusBeforeSend_ = QApplication::focusWidget();
    Command16->setEnabled(false);
    lblStatus->show();
    xpProgress1->setValue(0);
    xpProgress1->show();
    ShowBusyPointer();
    setSmtpMembers(plainText);

    // Every wait lets the window go (closed, or the program ends); from then on nothing of it is
    // touched. The control itself completes a message whose data the server already has.
    const QPointer<eMail_Fenster> self(this);
    const auto gone = [&self] {
        if (self)
            return false;
        ShowNormalPointer();
        return true;
    };
    const bool connected = sevSMTP1->Connect();
    if (gone())
        return;
    if (!connected) {
        ShowNormalPointer();
        MsgBox(QStringLiteral("Fehler beim Verbinden mit dem Mailserver\r\n") + sevSMTP1->LastError());
        if (!gone())
            endSend();
        return;
    }
    const bool sent = sevSMTP1->Send() >= 1;
    if (gone())
        return;
    const QString error = sevSMTP1->LastError();
    if (!sent) {
        ShowNormalPointer();
        MsgBox(QStringLiteral("Fehler beim Versenden der Nachricht\r\n") + error);
        if (gone())
            return;
    }
    // The button stays disabled until the connection is closed: a second send must not start
    // while this one still says goodbye to the server.
    sevSMTP1->Disconnect();
    if (gone())
        return;
    if (sent)
        lastSent_ = sending;
    endSend();
    if (sent && !error.isEmpty())
        // Delivered, but the copy could not be kept.
        MsgBox(error, MsgButtons::Ok, MsgIcon::Exclamation);
}

void eMail_Fenster::setSmtpMembers(const QString& plainText)
{
    SmtpControl* smtp = sevSMTP1;
    SetSenderServer(*smtp, 0); // no port of its own: the control's default
    smtp->SetMailerText(GreetingSender::MailerText(2));
    SetSenderAccount(*smtp);
    smtp->SetReadReceipt(ReadReceipt.toInt() != 0);
    if (!MailPriority.isEmpty())
        smtp->SetPriority(PriorityNumber(MailPriority));
    smtp->SetToAddress(sevEmail->Text());
    smtp->SetCcAddress(sevEmailCC->Text());
    smtp->SetSubject(sevEmailBetreff->Text());
    smtp->SetTextBody(plainText);
    smtp->SetPlainAlternative(true);
    smtp->SetKeepCopy(true);
    smtp->SetTempFolder(ProgramFolder() + QStringLiteral("/daten/temp"));
    smtp->SetConnectTimeout(10);
    smtp->ClearAttachments();
    for (const QString& path : ItemTexts(lstAttachments))
        smtp->AddAttachment(path);
    smtp->SetCopyFile(ComposerCopyFilePath(Now()));
}

void eMail_Fenster::endSend()
{
    Command16->setEnabled(true);
    lblStatus->hide();
    xpProgress1->hide();
    ShowNormalPointer();
    if (focusBeforeSend_ && isAncestorOf(focusBeforeSend_))
        focusBeforeSend_->setFocus();
}

void eMail_Fenster::sevSMTP1_SendStart()
{
    lblStatus->setText(QStringLiteral("Nachricht wird versandt..."));
    xpProgress1->setValue(0);
    QCoreApplication::processEvents();
}

void eMail_Fenster::sevSMTP1_Progress(int percent)
{
    xpProgress1->setValue(percent);
    QCoreApplication::processEvents();
}

void eMail_Fenster::sevSMTP1_Log(const QString& line)
{
    GreetingSender::HandleLog(line);
}

void eMail_Fenster::Coolbar2_ButtonClick(const QString& key)
{
    // The formatting buttons give the text back its focus, so typing goes on where it was.
    const std::map<QString, std::function<void()>> formatting = {
        {"fett", [this] { format_->Bold->trigger(); }},
        {"kursiv", [this] { format_->Italic->trigger(); }},
        {"unterstrichen", [this] { format_->Underline->trigger(); }},
        {"durchgestrichen", [this] { format_->ToggleStrikeOut(); }},
        {"schriftfarbe", [this] { format_->ChooseColor(); }},
        {"links", [this] { format_->AlignLeft->trigger(); }},
        {"mitte", [this] { format_->AlignCenter->trigger(); }},
        {"rechts", [this] { format_->AlignRight->trigger(); }},
    };
    if (const auto found = formatting.find(key); found != formatting.end()) {
        found->second();
        focusBody();
    } else if (key == QLatin1String("schriftart")) {
        ChooseFont();
    } else if (key == QLatin1String("aufzaehlung")) {
        format_->SetList(!format_->SelectionIsList());
    } else if (key == QLatin1String("anhang_ico")) {
        ShowAttachments();
    } else if (key == QLatin1String("hoch")) {
        MailPriority = QStringLiteral("High");
    } else if (key == QLatin1String("normal")) {
        MailPriority = QStringLiteral("Normal");
    } else if (key == QLatin1String("niedrig")) {
        MailPriority = QStringLiteral("Low");
    } else if (key == QLatin1String("lesebestaetigung")) {
        ReadReceipt = Coolbar2->Button(key)->isChecked() ? 1 : 0;
    }
}

void eMail_Fenster::Coolbar2_ButtonMenuClick(int, const QString& key)
{
    if (key == QLatin1String("datumkurz"))
        insertIntoBody(Today().toString(QStringLiteral("dd.MM.yyyy")));
    else if (key == QLatin1String("datumlang"))
        insertIntoBody(LongDateText(Today()));
    else if (key == QLatin1String("anrede"))
        insertIntoBody(QStringLiteral("Guten Tag,\n\n"));
}

void eMail_Fenster::insertIntoBody(const QString& text)
{
    RichTextBox1->insertPlainText(text);
    focusBody();
}

void eMail_Fenster::focusBody()
{
    RichTextBox1->setFocus();
}

void eMail_Fenster::ChooseFont()
{
    // Only what the dialog offers is applied, never a colour; a cancelled dialog changes nothing.
    format_->ChooseFont();
}

void eMail_Fenster::ShowAttachments()
{
    anlagen1& editor = Forms::Get<anlagen1>();
    editor.lstAttachments->clear();
    editor.lstAttachments->addItems(ItemTexts(lstAttachments));
    Forms::ShowModal<anlagen1>();
}

void eMail_Fenster::Form_Resize()
{
    ResizeForm(this);
}

void eMail_Fenster::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}

void eMail_Fenster::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void eMail_Fenster::keyPressEvent(QKeyEvent* event)
{
    // The window has no cancel button: a stray Esc must not throw the message away.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

eMail_Fenster::Draft eMail_Fenster::draft() const
{
    return Draft{sevEmail->Text(), sevEmailCC->Text(), sevEmailBetreff->Text(), RichTextBox1->toHtml(),
                 ItemTexts(lstAttachments)};
}

bool eMail_Fenster::hasUnsentMessage() const
{
    const bool written = !RichTextBox1->toPlainText().trimmed().isEmpty() ||
                         !sevEmailBetreff->Text().trimmed().isEmpty() ||
                         !sevEmailCC->Text().trimmed().isEmpty() || lstAttachments->count() > 0;
    return written && (!lastSent_ || *lastSent_ != draft());
}

void eMail_Fenster::closeEvent(QCloseEvent* event)
{
    // While a send runs the message is on its way; the send completes without the window.
    if (Command16->isEnabled() && hasUnsentMessage()) {
        MessageRequest question;
        question.text = QStringLiteral("Die eMail wurde noch nicht gesendet.\r\nMöchten Sie sie verwerfen?");
        question.title = windowTitle();
        question.buttons = MsgButtons::YesNo;
        question.icon = MsgIcon::Question;
        question.defaultAnswer = MsgAnswer::No;
        if (PromptSeam::get().message(question) != MsgAnswer::Yes) {
            event->ignore();
            return;
        }
    }
    QDialog::closeEvent(event);
}
