#pragma once
// The start of a console program, the same on every system: the arguments
// as UTF-8 (on Windows taken from the wide-character command line, not the
// ANSI code page), and standard output and error as plain bytes (no CR
// added before LF on Windows: the program writes its line ends itself).
#include <string>
#include <vector>

namespace rz {

class ProgramArgs {
public:
    ProgramArgs(int argc, char** argv);
    int argc() const { return static_cast<int>(args_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> args_;
    std::vector<char*> pointers_;
};

// Standard output and error write the bytes given; on a Windows console they
// show UTF-8.
void useBinaryStandardStreams();

// The folder of the running program's file (UTF-8), or "" when unknown.
std::string programFolder();

} // namespace rz
