#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

#include "QtCredentialStore.h"
#include "QtMachineSettings.h"
#include "app/Services.h"

class QFont;
class QSoundEffect;
class QWidget;
class WindowHost;
class Zahlenwahl;

// The application title, shown on every message box.
inline constexpr const char* kAppTitle = "Quendrals RuvuZevodare";


// "Tippdatei|*.qlt" -> "Tippdatei (*.qlt)"; several pairs are joined by ";;".
QString qtFileFilter(const std::string& filter);

// The width a dialog needs to show `title` whole in its title bar.
int titleBarWidth(const QString& title, const QFont& font);

// The platform services of the core, done with Qt: message boxes, the input
// box, file dialogs, the number selection list, the shell's "open" action,
// the hit sound and message processing during long loops.
class QtPlatform : public QObject,
                   public rz::IDialogs,
                   public rz::IShell,
                   public rz::ISound,
                   public rz::IEvents,
                   public rz::IProcesses {
    Q_OBJECT
public:
    explicit QtPlatform(QObject* parent = nullptr);
    ~QtPlatform() override;

    // The core's services, done with Qt (the clock is the system clock).
    rz::Services services();

    // The windows the services work with; either may be null. The main
    // window must outlive its attachment or be attached anew.
    void attachWindows(WindowHost* mainWindow, Zahlenwahl* numberList);

    // IDialogs
    void message(const std::string& text) override;
    bool question(const std::string& text) override;
    std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                         const std::string& defaultText) override;
    std::optional<std::string> openFile(const rz::FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const rz::FileDialogRequest& request) override;
    rz::ModalResult showNumberList() override;
    // The drawing entry dialog TForm3 of the main window.
    std::optional<rz::DrawingEntry> enterDrawing(const rz::DrawingEntry& initial) override;
    // A question box with its own title; the click-script choice TQCSForm.
    bool askYesNo(const std::string& title, const std::string& text) override;
    std::optional<rz::ScriptChoice> chooseScript(const rz::ScriptChoice& initial) override;

    // IShell: local files through file URLs, web addresses as they are.
    // False when nothing could open it.
    bool open(const std::string& addressOrPath) override;

    // ISound: asynchronous; silent when there is no audio device.
    void play(const std::string& path) override;

    // IEvents
    void processPendingEvents() override;
    void setBusyCursor(bool busy) override;

    // IProcesses: started detached, with the arguments as given (no shell).
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;

private:
    QWidget* dialogParent() const;
    WindowHost* host() const;

    // The main window's widget guards the host: gone with the window.
    WindowHost* host_ = nullptr;
    QPointer<QWidget> mainWindow_;
    QPointer<Zahlenwahl> numberList_;
    QSoundEffect* sound_ = nullptr;
    rz::SystemClock clock_;
    QtCredentialStore credentials_;
    QtMachineSettings machineSettings_;
};
