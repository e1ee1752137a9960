#include "app/vorwarnung1.h"

#include "common/forms.h"
#include "common/programicon.h"

vorwarnung1::vorwarnung1(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    setWindowIcon(ProgramIcon());
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    connect(Command1, &QPushButton::clicked, this, &vorwarnung1::Command1_Click);
}

void vorwarnung1::ShowWarning(const QString& title, const QString& text)
{
    const QString names = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed();
    Label1->setText(title);
    Label2->setText(names);
    // A screen reader announces the window with what it says.
    setAccessibleName(title);
    setAccessibleDescription(names);
    show();
    raise();
    activateWindow();
    Command1->setFocus();
}

void vorwarnung1::Command1_Click()
{
    accept();
}

// Closed by its button, Escape or the close box: the window is unloaded.
void vorwarnung1::done(int result)
{
    QDialog::done(result);
    Forms::Unload(this);
}
