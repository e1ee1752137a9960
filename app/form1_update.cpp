// The version check at start-up.
#include "app/form1.h"

void Form1::CheckForUpdate() {}
