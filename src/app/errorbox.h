#pragma once
// The modal "Error" report. The text always goes to standard error; when a
// display is available and PONDRAKE_NO_ERROR_BOX is not set, it is also shown
// in a small window with an OK button that waits for the player.

void ShowErrorBox(const char* title, const char* text);
