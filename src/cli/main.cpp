// ruvuzevodare-cli: the headless front over the core.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "CliCommon.h"
#include "common/ProgramArgs.h"

namespace {

using rz::cli::CommandSpec;

// In the order of the usage text.
const CommandSpec* const kCommands[] = {
    &rz::cli::kImportCommand,          &rz::cli::kCartCommand,     &rz::cli::kFillScriptCommand,
    &rz::cli::kLookupCommand,          &rz::cli::kCheckCommand,    &rz::cli::kStatsCommand,
    &rz::cli::kGenerateCommand,        &rz::cli::kDownloadCommand, &rz::cli::kAddCommand,
    &rz::cli::kDeleteCommand,          &rz::cli::kSearchCommand,   &rz::cli::kAnalyseSettingsCommand,
    &rz::cli::kAnalyseDrawingsCommand, &rz::cli::kWhereCommand,   &rz::cli::kWheelCommand,
    &rz::cli::kOddsCommand,
};

std::string usage() {
    std::string text = "usage: ruvuzevodare-cli COMMAND [options]\n"
                       "  (without --db DB: the drawing file the window uses; ruvuzevodare-cli where prints it)\n";
    for (const CommandSpec* c : kCommands)
        text += c->usage;
    return text;
}

// Output that could not be written (a full disk, a closed pipe) is a failure,
// not a success with nothing to show.
int finish(int rc) {
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "ruvuzevodare-cli: cannot write the output\n";
        return rc == 0 ? 1 : rc;
    }
    return rc;
}

} // namespace

int main(int rawArgc, char** rawArgv) {
    rz::ProgramArgs programArgs(rawArgc, rawArgv);
    rz::useBinaryStandardStreams();
    const int argc = programArgs.argc();
    char** argv = programArgs.argv();
    if (argc < 2) {
        std::cerr << usage();
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::cout << usage();
        return finish(0);
    }
    for (const CommandSpec* c : kCommands) {
        if (cmd != c->name)
            continue;
        try {
            return finish(c->run(argc, argv));
        } catch (const std::exception& e) {
            std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
            return finish(1);
        }
    }
    std::cerr << "ruvuzevodare-cli: unknown command \"" << cmd << "\"\n" << usage();
    return 2;
}
