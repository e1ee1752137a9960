#include "app/listfilewindow.h"

#include "common/forms.h"
#include "common/moddraw.h"
#include "common/resize.h"
#include "common/sevtext.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QFrame* divider(const char* name, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

ListFileWindow::ListFileWindow(const QString& name, const QString& caption, const QIcon& picture,
                               const QString& heading, const QString& success, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);

    Picture1 = new QFrame(this);
    Picture1->setObjectName("Picture1");
    Picture1->setAutoFillBackground(true);
    QPalette band = Picture1->palette();
    band.setColor(QPalette::Window, Qt::white);
    band.setColor(QPalette::WindowText, Qt::black);
    Picture1->setPalette(band);
    Image1 = new QLabel(Picture1);
    Image1->setObjectName("Image1");
    Image1->setPixmap(picture.pixmap(32, 32));
    Label1 = new QLabel(heading, Picture1);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    auto* headingLayout = new QHBoxLayout(Picture1);
    headingLayout->addWidget(Image1, 0, Qt::AlignTop);
    headingLayout->addWidget(Label1, 1);

    Line2 = divider("Line2", this);

    Label2 =
        new QLabel(QStringLiteral("Klicken Sie bitte auf den Button \"...\" um den Dialog zu öffnen."), this);
    Label2->setObjectName("Label2");
    Label2->setWordWrap(true);
    sevText1 = new SevText(this);
    sevText1->setObjectName("sevText1");
    sevText1->SetLocked(true);
    sevText1->Edit()->setToolTip(QStringLiteral("Bitte rechts auf den Button \"...\" klicken."));
    sevText1->Edit()->setAccessibleName("Datei");
    sevText1->Edit()->setAccessibleDescription(Label2->text());
    sevText1->Button()->setToolTip("Hier klicken...");
    sevText1->Button()->setAccessibleName("Datei auswählen");
    // The button is the window's action, so it is reached by Tab.
    sevText1->Button()->setFocusPolicy(Qt::StrongFocus);
    connect(sevText1, &SevText::ButtonClick, this, [this] { sevText1_ButtonClick(); });

    Label3 = new QLabel(success, this);
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);
    Label3->setStyleSheet("font-weight: bold;");

    Line1 = divider("Line1", this);
    picBottom = new GradientBand(this);
    picBottom->setObjectName("picBottom");
    Command1 = new QPushButton("&Abbrechen", picBottom);
    Command1->setObjectName("Command1");
    Command1->setToolTip(QStringLiteral("Klicken Sie hier um das Fenster zu schließen."));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &ListFileWindow::Command1_Click);
    auto* buttons = new QHBoxLayout(picBottom);
    buttons->addStretch(1);
    buttons->addWidget(Command1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(9, 9, 9, 9);
    body->addWidget(Label2);
    body->addWidget(sevText1);
    body->addWidget(Label3);
    body->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Picture1);
    layout->addWidget(Line2);
    layout->addLayout(body, 1);
    layout->addWidget(Line1);
    layout->addWidget(picBottom);
    resize(460, 250);
    KeepDesignedSize(this);
    sevText1->Button()->setFocus();

    Form_Load();
}

void ListFileWindow::Form_Load()
{
    Label3->hide();
    DrawBottomBand(picBottom);
    // Line1 and Line2 span the bands' width through the layout.
}

void ListFileWindow::Command1_Click()
{
    Forms::Unload(this);
}

void ListFileWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the button that has the focus, and anywhere else chooses the file.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()))
            button->click();
        else
            sevText1->Button()->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ListFileWindow::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
