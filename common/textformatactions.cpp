#include "common/textformatactions.h"

#include "platform/prompt.h"

#include <QAction>
#include <QActionGroup>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>

TextFormatActions::TextFormatActions(QTextEdit* edit, QObject* parent) : QObject(parent), edit_(edit)
{
    Bold = makeAction("Bold", "&Fett", "F", QKeySequence::Bold, true);
    Italic = makeAction("Italic", "&Kursiv", "K", QKeySequence::Italic, true);
    Underline = makeAction("Underline", "&Unterstrichen", "U", QKeySequence::Underline, true);
    Font = makeAction("Font", "&Schriftart...", "Schrift...", QKeySequence(Qt::CTRL | Qt::Key_D), false);
    Color = makeAction("Color", "Schrift&farbe...", "Farbe...",
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), false);
    AlignLeft = makeAction("AlignLeft", "&Linksbündig", "Links", QKeySequence(Qt::CTRL | Qt::Key_L), true);
    AlignCenter = makeAction("AlignCenter", "&Zentriert", "Mitte", QKeySequence(Qt::CTRL | Qt::Key_E), true);
    AlignRight =
        makeAction("AlignRight", "&Rechtsbündig", "Rechts", QKeySequence(Qt::CTRL | Qt::Key_R), true);
    AlignJustify =
        makeAction("AlignJustify", "&Blocksatz", "Block", QKeySequence(Qt::CTRL | Qt::Key_J), true);
    List = makeAction("List", "&Aufzählung", "• Liste", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), true);

    QFont bold = Bold->font();
    bold.setBold(true);
    Bold->setFont(bold);
    QFont italic = Italic->font();
    italic.setItalic(true);
    Italic->setFont(italic);
    QFont underline = Underline->font();
    underline.setUnderline(true);
    Underline->setFont(underline);

    alignment_ = new QActionGroup(this);
    for (QAction* action : {AlignLeft, AlignCenter, AlignRight, AlignJustify})
        alignment_->addAction(action);

    connect(Bold, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        merge(format);
    });
    connect(Italic, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontItalic(on);
        merge(format);
    });
    connect(Underline, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat format;
        format.setFontUnderline(on);
        merge(format);
    });
    connect(Font, &QAction::triggered, this, &TextFormatActions::ChooseFont);
    connect(Color, &QAction::triggered, this, &TextFormatActions::ChooseColor);
    connect(AlignLeft, &QAction::triggered, this,
            [this] { edit_->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); });
    connect(AlignCenter, &QAction::triggered, this, [this] { edit_->setAlignment(Qt::AlignHCenter); });
    connect(AlignRight, &QAction::triggered, this,
            [this] { edit_->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); });
    connect(AlignJustify, &QAction::triggered, this, [this] { edit_->setAlignment(Qt::AlignJustify); });
    connect(List, &QAction::triggered, this, &TextFormatActions::SetList);

    connect(edit_, &QTextEdit::currentCharFormatChanged, this, &TextFormatActions::showCharFormat);
    connect(edit_, &QTextEdit::cursorPositionChanged, this, &TextFormatActions::showBlock);
    showCharFormat(edit_->currentCharFormat());
    showBlock();
}

QAction* TextFormatActions::makeAction(const char* name, const QString& text, const QString& iconText,
                                       const QKeySequence& key, bool checkable)
{
    auto* action = new QAction(text, edit_);
    action->setObjectName(name);
    action->setIconText(iconText);
    action->setShortcut(key);
    action->setCheckable(checkable);
    action->setToolTip(QString(text).remove('&') + " (" + key.toString(QKeySequence::NativeText) + ")");
    // The shortcuts work wherever the field is, also in a window with several fields.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    edit_->addAction(action);
    return action;
}

void TextFormatActions::AddTo(QToolBar* bar) const
{
    const QList<QList<QAction*>> groups = {
        {Bold, Italic, Underline}, {Font, Color}, {AlignLeft, AlignCenter, AlignRight, AlignJustify}, {List}};
    for (const QList<QAction*>& group : groups) {
        if (!bar->actions().isEmpty())
            bar->addSeparator();
        for (QAction* action : group) {
            bar->addAction(action);
            if (QWidget* button = bar->widgetForAction(action)) {
                button->setFocusPolicy(Qt::TabFocus);
                button->setAccessibleName(QString(action->text()).remove('&').remove("..."));
                button->setFont(action->font());
            }
        }
    }
}

void TextFormatActions::ToggleStrikeOut()
{
    QTextCharFormat format;
    format.setFontStrikeOut(!edit_->currentCharFormat().fontStrikeOut());
    merge(format);
}

void TextFormatActions::merge(const QTextCharFormat& format)
{
    edit_->mergeCurrentCharFormat(format);
}

void TextFormatActions::ChooseFont()
{
    const std::optional<QFont> chosen = PromptSeam::get().chooseFont(edit_->currentCharFormat().font());
    if (!chosen)
        return;
    // What the font dialog offers, and nothing else: the colour and the rest of the format stay.
    QTextCharFormat format;
    if (!chosen->family().isEmpty())
        format.setFontFamilies(QStringList{chosen->family()});
    if (chosen->pointSizeF() > 0)
        format.setFontPointSize(chosen->pointSizeF());
    format.setFontWeight(chosen->weight());
    format.setFontItalic(chosen->italic());
    format.setFontUnderline(chosen->underline());
    format.setFontStrikeOut(chosen->strikeOut());
    merge(format);
}

void TextFormatActions::ChooseColor()
{
    const std::optional<QColor> chosen = PromptSeam::get().chooseColor(edit_->textColor());
    if (!chosen)
        return;
    QTextCharFormat format;
    format.setForeground(*chosen);
    merge(format);
}

bool TextFormatActions::SelectionIsList() const
{
    const QTextCursor cursor = edit_->textCursor();
    const QTextBlock last = edit_->document()->findBlock(cursor.selectionEnd());
    for (QTextBlock block = edit_->document()->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        if (!block.textList())
            return false;
        if (block == last)
            break;
    }
    return true;
}

void TextFormatActions::SetList(bool on)
{
    QTextCursor cursor = edit_->textCursor();
    QTextList* list = cursor.currentList();
    if (on && !SelectionIsList()) {
        cursor.createList(QTextListFormat::ListDisc);
    } else if (!on && list) {
        cursor.beginEditBlock();
        // Every paragraph of the selection leaves its list and its indent.
        const QTextBlock first = edit_->document()->findBlock(cursor.selectionStart());
        const QTextBlock last = edit_->document()->findBlock(cursor.selectionEnd());
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (QTextList* own = block.textList())
                own->remove(block);
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(0);
            QTextCursor(block).setBlockFormat(format);
            if (block == last)
                break;
        }
        cursor.endEditBlock();
    }
    showBlock();
}

void TextFormatActions::showCharFormat(const QTextCharFormat& format)
{
    Bold->setChecked(format.fontWeight() >= QFont::Bold);
    Italic->setChecked(format.fontItalic());
    Underline->setChecked(format.fontUnderline());
}

void TextFormatActions::showBlock()
{
    const Qt::Alignment alignment = edit_->alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        AlignCenter->setChecked(true);
    else if (alignment & Qt::AlignRight)
        AlignRight->setChecked(true);
    else if (alignment & Qt::AlignJustify)
        AlignJustify->setChecked(true);
    else
        AlignLeft->setChecked(true);
    List->setChecked(edit_->textCursor().currentList() != nullptr);
}
