#pragma once
#include <vector>

// Ids of the check boxes to tick when the options page is created.
std::vector<int> optionsPageCheckedIds();
// A click on a control of the options page: a check box flips its flag, 209
// empties the duplicate table.
void optionsPageCommand(int controlId);
