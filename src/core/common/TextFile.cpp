#include "common/TextFile.h"

#include <cerrno>
#include <filesystem>

#include "database/DrawingDatabase.h"

namespace rz {

TextLineReader::TextLineReader(const std::string& path) : path_(path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(EISDIR));
    in_.open(path, std::ios::binary);
    if (!in_)
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(errno));
}

void TextLineReader::readLine(std::string& line) {
    line.clear();
    std::istream::int_type c;
    while ((c = in_.get()) != std::istream::traits_type::eof()) {
        if (c == '\n')
            break;
        if (c == '\r') {
            if (in_.peek() == '\n')
                in_.get();
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    if (in_.bad())
        throw IoError("Cannot read \"" + path_ + "\": " + systemErrorText(errno));
}

void writeWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw IoError("Cannot create \"" + path + "\": " + systemErrorText(errno));
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out)
        throw IoError("Cannot write \"" + path + "\": " + systemErrorText(errno));
}

} // namespace rz
