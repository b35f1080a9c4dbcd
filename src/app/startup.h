#pragma once
// Program entry and exit: the logged start-up sequence, the orderly
// shutdown and the top-level error report.

// The program's main function. Returns 0 after a normal run, 1 after a
// fatal error or a failed start-up (the log and the error box say which).
int SDL_main(int argc, char** argv);

// Brings every subsystem up in its fixed, logged order. Returns 1 when the
// game is ready to run, 0 when a step failed without throwing; the failed
// step's log line is then kept for the report (FailedStartupStep).
int InitPelmo();

// Releases everything InitPelmo created, in order; safe after a partial
// start-up (each step frees only what exists).
void FreeGame();

// The log line of the start-up step that made InitPelmo return 0, or null.
const char* FailedStartupStep();

// Reads the command line: only a first argument "-windowed" counts.
void ParseCommandLine(int argc, char** argv);

// Runs body inside the top-level handler: an Exception is shown in the
// "Error" box with its four-line report, anything else as "Unknown
// Exception". Either way "End." is logged last. Returns body's status, or 1
// after an error.
int RunWithErrorReport(int (*body)(int, char**), int argc, char** argv);

struct IntroDriver;
// The intro's clock and input (a test plays it without waiting); null: SDL's.
void SetIntroDriver(IntroDriver* driver);

// Builds the glyph fonts at start-up, false when they could not be built
// (only when out of memory); a test puts its own in place to fail the step.
// Null: InitFont.
using FontBuilder = bool (*)(int width, int height, const char* dataPrefix);
void SetFontBuilder(FontBuilder builder);
