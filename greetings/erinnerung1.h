#pragma once

#include <QDialog>

// The manual reminder window.
class erinnerung1 : public QDialog {
    Q_OBJECT
public:
    explicit erinnerung1(QWidget* parent = nullptr);
};
