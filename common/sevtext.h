#pragma once

#include "platform/prompt.h"

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QToolButton;

// A text box with a button at its right ("..." by default): the program's stand-in for the
// outside text box component. Raises Change, ButtonClick, GotFocus and LostFocus, and offers
// the open and save dialogs through the Prompt seam.
class SevText : public QWidget
{
    Q_OBJECT
public:
    explicit SevText(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    void SetForeColor(const QColor& color);
    QColor ForeColor() const { return foreColor_; }
    void SetFocusColor(const QColor& color) { focusColor_ = color; }
    void SetButtonVisible(bool visible);
    void SetButtonText(const QString& text);
    // The button opens a drop-down of its own (a calendar): F4 and Alt+Down in the field press it,
    // as they open the drop-down list of a field with items.
    void SetButtonOpensDropDown(bool opens) { buttonOpensDropDown_ = opens; }
    void SetMaxLength(int length);
    void SetLocked(bool locked);
    void SetPasswordChar(bool on);
    QLineEdit* Edit() const { return edit_; }
    QToolButton* Button() const { return button_; }

    // A caption left of the field (its buddy, so it names the field) and a unit right of it.
    void SetCaption(const QString& caption);
    void SetUnit(const QString& unit);
    QLabel* CaptionLabel() const { return caption_; }
    QLabel* UnitLabel() const { return unit_; }
    // Whole numbers only, at most maxLength digits; typing past the maximum is refused, a
    // number below the minimum is let through while it is being typed. Text set by SetText is
    // taken as it is.
    void SetNumeric(int minimum, int maximum, int maxLength);
    std::optional<std::pair<int, int>> NumericRange() const { return numericRange_; }
    // True for a whole number within the range (blanks around it allowed), or no numeric field.
    bool HoldsNumberInRange() const;
    // The drop-down list: the button opens it, Up and Down step through it; choosing an entry
    // sets the text.
    void AddItem(const QString& item);
    QStringList Items() const { return items_; }
    void SelectItem(int index);

    // The chosen full path, or an empty text when the user cancels.
    QString ShowOpenDialog(const QString& title, const QString& folder, const QString& fileName,
                           const QString& filter, const QString& defaultExtension);
    QString ShowSaveDialog(const QString& title, const QString& folder, const QString& fileName,
                           const QString& filter, const QString& defaultExtension);

signals:
    void Change();
    void ButtonClick();
    void GotFocus();
    void LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColor(const QColor& color);
    void showList();
    bool stepThroughList(int step);
    QLineEdit* edit_;
    QToolButton* button_;
    QLabel* caption_ = nullptr;
    QLabel* unit_ = nullptr;
    QStringList items_;
    QColor foreColor_ = Qt::black;
    QColor focusColor_ = Qt::black;
    std::optional<std::pair<int, int>> numericRange_;
    bool buttonOpensDropDown_ = false;
};
