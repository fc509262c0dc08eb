#include "common/TextFile.h"

#include "common/FileIo.h"

namespace rz {

TextLineReader::TextLineReader(const std::string& path, NoBomRule rule) {
    DecodedText decoded = decodeText(readWholeFile(path), rule);
    encoding_ = decoded.encoding;
    lines_ = splitLines(decoded.text);
}

std::vector<std::string> readTextFileLines(const std::string& path, NoBomRule rule) {
    return splitLines(decodeText(readWholeFile(path), rule).text);
}

void TextLineReader::readLine(std::string& line) {
    if (next_ < lines_.size())
        line = std::move(lines_[next_++]);
    else
        line.clear();
}

void writeWholeFile(const std::string& path, const std::string& content) {
    writeFileAtomically(path, content);
}

void writeTextFile(const std::string& path, const std::string& utf8, TextEncoding encoding) {
    writeFileAtomically(path, encodeText(utf8, encoding));
}

} // namespace rz
