// Helpers shared by the test programs. Every test process runs in a temporary folder of its own (the
// libraries write their log files into the current directory), with the registry stores and unixODBC's
// files pointed into it before anything reads them.
#pragma once

#include <string>

namespace omra::test {

// The process's temporary folder; every test starts with it as the current directory.
const std::string &temp_dir();
// The whole content of a file, or "" when it cannot be read.
std::string read_file(const std::string &path);
// Whether a file exists.
bool file_exists(const std::string &path);
// How many times what occurs in text (overlapping occurrences counted).
int count(const std::string &text, const std::string &what);
// The number of descriptors this process has open, for leak checks around a connect.
int open_descriptors();
// Runs fn with standard output captured and returns what it printed.
std::string capture_stdout(void (*fn)(void *), void *context);

}  // namespace omra::test
