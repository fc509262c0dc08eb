#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/MainModel.h"
#include "common/TextCodec.h"
#include "database/DrawingDatabase.h"

namespace rz::test {

// A fresh folder per test under the build's test-tmp (or the system temp).
class TempDir {
public:
    TempDir() {
        namespace fs = std::filesystem;
        const char* base = std::getenv("RZ_TEST_TMP");
        fs::path root = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(root);
        // Spelt as the program spells its folders: absolute, with the system's separator.
        root = fs::absolute(root).lexically_normal();
        std::random_device rd;
        for (;;) {
            path_ = root / ("rz-" + std::to_string(rd()));
            if (fs::create_directory(path_))
                break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string str() const { return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A text as the program writes it into a file on this system (UTF-8 here,
// the 8-bit code page on Windows).
inline std::string inSystemForm(const std::string& utf8) { return encodeText(utf8, systemTextEncoding()); }

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline DrawingRecord rec(int y, int m, int d, std::array<int, 5> mains, int mb, int mp = 2) {
    return DrawingRecord::make(dayFromYmd(y, m, d), mains, mb, mp);
}

inline void writeDatabase(const std::string& path, const std::vector<DrawingRecord>& records) {
    std::string bytes(records.size() * DrawingRecord::kSize, '\0');
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + i * DrawingRecord::kSize);
    writeFile(path, bytes);
}

// Scripted answers for the model's dialogs; records what was shown.
class ScriptedPlatform : public IDialogs, public IShell, public ISound, public IEvents {
public:
    std::vector<std::string> messages;
    std::vector<bool> questionAnswers;            // consumed in order; false when exhausted
    std::vector<std::optional<std::string>> inputAnswers;
    std::vector<std::optional<std::string>> fileAnswers;
    std::vector<ModalResult> numberListAnswers;
    std::vector<std::optional<DrawingEntry>> entryAnswers; // what the entry dialog gives back; cancelled when exhausted
    std::function<void()> onNumberList;           // lets a test change the boxes
    std::vector<FileDialogRequest> fileRequests;
    std::vector<std::string> opened;
    std::vector<std::string> played;
    int pendingEventCalls = 0;
    std::function<void()> onPendingEvents;

    void message(const std::string& text) override { messages.push_back(text); }
    bool question(const std::string&) override { return take(questionAnswers, false); }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return take(inputAnswers, std::optional<std::string>());
    }
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        fileRequests.push_back(r);
        return take(fileAnswers, std::optional<std::string>());
    }
    std::optional<std::string> saveFile(const FileDialogRequest& r) override {
        fileRequests.push_back(r);
        return take(fileAnswers, std::optional<std::string>());
    }
    std::optional<DrawingEntry> enterDrawing(const DrawingEntry&) override {
        return take(entryAnswers, std::optional<DrawingEntry>());
    }
    ModalResult showNumberList() override {
        if (onNumberList)
            onNumberList();
        return take(numberListAnswers, ModalResult::Abort);
    }
    bool openSucceeds = true;                     // what the shell answers
    bool open(const std::string& p) override {
        opened.push_back(p);
        return openSucceeds;
    }
    void play(const std::string& p) override { played.push_back(p); }
    void processPendingEvents() override {
        ++pendingEventCalls;
        if (onPendingEvents)
            onPendingEvents();
    }
    void setBusyCursor(bool) override {}

    void attach(MainModel& m) { m.setServices({.dialogs = this, .shell = this, .sound = this, .events = this}); }

private:
    template <typename T>
    static T take(std::vector<T>& v, T def) {
        if (v.empty())
            return def;
        T x = v.front();
        v.erase(v.begin());
        return x;
    }
};

// Temporary files of the atomic writer left beside `path` ("<name>.<pid>-<hex>"
// followed by ".tmp" or "~"); none after a write, whether it failed or not.
inline std::vector<std::string> temporariesBeside(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path p(path);
    const std::string prefix = p.filename().string() + ".";
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(p.parent_path().empty() ? fs::path(".") : p.parent_path(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const bool temp = rest.find('-') != std::string::npos &&
                          (rest.ends_with(".tmp") || rest.ends_with("~")) && rest.front() >= '0' && rest.front() <= '9';
        if (temp)
            out.push_back(name);
    }
    return out;
}

} // namespace rz::test
