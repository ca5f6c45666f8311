// Writing a tool's file whole or not at all. One rule set for every file the tools write:
// a new or regular file is replaced through a temporary file beside it, keeping its permission
// bits; a link is followed and stays a link; a device, FIFO or socket is written straight into,
// never replaced; a folder or a dangling link is refused.
#ifndef NUV_OUTPUT_FILE_H
#define NUV_OUTPUT_FILE_H

#include <string>

// Whether a file can be written at path, checked before any work; false with *error otherwise.
// Leaves nothing behind.
bool check_writable(const std::string &path, std::string *error);

// Writes text to path by the rules above. False with *error, and path as it was, on failure.
bool write_whole(const std::string &path, const std::string &text, std::string *error);

#endif
