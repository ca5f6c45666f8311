// Writing a tool's file whole or not at all. One rule set for every file the tools write:
// a new or regular file is replaced through a temporary file beside it, keeping its permission
// bits; a link is followed and stays a link; a device or FIFO is written straight into, never
// replaced; the file standard output has open gets the text after what standard output holds;
// a folder, a socket or a dangling link is refused.
#ifndef NUV_OUTPUT_FILE_H
#define NUV_OUTPUT_FILE_H

#include <cstddef>
#include <string>

// Whether a file can be written at path, checked before any work; false with *error otherwise.
// Leaves nothing behind.
bool check_writable(const std::string &path, std::string *error);

// Writes text to path by the rules above. False with *error, and path as it was, on failure.
bool write_whole(const std::string &path, const std::string &text, std::string *error);

// Writes all size bytes of data to fd, through interruptions and short writes: 0, or the error
// number of the write that failed.
int write_all(int fd, const void *data, size_t size);

#endif
