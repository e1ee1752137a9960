#pragma once

#include <QDialog>

class GradientBand;
class HTMLed;
class Line3D;
class QAction;
class QMenu;
class QMenuBar;
class QPushButton;

// The greeting editor, always shown modally. Its opener picks the mode: the standard greeting
// (Command1 "&Standard speichern" shown, the document loaded from daten/standard.html) or a
// person's own greeting (Command2 "&Übernehmen" shown, the document taken from the entry form's
// field HTML_Text). Every button unloads the window, so each opening starts afresh. The controls
// are placed absolutely and scale with the window (ResizeForm).
class HTML_Editor : public QDialog
{
    Q_OBJECT
public:
    explicit HTML_Editor(QWidget* parent = nullptr);

    void Form_Load();
    void Form_Resize();
    // Saves the template and closes; a failed save says why and keeps the window and its text.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void variable_vorname_Click();
    void variable_nachname_Click();
    void variable_tovalinero_Click();
    void variable_strasse_Click();
    void variable_plz_Click();
    void variable_wohnort_Click();
    void variable_email_Click();
    void variable_absendername_Click();

    QMenuBar* MainMenu;
    QMenu* varia;
    QAction* variable_vorname;
    QAction* variable_nachname;
    QAction* variable_tovalinero;
    QAction* variable_strasse;
    QAction* variable_plz;
    QAction* variable_wohnort;
    QAction* variable_email;
    QAction* variable_absendername;
    HTMLed* HTMLed1;
    GradientBand* picBottom;
    Line3D* Line1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QAction* addVariable(const char* name, const QString& caption, void (HTML_Editor::*click)());
    void insertPlaceholder(const QString& placeholder);
    void stretchLineToBand();
};

// What the hand-back puts into the entry form's field: one line of the list file. CR goes,
// non-breaking spaces ("&nbsp;", "&#160;" or the character itself) become blanks, and "~" and TAB, the
// list file's separators, are written as character references.
QString HandBackHtml(QString html);
