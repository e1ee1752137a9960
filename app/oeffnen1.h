#pragma once

#include "app/listfilewindow.h"

class QPushButton;

// "Tovalinerosliste öffnen": replaces the list by the content of a file the user chooses, which
// then becomes the program's own list file.
class oeffnen1 : public ListFileWindow
{
    Q_OBJECT
public:
    explicit oeffnen1(QWidget* parent = nullptr);
    void sevText1_ButtonClick() override;
    void Command2_Click();

    QPushButton* Command2;
};
