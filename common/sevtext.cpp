#include "common/sevtext.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

SevText::SevText(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_);
    layout->addWidget(button_);
    button_->setText(QStringLiteral("..."));
    button_->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(edit_);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, [this] { emit Change(); });
    connect(button_, &QToolButton::clicked, this, [this] { emit ButtonClick(); });
}

QString SevText::Text() const { return edit_->text(); }

void SevText::SetText(const QString& text) { edit_->setText(text); }

void SevText::applyColor(const QColor& color)
{
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Text, color);
    edit_->setPalette(palette);
}

void SevText::SetForeColor(const QColor& color)
{
    foreColor_ = color;
    if (!edit_->hasFocus())
        applyColor(color);
}

void SevText::SetButtonVisible(bool visible) { button_->setVisible(visible); }
void SevText::SetButtonText(const QString& text) { button_->setText(text); }
void SevText::SetMaxLength(int length) { edit_->setMaxLength(length); }
void SevText::SetLocked(bool locked) { edit_->setReadOnly(locked); }
void SevText::SetPasswordChar(bool on) { edit_->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal); }

QString SevText::ShowOpenDialog(const QString& title, const QString& folder, const QString& fileName,
                                const QString& filter, const QString& defaultExtension)
{
    return PromptSeam::get().openFile(FileRequest{title, folder, fileName, filter, defaultExtension});
}

QString SevText::ShowSaveDialog(const QString& title, const QString& folder, const QString& fileName,
                                const QString& filter, const QString& defaultExtension)
{
    return PromptSeam::get().saveFile(FileRequest{title, folder, fileName, filter, defaultExtension});
}

bool SevText::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn) {
            applyColor(focusColor_);
            emit GotFocus();
        } else if (event->type() == QEvent::FocusOut) {
            applyColor(foreColor_);
            emit LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}
