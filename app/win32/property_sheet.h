#pragma once
#include <windows.h>

// Shows the modal property sheet "Liedkorb 2.7" with its four pages and
// returns when the user has closed it, however that was done.
void showPropertySheet(HINSTANCE instance);
