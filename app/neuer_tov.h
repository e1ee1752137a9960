#pragma once

#include <QDialog>
#include <array>

class GradientBand;
class QCalendarWidget;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class SevText;

// The entry form: the ten fields of one person, written straight into the main window's list.
// It opens in one of two modes, for a new person or for a change of the selected row.
class neuer_tov : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { NewPerson, Change };

    explicit neuer_tov(QWidget* parent = nullptr);

    // Caption, heading, hint and the one button of the mode.
    void SetMode(Mode mode);
    void ClearFields();

    void Form_Load();
    void Form_Activate();
    void Form_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();
    void sevText1_LostFocus(int index);
    void UpdateStarSignLabel();
    void UpdateEmailOptions();

    // The text of field 1 to 10 of the record; the check boxes as "0" or "1".
    QString FieldText(int field) const;

    // Fields 1-3 and 7-10 (index 0-6).
    std::array<SevText*, 7> sevText1{};
    // Named crosswise to their captions: Check_Standard holds field 4, Check_Automatisch field 5.
    QCheckBox* Check_Standard;
    QCheckBox* Check_Automatisch;
    QPlainTextEdit* HTML_Text;
    QToolButton* Command5;
    QGroupBox* Frame1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    GradientBand* picBottom;
    QFrame* Line1;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool BirthDateCanBeStored();
    bool FieldsCanBeStored();
    void SetTabOrderAsOnScreen();
    void ShowCalendar();
    QCalendarWidget* calendar_ = nullptr;
    bool keyPreviewOn_ = false;
    bool previewInstalled_ = false;
};
