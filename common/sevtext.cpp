#include "common/sevtext.h"

#include "common/forms.h"
#include "common/keyboard.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QValidator>
#include <algorithm>

namespace
{

// Digits only, so no locale's group separator ever reaches a file.
class WholeNumberValidator : public QValidator
{
public:
    WholeNumberValidator(int minimum, int maximum, int maxLength, QObject* parent)
        : QValidator(parent), minimum_(minimum), maximum_(maximum), maxLength_(maxLength)
    {
    }
    // Blanks around the number are let be (the settings file writes numbers as " 5 "); the
    // digits between them are what is checked.
    State validate(QString& input, int&) const override
    {
        const QString digits = input.trimmed();
        if (digits.size() > maxLength_)
            return Invalid;
        if (digits.isEmpty())
            return Intermediate;
        for (const QChar c : digits)
            if (c.unicode() < u'0' || c.unicode() > u'9')
                return Invalid;
        const qlonglong value = digits.toLongLong();
        if (value > maximum_)
            return Invalid;
        return value < minimum_ ? Intermediate : Acceptable;
    }

private:
    int minimum_;
    int maximum_;
    int maxLength_;
};

QString withoutAccessKey(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove('&');
    return caption.replace(QChar(1), '&');
}

} // namespace

SevText::SevText(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this))
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
    connect(button_, &QToolButton::clicked, this, [this] {
        if (!items_.isEmpty())
            showList();
        emit ButtonClick();
    });
}

QString SevText::Text() const
{
    return edit_->text();
}

void SevText::SetText(const QString& text)
{
    edit_->setText(text);
}

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

void SevText::SetButtonVisible(bool visible)
{
    button_->setVisible(visible);
}
void SevText::SetButtonText(const QString& text)
{
    button_->setText(text);
}
void SevText::SetMaxLength(int length)
{
    edit_->setMaxLength(length);
}
void SevText::SetLocked(bool locked)
{
    edit_->setReadOnly(locked);
}
void SevText::SetPasswordChar(bool on)
{
    edit_->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void SevText::SetCaption(const QString& caption)
{
    if (!caption_) {
        caption_ = new QLabel(this);
        caption_->setBuddy(edit_);
        static_cast<QHBoxLayout*>(layout())->insertWidget(0, caption_);
    }
    caption_->setText(caption);
    QString name = withoutAccessKey(caption).trimmed();
    if (name.endsWith(':'))
        name.chop(1);
    edit_->setAccessibleName(name);
}

void SevText::SetUnit(const QString& unit)
{
    if (!unit_) {
        unit_ = new QLabel(this);
        auto* row = static_cast<QHBoxLayout*>(layout());
        row->insertWidget(row->indexOf(edit_) + 1, unit_);
    }
    unit_->setText(unit);
    edit_->setAccessibleDescription(unit);
}

void SevText::SetNumeric(int minimum, int maximum, int maxLength)
{
    numericRange_ = std::make_pair(minimum, maximum);
    // The length is the validator's, not the field's: a longer text from a file stays whole.
    edit_->setValidator(new WholeNumberValidator(minimum, maximum, maxLength, edit_));
    edit_->setInputMethodHints(Qt::ImhDigitsOnly);
}

bool SevText::HoldsNumberInRange() const
{
    if (!numericRange_)
        return true;
    const QString digits = Text().trimmed();
    bool ok = !digits.isEmpty();
    for (const QChar c : digits)
        ok = ok && c.unicode() >= u'0' && c.unicode() <= u'9';
    const qlonglong value = ok ? digits.toLongLong(&ok) : 0;
    return ok && value >= numericRange_->first && value <= numericRange_->second;
}

void SevText::AddItem(const QString& item)
{
    if (items_.isEmpty()) {
        button_->setText(QString());
        button_->setArrowType(Qt::DownArrow);
        button_->setAccessibleName(QStringLiteral("Liste öffnen"));
    }
    items_.append(item);
}

void SevText::SelectItem(int index)
{
    if (index >= 0 && index < items_.size())
        SetText(items_[index]);
}

void SevText::showList()
{
    // On the heap: the window may be unloaded while the list is open, and takes the list along.
    QPointer<QMenu> list = new QMenu(this);
    for (int i = 0; i < items_.size(); ++i)
        list->addAction(items_[i])->setData(i);
    list->setMinimumWidth(edit_->width());
    QAction* chosen = nullptr;
    {
        const NestedDialogScope nested;
        chosen = list->exec(edit_->mapToGlobal(edit_->rect().bottomLeft()));
    }
    if (!list)
        return;
    const int index = chosen ? chosen->data().toInt() : -1;
    delete list.data();
    if (index >= 0)
        SelectItem(index);
}

bool SevText::stepThroughList(int step)
{
    if (items_.isEmpty())
        return false;
    const int current = static_cast<int>(items_.indexOf(Text()));
    const int last = static_cast<int>(items_.size()) - 1;
    SelectItem(current < 0 ? 0 : std::clamp(current + step, 0, last));
    return true;
}

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

static bool isWindowFocusChange(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

bool SevText::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        // Another window taking or giving back the focus is no visit of the field itself.
        if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
            isWindowFocusChange(static_cast<QFocusEvent*>(event)->reason()))
            return QWidget::eventFilter(watched, event);
        if (event->type() == QEvent::FocusIn) {
            // A number loaded as " 5 " is edited without its blanks, so a digit typed at the
            // end lands next to the others.
            if (numericRange_ && Text() != Text().trimmed())
                SetText(Text().trimmed());
            applyColor(focusColor_);
            emit GotFocus();
        } else if (event->type() == QEvent::FocusOut) {
            applyColor(foreColor_);
            emit LostFocus();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (OpensDropDown(key) && !button_->isHidden() && button_->isEnabled()) {
                if (!items_.isEmpty()) {
                    showList();
                    return true;
                }
                if (buttonOpensDropDown_) {
                    emit ButtonClick();
                    return true;
                }
            }
            if (!items_.isEmpty() && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up))
                return stepThroughList(key->key() == Qt::Key_Down ? 1 : -1);
        }
    }
    return QWidget::eventFilter(watched, event);
}
