#include "greetings/anlagen1.h"

#include "common/forms.h"
#include "common/resize.h"
#include "greetings/email_fenster.h"
#include "greetings/smtpcontrol.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QStringList ItemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

anlagen1::anlagen1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("anlagen1"));
    setWindowTitle(QStringLiteral("eMail-Anlagen"));

    lblHeading = new QLabel(QStringLiteral("eMail Anlagen verwalten, hinzufügen und entfernen"), this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont heading = lblHeading->font();
    heading.setBold(true);
    lblHeading->setFont(heading);
    lblHint =
        new QLabel(QStringLiteral("Mit „Anlage hinzufügen“ wählen Sie eine Datei aus, die mit der eMail "
                                  "versandt wird."),
                   this);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setWordWrap(true);

    lstAttachments = new QListWidget(this);
    lstAttachments->setObjectName(QStringLiteral("lstAttachments"));
    lstAttachments->setAccessibleName(QStringLiteral("Anlagen"));
    lstAttachments->setSelectionMode(QAbstractItemView::SingleSelection);

    cmdAttachmentAdd = new QPushButton(QStringLiteral("&Anlage hinzufügen"), this);
    cmdAttachmentAdd->setObjectName(QStringLiteral("cmdAttachmentAdd"));
    Command6 = new QPushButton(QStringLiteral("Anlage &löschen"), this);
    Command6->setObjectName(QStringLiteral("Command6"));
    Command6->setEnabled(false);
    Command1 = new QPushButton(QStringLiteral("&Schließen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    for (QPushButton* button : {cmdAttachmentAdd, Command6})
        button->setAutoDefault(false);
    Command1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAttachmentAdd);
    buttons->addWidget(Command6);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addWidget(lblHint);
    layout->addWidget(lstAttachments, 1);
    layout->addLayout(buttons);
    resize(520, 320);
    KeepDesignedSize(this);

    connect(cmdAttachmentAdd, &QPushButton::clicked, this, &anlagen1::cmdAttachmentAdd_Click);
    connect(Command6, &QPushButton::clicked, this, &anlagen1::Command6_Click);
    connect(Command1, &QPushButton::clicked, this, &anlagen1::Command1_Click);
    // Choosing an item by key counts as a click, as it does in the list of the original controls.
    connect(lstAttachments, &QListWidget::itemSelectionChanged, this, &anlagen1::lstAttachments_Click);
}

void anlagen1::cmdAttachmentAdd_Click()
{
    FileRequest request;
    request.title = QStringLiteral("Anlage hinzufügen");
    request.filter = QStringLiteral("alle Dateien (*.*)|*.*");
    const QString path = PromptSeam::get().openFile(request);
    if (path.isEmpty())
        return;
    // A pipe would hold the send for ever; a folder or a device cannot be sent, a huge file not carried.
    if (const auto problem = AttachmentProblem(path)) {
        MsgBox(*problem, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Anlage hinzufügen"));
        return;
    }
    lstAttachments->addItem(path);
    lstAttachments->setCurrentRow(lstAttachments->count() - 1);
}

void anlagen1::Command6_Click()
{
    int index = lstAttachments->currentRow();
    if (index < 0 || !lstAttachments->item(index)->isSelected())
        return;
    delete lstAttachments->takeItem(index);
    if (index >= lstAttachments->count())
        index = lstAttachments->count() - 1;
    if (index >= 0)
        lstAttachments->setCurrentRow(index);
    else
        lstAttachments->clearSelection();
    Command6->setEnabled(index >= 0);
}

void anlagen1::lstAttachments_Click()
{
    Command6->setEnabled(!lstAttachments->selectedItems().isEmpty());
}

void anlagen1::Command1_Click()
{
    if (eMail_Fenster* composer = Forms::Loaded<eMail_Fenster>()) {
        composer->lstAttachments->clear();
        composer->lstAttachments->addItems(ItemTexts(lstAttachments));
    }
    Forms::Unload(this);
}

void anlagen1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
