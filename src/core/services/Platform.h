#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// Everything a command needs from outside the core goes through these small
// interfaces, so the GUI supplies Qt adapters and tests script the answers.

struct FileDialogRequest {
    std::string filter;        // "Tippdatei|*.qlt"
    std::string defaultExt;    // without the dot: "qlt"
    std::string initialDir;    // may be empty
    std::string suggestedName; // may be empty
};

enum class ModalResult { Ok, Abort, Retry, Cancel };

// The fields of the drawing entry dialog: date and Numbers[1..8]
// (1..5 main numbers, 6 carried through unchanged, 7 MegaBall, 8 Megaplier).
struct DrawingEntry {
    double date = 0.0;               // day number
    std::array<int, 9> numbers{};    // index 1..8
};

// The fields of the click-script choice: the script (the combo box's text),
// the four parameters, the scripts its list offers and the folder its file
// dialog starts in.
struct ScriptChoice {
    std::string script;
    std::string zahl1;
    std::string text1; // the portal's login name
    std::string zahl2;
    std::string text2; // the portal's password
    std::vector<std::string> scripts;
    std::string scriptFolder;
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void message(const std::string& text) = 0;
    virtual bool question(const std::string& text) = 0;
    // nullopt when the user cancels.
    virtual std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                                 const std::string& defaultText) = 0;
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // Shows the number selection list (MainModel::NumberList) modally.
    virtual ModalResult showNumberList() = 0;
    // A Yes/No question with its own window title; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) {
        (void)title;
        return question(text);
    }
    // Shows the drawing entry dialog filled with `initial`; nullopt when the
    // user cancels. Without a window there is no dialog: cancelled.
    virtual std::optional<DrawingEntry> enterDrawing(const DrawingEntry& initial) {
        (void)initial;
        return std::nullopt;
    }
    // Shows the click-script choice filled with `initial`; nullopt when the
    // user cancels. Without a window: cancelled.
    virtual std::optional<ScriptChoice> chooseScript(const ScriptChoice& initial) {
        (void)initial;
        return std::nullopt;
    }
};

class IShell {
public:
    virtual ~IShell() = default;
    // Returns false when nothing could open the file or address.
    virtual bool open(const std::string& addressOrPath) = 0;
};

class ISound {
public:
    virtual ~ISound() = default;
    // Starts playing asynchronously; a later start replaces a running sound.
    virtual void play(const std::string& path) = 0;
};

class IEvents {
public:
    virtual ~IEvents() = default;
    // Lets the window repaint from the model and handle pending input.
    virtual void processPendingEvents() = 0;
    virtual void setBusyCursor(bool busy) = 0;
};

// Elapsed time for pauses and deadlines: a steady clock that never jumps,
// and a wait. Tests give a fake one, so that nothing waits for real time.
class ITicks {
public:
    virtual ~ITicks() = default;
    // Milliseconds since some fixed point; never decreases.
    virtual std::int64_t nowMs() = 0;
    // Waits about `ms` milliseconds (less is allowed, never more by much).
    virtual void sleepMs(int ms) = 0;
};

// The machine's steady clock.
class SteadyTicks : public ITicks {
public:
    std::int64_t nowMs() override;
    void sleepMs(int ms) override;
    static SteadyTicks& instance();
};

// Headless defaults: no window, no sound, every question answered "no",
// every dialog cancelled, messages collected.
class NullPlatform : public IDialogs, public IShell, public ISound, public IEvents {
public:
    void message(const std::string& text) override { lastMessage = text; }
    bool question(const std::string&) override { return false; }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    ModalResult showNumberList() override { return ModalResult::Ok; }
    bool open(const std::string& addressOrPath) override {
        lastOpened = addressOrPath;
        return true;
    }
    void play(const std::string&) override {}
    void processPendingEvents() override {}
    void setBusyCursor(bool) override {}

    std::string lastMessage;
    std::string lastOpened;
};

} // namespace rz
