#pragma once

#include <QDialog>

class GradientBand;
class QFrame;
class QLabel;
class QPushButton;
class SevText;

// The build that the open and save-as windows share: a heading band, the file field with its
// "..." button, a hint, the success line and the bottom band with "&Abbrechen".
class ListFileWindow : public QDialog
{
    Q_OBJECT
public:
    void Form_Load();
    void Command1_Click();
    // The chosen file's action, run by the field's "..." button.
    virtual void sevText1_ButtonClick() = 0;

    QFrame* Picture1;
    QLabel* Image1;
    QLabel* Label1;
    QFrame* Line2;
    SevText* sevText1;
    QLabel* Label2;
    QLabel* Label3;
    QFrame* Line1;
    GradientBand* picBottom;
    QPushButton* Command1;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    ListFileWindow(const QString& name, const QString& caption, const QIcon& picture, const QString& heading,
                   const QString& success, QWidget* parent);
};
