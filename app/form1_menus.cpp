// The menu bar and the search box of the list tab.
#include "app/form1.h"

void Form1::BuildMenus()
{
}
