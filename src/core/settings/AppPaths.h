#pragma once
// Where the program's files live.
//
// Two layouts, one rule: when a file can be created in the executable's
// folder the program is *portable* and keeps everything beside itself (the
// build folder, a copied folder, the Windows layout). Otherwise it is
// *installed*: the user's files live in the user's data folder and the files
// that ship with the program are read from the installed share folder
// (`share/ruvuzevodare/` beside `bin/`).
//
// Every caller asks this one service; nobody builds a path from the program
// folder on its own.
#include <functional>
#include <optional>
#include <string>

namespace rz {

// The folder of the shipped files below the installation prefix.
inline constexpr const char* kInstalledDataFolder = "share/ruvuzevodare";
// The user's data folder below the system's per-user data location.
inline constexpr const char* kUserDataSubfolder = "Quendral/RuvuZevodare";
inline constexpr const char* kDrawingFileName = "Ruvuzevodare.dat";
// Folders of the click scripts and of the tips handed to a portal.
inline constexpr const char* kScriptFolder = "Script";
inline constexpr const char* kTipsFolder = "Tipps";
// A notice of the data server for the user, saved and opened after a cart.
inline constexpr const char* kNoticeFileName = "Meldung.htm";

enum class AppLayout { Portable, Installed };

class AppPaths {
public:
    // Whether a file can be created in a folder: tried for real, because
    // permission bits say nothing for root or on some file systems.
    using WritableProbe = std::function<bool(const std::string& folder)>;
    // Reads an environment variable; nullopt when it is not set.
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    // Every file in one folder: the portable layout (also what a test or the
    // command line's --db folder uses).
    AppPaths() = default;
    explicit AppPaths(const std::string& folder);
    // The installed layout: the user's files in userFolder, the shipped ones
    // in dataFolder.
    AppPaths(const std::string& programFolder, const std::string& userFolder, const std::string& dataFolder);

    // Decides the layout for the program in programFolder.
    static AppPaths detect(const std::string& programFolder, const WritableProbe& probe = canCreateFileIn,
                           const Environment& env = processEnvironment);

    static bool canCreateFileIn(const std::string& folder);
    static std::optional<std::string> processEnvironment(const char* name);
    // The user's data folder: $XDG_DATA_HOME (or ~/.local/share) +
    // "/Quendral/RuvuZevodare"; on Windows %APPDATA% + "\Quendral\RuvuZevodare".
    // With a trailing separator; empty when neither variable is set.
    static std::string userDataFolder(const Environment& env = processEnvironment);

    AppLayout layout() const { return layout_; }
    bool installed() const { return layout_ == AppLayout::Installed; }
    // Each folder with its trailing separator.
    const std::string& programFolder() const { return program_; }
    const std::string& userFolder() const { return user_; } // the user's files, writable
    const std::string& dataFolder() const { return data_; } // the shipped files, read-only

    // Creates the user's folder when it is missing (installed layout).
    // Throws IoError when it cannot be created.
    void prepareUserFolder() const;

    // ---- the user's files
    std::string drawingFile() const { return user_ + kDrawingFileName; }
    std::string reportFile() const { return user_ + "Test.rtf"; }
    std::string printoutFile() const { return user_ + "Tipp.txt"; }
    std::string cartNoticeFile() const;
    std::string submissionTipsFolder() const; // "Tipps": tip files and filled script copies
    std::string userClickScriptFolder() const; // "Script": the user's own scripts and updated copies

    // ---- the shipped files
    std::string languageFolder() const;       // "land", with trailing separator
    std::string bundledHistoryFile() const;   // "history/megamillions.csv"
    std::string soundFile(const std::string& name) const { return data_ + name; }
    std::string clickScriptFolder() const;    // "Script"
    std::string qtTranslationsFolder() const; // "translations" (Qt's own, of a bundled install)
    // The short manual in a language ("en", "de", ...): "help/manual_en.html".
    std::string manualFile(const std::string& languageCode) const;

private:
    AppLayout layout_ = AppLayout::Portable;
    std::string program_;
    std::string user_;
    std::string data_;
};

} // namespace rz
