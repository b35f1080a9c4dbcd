#pragma once
// The run log "log.txt" in the working directory. The first line of a run
// truncates the file; every line is opened, appended and closed again so a
// crash leaves the log complete up to the last step reached.

void WriteLog(const char* text);

// Makes the next WriteLog truncate the file again (a new run, or a test).
void ResetLog();

// The game's own warnings on the standard error stream: a non-fatal failure
// says so in one line (the text carries its own newline), printf-style.
void Warn(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
