// Standard output and standard error as every tool uses them: messages reported one way, one
// check that what was written has arrived, and the failures a shell can cause (a file-size
// limit, a reader that has gone) made errors rather than silent deaths.
#ifndef NUV_OUTPUT_STREAM_H
#define NUV_OUTPUT_STREAM_H

#include <string>

// Names the tool in its messages, and makes a write over the file-size limit fail with EFBIG
// instead of killing the tool with SIGXFSZ. Called first in main.
void start_output(const char *tool);

// A line "tool: message" on standard error; returns status, the tool's exit status (0 for a
// notice).
int report(int status, const std::string &message);

// Everything written so far has reached standard output, and a pipe there still has a reader;
// *error says why not. A reader that has gone is noticed even when nothing is waiting to be
// written: as a write would, it ends the tool by SIGPIPE unless that signal is ignored, and is
// then "Broken pipe".
bool stdout_ok(std::string *error);

#endif
