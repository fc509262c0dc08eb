#pragma once
// Click scripts: the tips filled into a copy of a script by placeholder
// substitution, for the maker's browser-automation program that runs it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/Platform.h"
#include "common/Dates.h"

namespace rz {

struct HttpResponse;

inline constexpr const char* kScriptExtension = ".qcs";

// The values of the script choice, kept in the per-user store of the
// automation program ("Varendo"), one value each.
inline constexpr const char* kScriptSettingsGroup = "Varendo";
inline constexpr const char* kScriptValueName = "MegaLottoScript";
inline constexpr const char* kZahl1ValueName = "MegaLottoZahl1";
inline constexpr const char* kText1ValueName = "MegaLottoText1";
inline constexpr const char* kZahl2ValueName = "MegaLottoZahl2";
inline constexpr const char* kText2ValueName = "MegaLottoText2";
// The automation program's installation folder: value "Path" of its
// "Settings" key.
inline constexpr const char* kRobotPathValueName = "Settings/Path";

// The automation program's executable in its folder, and below a "Quendral"
// folder when no installation is recorded.
#if defined(_WIN32)
inline constexpr const char* kRobotExecutable = "Ostrevo.exe";
inline constexpr const char* kRobotBesideProgram = "Ostrevo\\ostrevo.exe";
#else
inline constexpr const char* kRobotExecutable = "ostrevo";
inline constexpr const char* kRobotBesideProgram = "Ostrevo/ostrevo";
#endif
// The first argument of the automation program: run the script.
inline constexpr const char* kRobotStartCommand = "START";
// The installer on the maker's web site.
inline constexpr const char* kRobotInstallerUrl = "https://www.quendral.example/dateien/ostrevop.exe";
inline constexpr const char* kReadyToPlay = "Ready to Play";

// The four yes/no placeholders, decided from the generator settings.
struct ScriptFlags {
    bool dauer = false; // [DAUER]
    bool fr = false;    // [FR]
    bool di = false;    // [DI]
    bool difr = false;  // [DIFR]
};
class GeneratorSettings;
// [DAUER] follows PreferPairs, [FR] MaxOverlapEnabled, [DI] PreferFrequent,
// [DIFR] both PreferFrequent and MaxOverlapEnabled.
ScriptFlags scriptFlagsFrom(const GeneratorSettings& settings);

// The tip file of a submission: "yyyymmdd.qlt" for the database end date
// plus seven days, rounded to a whole day.
std::string submissionTipFileName(DayNumber databaseEndDate);
// The substituted copy: today's date "yyyymmdd.qcs".
std::string substitutedScriptName(DayNumber today);

// Every placeholder replaced, in this order: the tips of each line of the
// tip file ([Zk_r], [S1_r], [S2_r]; lines the file does not have up to 12
// give empty text), [DAUER], [FR], [DI], [DIFR], [MELDUNGFERTIG], then
// [TIPPDATEI]. Replacement is case-sensitive and never rescans inserted text.
std::string fillClickScript(const std::string& script, const std::vector<std::string>& tipLines,
                            const ScriptFlags& flags, const std::string& tipFilePath);

// The filled copy as its file holds it: the script's and the tip file's bytes
// decoded (a byte order mark decides, else UTF-8 when valid, else the 8-bit
// Western code page), filled as above, every line ended by CR LF, and encoded
// in the system's 8-bit form (UTF-8 here; characters outside Windows-1252 do
// not survive on Windows).
std::string filledScriptFile(const std::string& scriptBytes, const std::string& tipFileBytes,
                             const ScriptFlags& flags, const std::string& tipFilePath);

// The full paths of the "*.qcs" files in `folder` (the extension in any case;
// folders skipped), sorted by name so that the list is the same on every
// run. Empty when the folder does not exist.
std::vector<std::string> listClickScripts(const std::string& folder);
// The scripts of both folders, sorted by name; a script in `own` takes the
// place of the one of the same name in `shipped` (an installed program: the
// user's own scripts and updated copies beside the read-only shipped ones).
std::vector<std::string> listClickScripts(const std::string& own, const std::string& shipped);
// The script shown when the dialog opens: the remembered one, or the last of
// the list when none is remembered.
std::string initialScript(const std::string& remembered, const std::vector<std::string>& scripts);

// Where the automation program is looked for. A recorded installation counts
// only when its folder is not empty.
struct RobotSources {
    std::optional<std::string> machineFolder; // recorded for every user of the machine
    std::optional<std::string> userFolder;    // recorded for this user
    std::string programFolder;                // with its trailing separator
};
// The executable to start, and whether it is there. nullopt when no
// installation is recorded and none is found beside the program.
struct RobotLocation {
    std::string path;
    bool exists = false;
};
std::optional<RobotLocation> locateRobot(const RobotSources& sources);
// The candidate in the first folder named "Quendral" (without regard to
// case) on the program's path; with `upperCase`, as on Windows, the path is
// taken in upper case. The program's own folder when it does not live below
// such a folder.
std::string robotBesideProgram(const std::string& programFolder, bool upperCase, const std::string& executable);

// The address of a script's update on the data server: "/scripts/" + the
// script's file name + ".txt", the name percent-encoded. Empty when the
// server address cannot carry a request.
std::string scriptUpdateUrl(const std::string& serverAddress, const std::string& scriptPath);

// Whether an update answer replaces the local script: an answer with status
// 200 and a Last-Modified time later than the local file's modification time
// (nullopt: no local file, which is never replaced), from a ".txt" address
// (not redirected to some other page).
bool updateReplacesScript(const HttpResponse& response, std::optional<std::int64_t> localModified);

// How a run of the click-script runner ended.
enum class ScriptRunEnd {
    None,
    RobotMissing,    // the install question was answered "no"
    InstallerOpened, // ... "yes": the installer's address went to the shell
    Cancelled,       // the script choice was cancelled
    Stopped,         // the window closed meanwhile
    ScriptMissing,   // the chosen script does not exist: a silent end
    Started,         // the automation program was started
    StartFailed,     // it could not be started
};

struct ScriptRunResult {
    ScriptRunEnd end = ScriptRunEnd::None;
    std::string robot;                  // the executable looked for
    int updateStatus = 0;               // status of the script update's answer (0: none)
    bool updated = false;               // the server's copy replaced the script
    std::string substitutedScript;      // the filled copy in "Tipps"
    std::vector<std::string> arguments; // of the automation program
};

// The arguments of the automation program: "START", the script, ZAHL1,
// TEXT1, ZAHL2, TEXT2, each one argument as it is.
std::vector<std::string> robotArguments(const std::string& scriptPath, const ScriptChoice& choice);

} // namespace rz
