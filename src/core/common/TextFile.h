#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/TextCodec.h"

namespace rz {

// Line reader for the program's text files. The whole file is read at once
// (a regular file of at most 64 MB, see common/FileIo.h), decoded to UTF-8
// (common/TextCodec.h) and split into lines: a line ends at CR LF, LF or a
// lone CR. Throws IoError (with the system's text) when the file cannot be
// opened or read.
class TextLineReader {
public:
    explicit TextLineReader(const std::string& path, NoBomRule rule = NoBomRule::Utf8IfValid);
    // Reads the next line; at the end of the file the line is empty.
    void readLine(std::string& line);
    bool atEnd() const { return next_ >= lines_.size(); }
    TextEncoding encoding() const { return encoding_; }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    TextEncoding encoding_ = TextEncoding::Utf8;
};

// The whole file's lines, read and decoded as by TextLineReader. Throws IoError.
std::vector<std::string> readTextFileLines(const std::string& path, NoBomRule rule = NoBomRule::Utf8IfValid);

// Creates or replaces the file with the given bytes, atomically (see
// writeFileAtomically in common/FileIo.h). Throws IoError.
void writeWholeFile(const std::string& path, const std::string& content);

// Encodes UTF-8 text for a file of the system's 8-bit form and writes it
// atomically. Throws IoError.
void writeTextFile(const std::string& path, const std::string& utf8, TextEncoding encoding = systemTextEncoding());

} // namespace rz
