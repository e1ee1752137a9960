#include "greetings/erinnerung1.h"

erinnerung1::erinnerung1(QWidget* parent) : QDialog(parent)
{
    setObjectName("erinnerung1");
}
