// The toolbar of the list tab and the list grid's events.
#include "app/form1.h"

void Form1::BuildToolbar()
{
}
