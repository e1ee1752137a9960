#pragma once

#include <QDialog>
#include <vector>

class GradientBand;
class OutBar;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class SevText;

// The options dialog: a page bar on the left, one page of settings at a time on the right.
// "OK" writes the whole settings file from the controls; the autostart buttons act at once.
class optionen1 : public QDialog
{
    Q_OBJECT
public:
    explicit optionen1(QWidget* parent = nullptr);

    void Form_Load();
    // Fills the controls from the settings file; false when a line could not be loaded.
    bool LoadSettings();
    // Writes all 64 lines, hands the sender's name to the greetings and unloads the dialog; on
    // failure the dialog stays open and nothing changes.
    void SaveSettings();

    void OutBar1_ItemClick(int group, int item);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void sevText1_ButtonClick();
    void Command5_Click();
    void Command4_Click();

    static bool SetAutoRun(const QString& sDescr, const QString& sPath);
    static bool RemoveAutoRun(const QString& sDescr);

    OutBar* OutBar1;
    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QGroupBox* Frame5;
    QGroupBox* Frame6;
    QGroupBox* Frame7;
    QGroupBox* Frame8;
    QGroupBox* Frame9;
    QGroupBox* Frame11;
    QGroupBox* Frame12;

    QCheckBox* xpCheck1;
    SevText* txtTime;
    SevText* txtFilename;
    QPushButton* Command5;
    QPushButton* Command4;
    QCheckBox* Check_Start;
    QCheckBox* check_Update;
    SevText* sevText1;
    QToolButton* Command3;
    SevText* txtVorwarnzeit;
    SevText* assiName;
    SevText* assiEMail;
    SevText* assiFirma;
    SevText* assiSMTP;
    QCheckBox* chkAUTH;
    SevText* assiBenutzername;
    SevText* assiPasswort;
    SevText* mailBetreff;
    SevText* txtPrio;
    QCheckBox* Check1;
    QCheckBox* ZIPCheck1;
    SevText* txtKB;
    SevText* txtBenutzername;
    QCheckBox* Check_Fenster;
    SevText* txtSekunden;
    QRadioButton* check_Tab1;
    QRadioButton* check_Tab2;
    QRadioButton* check_Tab3;
    QPushButton* Command1;
    QPushButton* Command2;

    QList<QGroupBox*> Pages() const;

public slots:
    void reject() override;

private:
    // One settings line carried by a text field or a check box.
    struct Binding {
        int line;
        SevText* text;
        QCheckBox* box;
    };
    void BuildLayout();
    void ShowPage(QGroupBox* page);
    bool RefuseUnstorableText();
    bool RefuseNumberOutOfRange();
    void RefuseField(SevText* field, const QString& problem);
    QGroupBox* PageOf(QWidget* control) const;
    void ShowPageOf(QWidget* control);
    QString PageTitleOf(QWidget* control) const;
    static void SetOption(QRadioButton* option, bool value);

    std::vector<Binding> bindings_;
    QStackedWidget* pages_ = nullptr;
    QButtonGroup* startTabs_ = nullptr;
    GradientBand* band_ = nullptr;
};
