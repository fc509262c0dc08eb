// ruvuzevodare-cli: the headless front over the core.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

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

// What each command does, for the manual page; a command without a line
// here still gets its synopsis from its own usage text.
const std::pair<const char*, const char*> kCommandSummaries[] = {
    {"import", "Imports drawing history: the State's open-data export or a plain CSV "
               "(date,n1,n2,n3,n4,n5,megaball,megaplier with ISO dates). A stored date is replaced; lines that "
               "are not drawings (a number outside the game's range on that date, a date after today, ...) are "
               "skipped and listed. A failed import changes nothing and says why on standard error."},
    {"cart", "Prints the addresses of the portal's cart for the rows of a tip file; nothing is opened."},
    {"fill-script", "Prints the click script with the rows of a tip file filled in."},
    {"lookup", "The drawing on or after the date, then N steps back or forth. A file that is no drawing "
               "database is an error."},
    {"check", "Checks the rows of a tip file against the drawing of that date. A file that is no tip file is "
              "refused and nothing is checked."},
    {"stats", "A statistic of the drawings in the window."},
    {"generate", "Computes tip rows as the window's run does, with a fixed random seed."},
    {"download", "Appends the drawings after the last stored one from a data server or a CSV export."},
    {"add", "Enters or corrects one drawing. The numbers must lie in the game's ranges on that date (the "
            "MegaBall 1 to 24 since 8 April 2025); a date after today is refused."},
    {"delete", "Deletes the drawing of that date."},
    {"search", "The tip search over the history."},
    {"analyse-settings", "The historic analysis of the generator settings; the report goes to standard output."},
    {"analyse-drawings", "The historic analysis of the drawings; the report goes to standard output."},
    {"where", "Prints the layout (portable or installed), the drawing file, the user's folder and the folder of "
              "the shipped files."},
    {"wheel", "Builds a wheel: rows over the chosen numbers that keep the guarantee T if P (some row has T "
              "right when P of the drawn numbers are among them), then its odds."},
};

// Text for a manual page line: backslashes and minus signs escaped, a line
// that would begin with a control character protected.
std::string roff(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

// The manual page ruvuzevodare-cli(1), made from the table of commands so
// that it lists every command with the options its usage text names.
std::string manualPage() {
    std::string page =
        ".TH RUVUZEVODARE-CLI 1 \"December 2026\" \"RuvuZevodare " RZ_PROGRAM_VERSION "\" \"User Commands\"\n"
        ".SH NAME\n"
        "ruvuzevodare-cli \\- the RuvuZevodare tip program on the command line\n"
        ".SH SYNOPSIS\n"
        ".B ruvuzevodare-cli\n"
        ".I command\n"
        ".RI [ options ]\n"
        ".SH DESCRIPTION\n"
        ".B ruvuzevodare-cli\n"
        "runs the functions of the RuvuZevodare window without a window: it imports and\n"
        "looks up Mega Millions drawings, checks tip files against a drawing, prints\n"
        "statistics of the history, generates tip rows, searches tips and analyses\n"
        "settings and drawings of the past, downloads new drawings from a data server,\n"
        "builds wheels and prints the addresses and click scripts of the online submission.\n"
        ".PP\n"
        "Every command that works on a drawing file takes\n"
        ".BI \\-\\-db \" FILE\".\n"
        "Without it the command uses the drawing file the window uses (see\n"
        ".BR FILES );\n"
        ".B ruvuzevodare-cli where\n"
        "prints which one that is.\n"
        ".SH COMMANDS\n";
    for (const CommandSpec* c : kCommands) {
        // The usage text: the synopsis, then (after three blanks or more, or
        // on continuation lines) its own remarks.
        std::string synopsis;
        std::vector<std::string> remarks;
        std::string usageText = c->usage;
        std::size_t at = 0;
        bool first = true;
        while (at < usageText.size()) {
            std::size_t end = usageText.find('\n', at);
            if (end == std::string::npos)
                end = usageText.size();
            std::string line = usageText.substr(at, end - at);
            at = end + 1;
            line.erase(0, line.find_first_not_of(' '));
            const std::size_t gap = line.find("   ");
            std::string remark;
            if (gap != std::string::npos) {
                remark = line.substr(line.find_first_not_of(' ', gap));
                line.erase(gap);
            }
            const bool continuation = !first && line.rfind("[", 0) == 0;
            if (first || continuation)
                synopsis += (synopsis.empty() ? "" : " ") + line;
            else if (!line.empty())
                remarks.push_back(line);
            if (!remark.empty())
                remarks.push_back(remark);
            first = false;
        }
        page += ".TP\n.B " + roff(synopsis) + "\n";
        bool described = false;
        for (const auto& [name, summary] : kCommandSummaries)
            if (std::string(name) == c->name) {
                page += roff(summary) + "\n";
                described = true;
            }
        for (const std::string& r : remarks) {
            // A remark that only repeats the summary's start in lower case is left out.
            if (described && r.find("KIND") == std::string::npos && r.find("L:") == std::string::npos)
                continue;
            page += (described ? ".br\n" : "") + roff(r) + "\n";
            described = true;
        }
    }
    page +=
        ".TP\n.B help\n.TQ\n.B \\-\\-help\nLists the commands and their options; "
        ".BI \"ruvuzevodare-cli \" command \" \\-\\-help\"\nshows one command's options.\n"
        ".TP\n.B \\-\\-version\nPrints the program's version.\n"
        ".PP\n"
        ".BI \\-\\-lang \" L\"\n"
        "takes texts from the shipped language files: 0 the built-in texts (the\n"
        "default), 1 German, 2 English, 3 French, 4 Spanish, 5 Italian, 6 Russian,\n"
        "7 Portuguese, 8 Chinese.\n"
        ".SH FILES\n"
        "When a file can be created in the folder of the executable, the program is\n"
        "portable and keeps its drawing file\n"
        ".I Ruvuzevodare.dat\n"
        "beside itself. Installed (the folder of the executable is read-only) the drawing\n"
        "file lives in the user's data folder,\n"
        ".IR $XDG_DATA_HOME/Quendral/RuvuZevodare/\n"
        "(by default\n"
        ".IR ~/.local/share/Quendral/RuvuZevodare/ ),\n"
        "and the shipped files (language files, the drawing history) are read from\n"
        ".IR /usr/share/ruvuzevodare/ .\n"
        "When that drawing file does not exist yet, the window's first start or the first\n"
        "command without\n"
        ".B \\-\\-db\n"
        "creates it from the shipped history.\n"
        ".SH EXIT STATUS\n"
        "0 on success, 1 when a file could not be read or written or is not what the\n"
        "command needs, 2 for wrong arguments.\n"
        ".SH SEE ALSO\n"
        ".BR RuvuZevodare (1),\n"
        ".BR ruvuzevodare-server (1)\n";
    return page;
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
    if (cmd == "--write-manpage" && argc == 2) { // for the build, not listed
        std::cout << manualPage();
        return finish(0);
    }
    if (cmd == "--version") {
        std::cout << "ruvuzevodare-cli " << RZ_PROGRAM_VERSION << "\n";
        return finish(0);
    }
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        std::cout << usage();
        return finish(0);
    }
    for (const CommandSpec* c : kCommands) {
        if (cmd != c->name)
            continue;
        try {
            return finish(c->run(argc, argv));
        } catch (const rz::Failure& f) {
            return finish(rz::cli::reportFailure(f));
        } catch (const std::exception& e) {
            std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
            return finish(1);
        }
    }
    std::cerr << "ruvuzevodare-cli: unknown command \"" << cmd << "\"\n" << usage();
    return 2;
}
