#pragma once

// The logic of the sort page, in terms of control ids; each shell calls these
// from its widgets.

// Page creation: counters, the three paths, empty displays.
void sortPageInit();
// Reads the three path edits into settings (page switch, OK).
void readPathEdits();
// Button 100: starts a scan, or stops the running one.
void startStop();
// Buttons 106 to 108.
void browseForFolder(int buttonId);
