#include "greetings/erinnerung2.h"

erinnerung2::erinnerung2(QWidget* parent) : QDialog(parent)
{
    setObjectName("erinnerung2");
}
