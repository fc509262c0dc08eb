#pragma once
#include <string>
#include <vector>

namespace rz {

// The numbered user-visible texts of the main window (0-based lines). Code
// reads a line whenever it needs the message, so replacing the lines (a
// language switch) changes every later message at once. A line beyond the
// end reads as empty text.
class MessageTable {
public:
    MessageTable();
    static const std::vector<std::string>& builtIn();

    const std::string& line(int n) const;
    const std::vector<std::string>& lines() const { return lines_; }
    void setLines(std::vector<std::string> lines) { lines_ = std::move(lines); }

private:
    std::vector<std::string> lines_;
};

} // namespace rz
