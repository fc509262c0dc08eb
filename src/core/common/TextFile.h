#pragma once
#include <fstream>
#include <string>

namespace rz {

// Line reader for the program's text files: a line ends at CR LF, LF or a
// lone CR. Throws IoError (with the system's text) when the file cannot be
// opened or read.
class TextLineReader {
public:
    explicit TextLineReader(const std::string& path);
    // Reads the next line; at the end of the file the line is empty.
    void readLine(std::string& line);

private:
    std::string path_;
    std::ifstream in_;
};

// Creates or replaces the file with the given bytes. Throws IoError.
void writeWholeFile(const std::string& path, const std::string& content);

} // namespace rz
