#include "greetings/html_editor.h"

#include "app/neuer_tov.h"
#include "common/forms.h"
#include "common/htmled.h"
#include "common/line3d.h"
#include "common/moddraw.h"
#include "common/mousepointer.h"
#include "common/resize.h"
#include "common/runtimeerror.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace
{

// The layout as designed, in pixels of the client area below the menu bar.
constexpr int ClientWidth = 720;
constexpr int ClientHeight = 480;
constexpr int EditorHeight = 400;
constexpr int BandTop = 402;
constexpr int ButtonTop = 425;
constexpr int ButtonHeight = 32;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

} // namespace

QString HandBackHtml(QString html)
{
    html.remove(QLatin1Char('\r'));
    html.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    html.replace(QLatin1String("&#160;"), QLatin1String(" "));
    html.replace(QChar::Nbsp, QLatin1Char(' '));
    html.replace(QLatin1Char('~'), QLatin1String("&#126;"));
    html.replace(QLatin1Char('\t'), QLatin1String("&#9;"));
    return html;
}

HTML_Editor::HTML_Editor(QWidget* parent) : QDialog(parent)
{
    setObjectName("HTML_Editor");
    setWindowTitle("Standardtext für Tovalinerosgrüße festlegen");
    setSizeGripEnabled(false);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    varia = MainMenu->addMenu("&Variablen");
    varia->setObjectName("varia");
    variable_vorname = addVariable("variable_vorname", "&Vorname", &HTML_Editor::variable_vorname_Click);
    variable_nachname = addVariable("variable_nachname", "&Nachname", &HTML_Editor::variable_nachname_Click);
    variable_tovalinero =
        addVariable("variable_tovalinero", "&Tovalinero", &HTML_Editor::variable_tovalinero_Click);
    variable_strasse = addVariable("variable_strasse", "&Strasse", &HTML_Editor::variable_strasse_Click);
    variable_plz = addVariable("variable_plz", "&PLZ", &HTML_Editor::variable_plz_Click);
    variable_wohnort = addVariable("variable_wohnort", "&Wohnort", &HTML_Editor::variable_wohnort_Click);
    variable_email = addVariable("variable_email", "&eMail-Adresse", &HTML_Editor::variable_email_Click);
    varia->addSeparator();
    variable_absendername =
        addVariable("variable_absendername", "&Absendername", &HTML_Editor::variable_absendername_Click);
    // The client area starts below the menu bar.
    const int menuHeight = MainMenu->sizeHint().height();
    setContentsMargins(0, menuHeight, 0, 0);

    HTMLed1 = new HTMLed(this);
    HTMLed1->setObjectName("HTMLed1");
    HTMLed1->setGeometry(0, menuHeight, ClientWidth, EditorHeight);

    picBottom = new GradientBand(this);
    picBottom->setObjectName("picBottom");
    picBottom->setGeometry(0, menuHeight + BandTop, ClientWidth, ClientHeight - BandTop);

    Line1 = new Line3D(this);
    Line1->setObjectName("Line1");
    Line1->SetPoints(0, menuHeight + EditorHeight, ClientWidth, menuHeight + EditorHeight);

    // Over the band: created after it, so they lie on top of it.
    const int buttonTop = menuHeight + ButtonTop;
    Command1 = makeButton(this, "Command1", "&Standard speichern", QRect(436, buttonTop, 150, ButtonHeight));
    Command2 = makeButton(this, "Command2", "&Übernehmen", QRect(436, buttonTop, 150, ButtonHeight));
    Command3 = makeButton(this, "Command3", "&Abbrechen", QRect(596, buttonTop, 110, ButtonHeight));
    Command2->hide();
    setTabOrder(HTMLed1->Editor(), Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);

    connect(Command1, &QPushButton::clicked, this, &HTML_Editor::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &HTML_Editor::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &HTML_Editor::Command3_Click);

    resize(ClientWidth, ClientHeight + menuHeight);
    KeepDesignedSize(this);
    Form_Load();
}

QAction* HTML_Editor::addVariable(const char* name, const QString& caption, void (HTML_Editor::*click)())
{
    QAction* action = varia->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, click);
    return action;
}

void HTML_Editor::Form_Load()
{
    try {
        DrawBottomBand(picBottom);
        stretchLineToBand();
        const QRect client = contentsRect();
        HTMLed1->setGeometry(client.x(), client.y(), client.width(), HTMLed1->height());
        HTMLed1->show();
        // The outside control's picture folder, language file and display settings have no
        // counterpart here.
    } catch (const RuntimeError& error) {
        ShowNormalPointer();
        MsgBox(QStringLiteral("Fehler: %1 - %2").arg(error.number()).arg(error.description()));
    }
}

void HTML_Editor::Form_Resize()
{
    ResizeForm(this);
    DrawBottomBand(picBottom);
    stretchLineToBand();
}

void HTML_Editor::stretchLineToBand()
{
    Line1->SetX2(contentsRect().x() + picBottom->width());
}

void HTML_Editor::Command1_Click()
{
    const QString path = DataFile(QStringLiteral("standard.html"));
    QString error;
    if (!HTMLed1->SaveFile(path, &error)) {
        MsgBox(QStringLiteral("Der Standard-Text konnte nicht gespeichert werden:\n%1\n\n%2")
                   .arg(QDir::toNativeSeparators(path), error),
               MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    Forms::Unload(this);
}

void HTML_Editor::Command2_Click()
{
    if (neuer_tov* entry = Forms::Loaded<neuer_tov>())
        entry->HTML_Text->setPlainText(HandBackHtml(HTMLed1->DocumentHTML()));
    Forms::Unload(this);
}

void HTML_Editor::Command3_Click()
{
    Forms::Unload(this);
}

void HTML_Editor::insertPlaceholder(const QString& placeholder)
{
    HTMLed1->InsertText(placeholder, HTMLed::InsertAsHtml);
}

void HTML_Editor::variable_vorname_Click()
{
    insertPlaceholder(QStringLiteral("&lt;VORNAME&gt;"));
}

void HTML_Editor::variable_nachname_Click()
{
    insertPlaceholder(QStringLiteral("&lt;NACHNAME&gt;"));
}

void HTML_Editor::variable_tovalinero_Click()
{
    insertPlaceholder(QStringLiteral("&lt;TOVALINERO&gt;"));
}

void HTML_Editor::variable_strasse_Click()
{
    insertPlaceholder(QStringLiteral("&lt;STRASSE&gt;"));
}

void HTML_Editor::variable_plz_Click()
{
    insertPlaceholder(QStringLiteral("&lt;PLZ&gt;"));
}

void HTML_Editor::variable_wohnort_Click()
{
    insertPlaceholder(QStringLiteral("&lt;WOHNORT&gt;"));
}

void HTML_Editor::variable_email_Click()
{
    insertPlaceholder(QStringLiteral("&lt;EMAIL&gt;"));
}

void HTML_Editor::variable_absendername_Click()
{
    insertPlaceholder(QStringLiteral("&lt;ABSENDERNAME&gt;"));
}

void HTML_Editor::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}

void HTML_Editor::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    MainMenu->setGeometry(0, 0, width(), contentsMargins().top());
    Form_Resize();
}

void HTML_Editor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    HTMLed1->setFocus();
}
