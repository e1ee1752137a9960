#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QTextCharFormat;
class QTextEdit;
class QToolBar;

// The formatting commands of a rich text field: bold, italic, underline, font, colour, the four
// alignments and a bulleted list. Each is an action with a keyboard shortcut; the check marks
// follow the text at the caret. Font and colour are chosen in the dialogs of the Prompt seam;
// cancelling a dialog changes nothing.
class TextFormatActions : public QObject
{
    Q_OBJECT
public:
    explicit TextFormatActions(QTextEdit* edit, QObject* parent = nullptr);

    // Puts the actions on the bar in their order, with separators between the groups; the bar's
    // buttons take the keyboard focus like any other control.
    void AddTo(QToolBar* bar) const;

    void ChooseFont();
    void ChooseColor();
    // Strikes the selection through, or takes the line away again (no action of its own: the
    // template editor's bar has no such button).
    void ToggleStrikeOut();
    // On: every paragraph of the selection becomes an item of one bulleted list. Off: each
    // leaves its list and its indent.
    void SetList(bool on);
    // True when every paragraph of the selection is a list item.
    bool SelectionIsList() const;

    QAction* Bold;
    QAction* Italic;
    QAction* Underline;
    QAction* Font;
    QAction* Color;
    QAction* AlignLeft;
    QAction* AlignCenter;
    QAction* AlignRight;
    QAction* AlignJustify;
    QAction* List;

private:
    QAction* makeAction(const char* name, const QString& text, const QString& iconText,
                        const QKeySequence& key, bool checkable);
    void merge(const QTextCharFormat& format);
    void showCharFormat(const QTextCharFormat& format);
    void showBlock();

    QTextEdit* edit_;
    QActionGroup* alignment_;
};
