#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;
class QTabWidget;

// The about box: the program with its running version, and the maker with two links.
class copyright1 : public QDialog
{
    Q_OBJECT
public:
    explicit copyright1(QWidget* parent = nullptr);

    void Form_Load();
    void Command1_Click();

    QTabWidget* sevTabStrip1;
    std::array<QLabel*, 2> Label1{};
    std::array<QLabel*, 2> Label2{};
    QLabel* Label3;
    std::array<QLabel*, 4> Image{};
    QPushButton* cmdEMail;
    QPushButton* cmdInternet;
    QPushButton* Command1;

    void done(int result) override;
};
