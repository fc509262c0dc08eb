#pragma once
#include <array>
#include <functional>
#include <string>

#include "services/MessageTable.h"
#include "services/Operation.h"
#include "app/Services.h"
#include "i18n/LanguageFiles.h"
#include "common/Random.h"
#include "settings/AppPaths.h"

namespace rz {

// What every command of the program shares: the program folder and its
// files, the message table in the current language, the one random
// generator, the services to the outside world, the status bar, the running
// operation and the change notification that repaints the window.
class AppContext {
public:
    AppContext() : services_(withDefaults(Services{}, headless_)), events_(*this), dialogs_(*this) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // ---- services: everything from outside the core (headless defaults for null members)
    // The events service given must not be `events()` itself (nor wrap it):
    // letting events through would go round in a circle.
    void setServices(const Services& services) { services_ = withDefaults(services, headless_); }
    const Services& services() const { return services_; }
    // A dialog opens over the window as it stands: a change held back for
    // the end of the command is shown first.
    IDialogs& dialogs() const { return dialogs_; }
    IShell& shell() const { return *services_.shell; }
    ISound& sound() const { return *services_.sound; }
    // The events service; letting events through shows a held-back change
    // first (a long command's progress).
    IEvents& events() const { return events_; }
    IClock& clock() const { return *services_.clock; }
    DayNumber today() const { return services_.clock->today(); }

    // ---- where the files live
    // The folder of the user's files, with trailing separator: the program
    // folder when the program is portable, the user's data folder when it is
    // installed. A test or the command line may point it anywhere; then
    // every file lives there.
    std::string Home;
    std::string ZahlenFile = kDrawingFileName;
    std::string SoundName = "yippee.wav";
    std::string DatabasePath() const { return Home + ZahlenFile; }
    // Where each file lives (settings/AppPaths.h): the installed layout set
    // by the start-up, else everything in Home.
    AppPaths paths() const { return installedPaths_.installed() ? installedPaths_ : AppPaths(Home); }
    void usePaths(const AppPaths& paths) {
        installedPaths_ = paths;
        Home = paths.userFolder();
    }

    // ---- language and messages
    // The language as the services take it; `sprache` and `Memo2` are its
    // number and message table under the names the window's code uses.
    LanguageTexts language;
    int& sprache = language.language;          // language 0..8
    MessageTable& Memo2 = language.messages;   // the message table
    const std::string& msg(Msg id) const { return Memo2.line(id); }
    // By line number: for checking a language file's lines, never in a command.
    const std::string& msg(int line) const { return Memo2.line(line); }

    Rng rng;                                   // the shared Random

    // ---- status bar, cursor, long operations
    std::array<std::string, 2> StatusPanel{};  // StatusBar1 panels 0 and 1
    void setStatus(const std::string& text) { StatusPanel[1] = text; }
    bool busy = false;                         // wait cursor shown
    void setBusy(bool b) {
        busy = b;
        events().setBusyCursor(b);
    }
    CurrentOperation operation;                // the long command running now, if any

    // The window's repaint. A command says `changed()` whenever what the
    // window shows has changed; inside a command (`CommandScope`, which
    // MainModel::run opens) that is held back, and the window repaints once
    // at the command's end, before a dialog, or when a long command lets
    // events through.
    std::function<void()> onChanged;
    void changed() {
        if (commandDepth_ > 0) {
            changePending_ = true;
            return;
        }
        notify();
    }
    void flushChanges() const {
        if (changePending_)
            notify();
    }

    class CommandScope {
    public:
        explicit CommandScope(AppContext& context) : context_(context) { ++context_.commandDepth_; }
        ~CommandScope() {
            if (--context_.commandDepth_ == 0)
                context_.flushChanges();
        }
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        AppContext& context_;
    };

private:
    void notify() const {
        changePending_ = false;
        if (onChanged)
            onChanged();
    }

    class FlushingEvents : public IEvents {
    public:
        explicit FlushingEvents(const AppContext& context) : context_(context) {}
        void processPendingEvents() override {
            context_.flushChanges();
            context_.services_.events->processPendingEvents();
        }
        void setBusyCursor(bool busy) override { context_.services_.events->setBusyCursor(busy); }

    private:
        const AppContext& context_;
    };

    // Every dialog first shows a change held back.
    class FlushingDialogs : public IDialogs {
    public:
        explicit FlushingDialogs(const AppContext& context) : context_(context) {}
        void message(const std::string& text) override { inner().message(text); }
        bool question(const std::string& text) override { return inner().question(text); }
        std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                             const std::string& defaultText) override {
            return inner().inputText(caption, prompt, defaultText);
        }
        std::optional<std::string> openFile(const FileDialogRequest& request) override {
            return inner().openFile(request);
        }
        std::optional<std::string> saveFile(const FileDialogRequest& request) override {
            return inner().saveFile(request);
        }
        ModalResult showNumberList() override { return inner().showNumberList(); }
        bool askYesNo(const std::string& title, const std::string& text) override {
            return inner().askYesNo(title, text);
        }
        std::optional<DrawingEntry> enterDrawing(const DrawingEntry& initial) override {
            return inner().enterDrawing(initial);
        }
        std::optional<ScriptChoice> chooseScript(const ScriptChoice& initial) override {
            return inner().chooseScript(initial);
        }

    private:
        IDialogs& inner() const {
            context_.flushChanges();
            return *context_.services_.dialogs;
        }
        const AppContext& context_;
    };

    AppPaths installedPaths_;
    HeadlessServices headless_;
    Services services_;
    int commandDepth_ = 0;
    mutable bool changePending_ = false;
    mutable FlushingEvents events_;
    mutable FlushingDialogs dialogs_;
};

// The busy cursor for the lifetime of the guard, however the command ends.
class BusyGuard {
public:
    explicit BusyGuard(AppContext& context) : context_(context) { context_.setBusy(true); }
    ~BusyGuard() { context_.setBusy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    AppContext& context_;
};

} // namespace rz
