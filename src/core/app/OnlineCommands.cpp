// The online submission: the portal's cart, and the click-script runner that
// hands the tips to the maker's browser-automation program.
#include <filesystem>

#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "common/FileIo.h"
#include "download/Http.h"
#include "online/OnlineFiles.h"
#include "online/OnlineServices.h"
#include "settings/SettingsStore.h"
#include "common/Path.h"

namespace rz {
namespace {

namespace fs = std::filesystem;

// The automation program's values in the per-user store: "Varendo/NAME".
std::string scriptValueName(const char* name) { return std::string(kScriptSettingsGroup) + "/" + name; }

// A text value of the per-user store; a missing value, one of another kind
// and a store that cannot be read all read as empty text.
std::string readStoredText(ISettingsStore* store, const char* name) {
    if (!store)
        return {};
    try {
        return store->readText(scriptValueName(name)).value_or(std::string());
    } catch (const SettingsStoreError&) {
        return {};
    }
}

std::optional<std::string> readUserRobotFolder(ISettingsStore* store) {
    if (!store)
        return std::nullopt;
    try {
        return store->readText(scriptValueName(kRobotPathValueName));
    } catch (const SettingsStoreError&) {
        return std::nullopt;
    }
}

// The values of the dialog as stored: the script and the two numbers and the
// login name in the per-user store, the password in the credential store only.
ScriptChoice readScriptChoice(const Services& s) {
    ScriptChoice c;
    if (s.settings) {
        try {
            s.settings->open();
        } catch (const SettingsStoreError&) {
        }
    }
    c.script = readStoredText(s.settings, kScriptValueName);
    c.zahl1 = readStoredText(s.settings, kZahl1ValueName);
    c.text1 = readStoredText(s.settings, kText1ValueName);
    c.zahl2 = readStoredText(s.settings, kZahl2ValueName);
    if (s.credentials)
        c.text2 = s.credentials->readSecret(kCredentialService, kText2ValueName).value_or(std::string());
    return c;
}

// Keeps the values for the next run. A store that cannot be written loses
// them silently, as the closing window's settings do; without a credential
// store the password is not kept at all.
void writeScriptChoice(const Services& s, const ScriptChoice& c) {
    if (s.settings) {
        try {
            s.settings->open();
            s.settings->writeText(scriptValueName(kScriptValueName), c.script);
            s.settings->writeText(scriptValueName(kZahl1ValueName), c.zahl1);
            s.settings->writeText(scriptValueName(kText1ValueName), c.text1);
            s.settings->writeText(scriptValueName(kZahl2ValueName), c.zahl2);
            s.settings->close();
        } catch (const SettingsStoreError&) {
        }
    }
    if (s.credentials)
        s.credentials->writeSecret(kCredentialService, kText2ValueName, c.text2);
}

} // namespace

// ------------------------------------------------------------------- cart

void MainModel::WarenkorbClick() {
    // The cart waits for the server and between the two carts while the
    // window works on; a second cart or another long command must not run
    // inside it.
    if (operation.running())
        return;
    lastCart = CartResult{};
    const OperationScope scope(operation, OperationKind::Submission);
    CartInput in;
    in.serverAddress = ServerAddress;
    in.proxyHost = ProxyHost;
    in.proxyPort = ProxyPort;
    in.tipCount = Settings.get(Gs::TipCount);
    in.rows = cartRowTexts(tips); // both carts carry the rows as they are now
    in.noticePath = paths().cartNoticeFile();
    in.pauseMs = cartPauseMs;
    CartServices svc;
    svc.http = services().http;
    svc.events = &events();
    svc.shell = &shell();
    svc.stopRequested = [this] { return operation.stopRequested; };
    svc.afterOpen = [this] {
        setStatus(txt(Txt::CartOpened));
        changed();
    };
    lastCart = runCart(in, svc);
    if (!lastCart.message.empty())
        dialogs().message(lastCart.message);
    changed();
}

// ---------------------------------------------------------- click scripts

void MainModel::OnlineTippClick() {
    if (operation.running())
        return;
    const std::string folder = paths().submissionTipsFolder();
    std::error_code ec;
    if (!fs::is_directory(toPath(folder), ec)) {
        fs::create_directories(toPath(folder), ec);
        if (ec)
            throwIoError("Cannot create", folder, ec.value());
    }
    OnlineTipFile = fromPath(toPath(folder) / submissionTipFileName(DatabaseEndDate()));
    tips.WriteTipFile(OnlineTipFile);
    Scriptstart();
    changed();
}

void MainModel::Scriptstart() {
    if (operation.running())
        return;
    lastScriptRun = ScriptRunResult{};
    const OperationScope scope(operation, OperationKind::Submission);
    const Services& svc = services();

    RobotSources sources;
    if (svc.machineSettings)
        sources.machineFolder = svc.machineSettings->readText(kScriptSettingsGroup, kRobotPathValueName);
    sources.userFolder = readUserRobotFolder(svc.settings);
    sources.programFolder = paths().programFolder();
    const std::optional<RobotLocation> robot = locateRobot(sources);
    if (robot)
        lastScriptRun.robot = robot->path;
    if (!robot || !robot->exists) {
        lastScriptRun.end = ScriptRunEnd::RobotMissing;
        if (dialogs().askYesNo(txt(Txt::RobotInstallTitle), txt(Txt::RobotInstallQuestion)) && openInShell(kRobotInstallerUrl))
            lastScriptRun.end = ScriptRunEnd::InstallerOpened;
        return;
    }

    // Installed, the shipped scripts are read-only: the user's own scripts
    // and the updated copies live in the user's folder and take the place
    // of a shipped script of the same name.
    const AppPaths where = paths();
    const std::string ownScripts = where.userClickScriptFolder();
    const std::string shippedScripts = where.clickScriptFolder();
    ScriptChoice initial = readScriptChoice(svc);
    std::error_code ec;
    initial.scriptFolder = fs::is_directory(toPath(ownScripts), ec) ? ownScripts : shippedScripts;
    initial.scripts = listClickScripts(ownScripts, shippedScripts);
    initial.script = initialScript(initial.script, initial.scripts);
    std::optional<ScriptChoice> chosen = dialogs().chooseScript(initial);
    if (!chosen) {
        lastScriptRun.end = ScriptRunEnd::Cancelled;
        return;
    }
    ScriptChoice c = std::move(*chosen);
    if (c.zahl1.empty())
        c.zahl1 = "0";
    if (c.zahl2.empty())
        c.zahl2 = "0";

    // A newer copy of the script on the data server replaces the local one;
    // any failure leaves the local script as it is.
    const std::string url = scriptUpdateUrl(ServerAddress, c.script);
    HttpRequest req;
    std::string ignored;
    if (!url.empty() && fileModifiedSeconds(c.script) && applyRequestSettings(req, ProxyHost, ProxyPort, ignored)) {
        req.url = url;
        const HttpResponse res = fetch(svc.http, events(), req, [this] { return operation.stopRequested; });
        if (IHttp* http = svc.http)
            http->closeConnections();
        lastScriptRun.updateStatus = res.answered() ? res.status : 0;
        if (updateReplacesScript(res, fileModifiedSeconds(c.script))) {
            // A shipped script is updated as the user's copy.
            std::string target = c.script;
            if (ownScripts != shippedScripts && toPath(c.script).parent_path() == toPath(shippedScripts))
                target = fromPath(toPath(ownScripts) / toPath(c.script).filename());
            try {
                fs::create_directories(toPath(target).parent_path(), ec);
                writeFileAtomically(target, res.body);
                c.script = target;
                lastScriptRun.updated = true;
            } catch (const IoError&) {
            }
        }
    }
    if (operation.stopRequested) {
        lastScriptRun.end = ScriptRunEnd::Stopped;
        return;
    }

    writeScriptChoice(svc, c);

    if (!fs::is_regular_file(toPath(c.script), ec)) {
        lastScriptRun.end = ScriptRunEnd::ScriptMissing;
        return;
    }
    const std::string copy = fromPath(toPath(OnlineTipFile).parent_path() / substitutedScriptName(today()));
    writeFileAtomically(copy, filledScriptFile(readWholeFile(c.script), readWholeFile(OnlineTipFile),
                                               scriptFlagsFrom(Settings), OnlineTipFile));
    lastScriptRun.substitutedScript = copy;
    lastScriptRun.arguments = robotArguments(copy, c);
    if (svc.processes->start(robot->path, lastScriptRun.arguments)) {
        lastScriptRun.end = ScriptRunEnd::Started;
    } else {
        lastScriptRun.end = ScriptRunEnd::StartFailed;
        dialogs().message(txt(Txt::RobotNotStarted, {robot->path}));
    }
}

} // namespace rz
