#pragma once

#include "app/listfilewindow.h"

// "Tovalinerosliste speichern unter...": writes the list of the main window to a file the user
// chooses; the program's own list file stays as it is.
class speichern1 : public ListFileWindow
{
    Q_OBJECT
public:
    explicit speichern1(QWidget* parent = nullptr);
    void sevText1_ButtonClick() override;
};
