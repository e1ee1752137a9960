// The menu bar and the search box of the list tab.
#include "app/form1.h"

#include "app/copyright1.h"
#include "app/oeffnen1.h"
#include "app/speichern1.h"
#include "common/callwebsite.h"
#include "common/forms.h"
#include "common/helpopen.h"
#include "common/htmled.h"
#include "common/mousepointer.h"
#include "common/webaddresses.h"
#include "greetings/frmlog.h"
#include "greetings/html_editor.h"
#include "maintenance/datensicherung1.h"
#include "maintenance/export_excel.h"
#include "maintenance/import1.h"
#include "platform/programfolder.h"
#include "platform/prompt.h"
#include "settings/optionen1.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace
{

const QString SearchPlaceholder = QStringLiteral("Name suchen...");
const QColor SearchGrey(0x80, 0x80, 0x80);
constexpr int LastNameColumn = 2;

// Captions are stored with the painter's marks: "@B" bold, "@I" italic, in front, in any order.
QAction* addItem(QMenu* menu, const char* name, const QString& storedCaption, QStyle::StandardPixmap icon)
{
    QString caption = storedCaption;
    bool bold = false;
    bool italic = false;
    for (;;) {
        if (caption.startsWith(QLatin1String("@B")))
            bold = true;
        else if (caption.startsWith(QLatin1String("@I")))
            italic = true;
        else
            break;
        caption.remove(0, 2);
    }
    QAction* action = menu->addAction(menu->style()->standardIcon(icon), caption);
    action->setObjectName(name);
    QFont font = menu->font();
    font.setBold(bold);
    font.setItalic(italic);
    action->setFont(font);
    return action;
}

} // namespace

void Form1::BuildMenus()
{
    datt = menuBar()->addMenu("&Datei");
    datt->setObjectName("datt");
    offen1 = addItem(datt, "offen1", "Tovalinerosliste ö&ffnen", QStyle::SP_DialogOpenButton);
    spunter = addItem(datt, "spunter", "Tovalinerosliste speichern &unter...", QStyle::SP_DialogSaveButton);
    datt->addSeparator();
    import_free =
        addItem(datt, "import_free", "@I&Import von Tovalineroen aus der Free-Version", QStyle::SP_ArrowDown);
    expoexcel =
        addItem(datt, "expoexcel", "&Export der Tovalineroe -> Excel", QStyle::SP_FileDialogDetailedView);
    datt->addSeparator();
    datensich = addItem(datt, "datensich", "&Datensicherung / Rücksicherung", QStyle::SP_DriveHDIcon);
    datt->addSeparator();
    ueberpr = addItem(datt, "ueberpr", "&Manuelle Überprüfung starten", QStyle::SP_BrowserReload);
    ueberpr->setShortcut(Qt::Key_F5);
    datt->addSeparator();
    onlup = addItem(datt, "onlup", "@BOnline-&Update ausführen...", QStyle::SP_ArrowUp);
    datt->addSeparator();
    exi = addItem(datt, "exi", "Programm &beenden...", QStyle::SP_DialogCloseButton);

    opt = menuBar()->addMenu("&Optionen");
    opt->setObjectName("opt");
    einst = addItem(opt, "einst", "&Einstellungen", QStyle::SP_FileDialogListView);
    opt->addSeparator();
    standtext = addItem(opt, "standtext", "&Standard-Text festlegen...", QStyle::SP_FileIcon);
    opt->addSeparator();
    log = addItem(opt, "log", "&Logbuch ansehen", QStyle::SP_FileDialogInfoView);

    frg = menuBar()->addMenu("&?");
    frg->setObjectName("frg");
    hel = addItem(frg, "hel", "&Hilfe", QStyle::SP_DialogHelpButton);
    hel->setShortcut(Qt::Key_F1);
    frg->addSeparator();
    supportforum = addItem(frg, "supportforum", "@B@I&Support-Forum...", QStyle::SP_DriveNetIcon);
    frg->addSeparator();
    cop = addItem(frg, "cop", "&Copyright", QStyle::SP_MessageBoxInformation);

    connect(offen1, &QAction::triggered, this, &Form1::offen1_Click);
    connect(spunter, &QAction::triggered, this, &Form1::spunter_Click);
    connect(import_free, &QAction::triggered, this, &Form1::import_free_Click);
    connect(expoexcel, &QAction::triggered, this, &Form1::expoexcel_Click);
    connect(datensich, &QAction::triggered, this, &Form1::datensich_Click);
    connect(ueberpr, &QAction::triggered, this, &Form1::ueberpr_Click);
    connect(onlup, &QAction::triggered, this, &Form1::onlup_Click);
    connect(exi, &QAction::triggered, this, &Form1::exi_Click);
    connect(einst, &QAction::triggered, this, &Form1::einst_Click);
    connect(standtext, &QAction::triggered, this, &Form1::standtext_Click);
    connect(log, &QAction::triggered, this, &Form1::log_Click);
    connect(hel, &QAction::triggered, this, &Form1::hel_Click);
    connect(supportforum, &QAction::triggered, this, &Form1::supportforum_Click);
    connect(cop, &QAction::triggered, this, &Form1::cop_Click);

    // The search box at design time: the grey placeholder, black while it has the focus.
    sevText2->SetText(SearchPlaceholder);
    sevText2->SetForeColor(SearchGrey);
    sevText2->SetFocusColor(Qt::black);
    sevText2->Edit()->setAccessibleName("Name suchen");
    sevText2->Button()->setToolTip("Weitersuchen");
    sevText2->Button()->setAccessibleName("Weitersuchen");
    // Only what the user types searches: the box emptied on entering or given back its
    // placeholder on leaving must not move the selection (a deletion would then hit another row).
    connect(sevText2->Edit(), &QLineEdit::textEdited, this, &Form1::sevText2_Change);
    connect(sevText2, &SevText::ButtonClick, this, &Form1::sevText2_ButtonClick);
    connect(sevText2, &SevText::GotFocus, this, &Form1::sevText2_GotFocus);
    connect(sevText2, &SevText::LostFocus, this, &Form1::sevText2_LostFocus);
}

void Form1::offen1_Click()
{
    Forms::ShowModal<oeffnen1>();
    UpdateCountLabels();
}

void Form1::spunter_Click()
{
    Forms::ShowModal<speichern1>();
}

void Form1::import_free_Click()
{
    // Answering Yes after the import ends the program, this window included.
    QPointer<Form1> self(this);
    Forms::ShowModal<import1>();
    if (self && Forms::Loaded<Form1>() == self.data())
        UpdateCountLabels();
}

void Form1::expoexcel_Click()
{
    Forms::ShowModal<export_excel>();
}

void Form1::datensich_Click()
{
    Forms::ShowModal<datensicherung1>();
}

void Form1::onlup_Click()
{
    ShowUpdateWebsitePrompt();
}

void Form1::exi_Click()
{
    if (MsgBox("Wollen Sie dieses Programm wirklich beenden?", MsgButtons::YesNo, MsgIcon::Question,
               "Programm beenden") == MsgAnswer::Yes)
        UnloadAllForms();
}

void Form1::einst_Click()
{
    Forms::ShowModal<optionen1>();
}

void Form1::standtext_Click()
{
    HTML_Editor& editor = Forms::Get<HTML_Editor>();
    editor.Command1->show();
    editor.Command2->hide();
    const QString path = DataFile(QStringLiteral("standard.html"));
    QString error;
    // A missing template starts an empty one; one that is there but unreadable is not replaced
    // unnoticed.
    if (!editor.HTMLed1->LoadFile(path, &error))
        MsgBox(QStringLiteral("Der Standard-Text konnte nicht gelesen werden:\n%1\n\n%2")
                   .arg(QDir::toNativeSeparators(path), error),
               MsgButtons::Ok, MsgIcon::Exclamation);
    Forms::ShowModal<HTML_Editor>();
}

void Form1::log_Click()
{
    Forms::Get<frmlog>().show();
}

void Form1::hel_Click()
{
    ShowMainHelp();
}

void Form1::supportforum_Click()
{
    OpenWebsite(WebAddresses::SupportForum);
}

void Form1::cop_Click()
{
    Forms::ShowModal<copyright1>();
}

void Form1::sevText2_Change()
{
    // Nothing typed matches no one.
    if (sevText2->Text().isEmpty())
        return;
    ShowBusyPointer();
    const int found = Grid1->Find(sevText2->Text() + "*", LastNameColumn, 1);
    if (found > 0)
        Grid1->SetCurrentRow(found);
    ShowNormalPointer();
}

void Form1::sevText2_ButtonClick()
{
    ShowBusyPointer();
    const int found = Grid1->Find(sevText2->Text() + "*", LastNameColumn, Grid1->CurrentRow() + 1);
    if (found < 1) {
        ShowNormalPointer();
        MsgBox("Kein weiterer Eintrag gefunden!", MsgButtons::Ok, MsgIcon::Information);
    } else {
        Grid1->SetCurrentRow(found);
    }
    ShowNormalPointer();
}

void Form1::sevText2_GotFocus()
{
    sevText2->SetText(QString());
}

void Form1::sevText2_LostFocus()
{
    sevText2->SetForeColor(SearchGrey);
    sevText2->SetText(SearchPlaceholder);
}
