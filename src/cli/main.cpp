// ruvuzevodare-cli: the headless front over the core.
#include <exception>
#include <iostream>
#include <string>

#include "CliCommon.h"
#include "common/ProgramArgs.h"

namespace {

const char* kUsage =
    "usage: ruvuzevodare-cli COMMAND [options]\n"
    "  import FILE --db DB                       import drawing history (state export or plain CSV)\n"
    "  cart --server ADDRESS --tips FILE.qlt [--count N]   print the cart addresses, open nothing\n"
    "  fill-script --script FILE.qcs --tips FILE.qlt [--set NAME=VALUE]...   print the filled click script\n"
    "  lookup --db DB --date YYYY-MM-DD [--prev N] [--next N] [--lang L]\n"
    "  check --db DB --date YYYY-MM-DD --tips FILE.qlt [--lang L]\n"
    "  stats KIND --db DB [--start YYYY-MM-DD] [--end YYYY-MM-DD] [--lang L]\n"
    "        KIND: frequency overdue megaball megaball-overdue pairs triples quads sums\n"
    "        L: 0 built-in texts (default), 1 de 2 en 3 fr 4 es 5 it 6 ru 7 pt 8 cn, from land/ beside the program\n"
    "  generate --db DB --seed N [--start D] [--end D] [--set NAME=VALUE]... [--change NAME=VALUE]...\n"
    "           [--lock R=F1,...,F7]...\n"
    "  download --db DB --server ADDRESS [--today YYYY-MM-DD]\n"
    "  add --db DB --date YYYY-MM-DD --numbers N1,N2,N3,N4,N5 --megaball M [--megaplier P]\n"
    "  delete --db DB --date YYYY-MM-DD\n"
    "  search --db DB --end D --tips FILE.qlt --threshold N [--start D] [--set Chekcbox31=0|1]\n"
    "  analyse-settings --db DB --from D --seed N [--start D] [--today D] [--set NAME=VALUE]...\n"
    "  analyse-drawings --db DB --from D --threshold N [--start D] [--today D]\n";

} // namespace

int main(int rawArgc, char** rawArgv) {
    rz::ProgramArgs programArgs(rawArgc, rawArgv);
    rz::useBinaryStandardStreams();
    const int argc = programArgs.argc();
    char** argv = programArgs.argv();
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string cmd = argv[1];
    try {
        if (cmd == "lookup")
            return rz::cli::cmdLookup(argc, argv);
        if (cmd == "import")
            return rz::cli::cmdImport(argc, argv);
        if (cmd == "cart")
            return rz::cli::cmdCart(argc, argv);
        if (cmd == "fill-script")
            return rz::cli::cmdFillScript(argc, argv);
        if (cmd == "check")
            return rz::cli::cmdCheck(argc, argv);
        if (cmd == "stats")
            return rz::cli::cmdStats(argc, argv);
        if (cmd == "generate")
            return rz::cli::cmdGenerate(argc, argv);
        if (cmd == "download")
            return rz::cli::cmdDownload(argc, argv);
        if (cmd == "add")
            return rz::cli::cmdAdd(argc, argv);
        if (cmd == "delete")
            return rz::cli::cmdDelete(argc, argv);
        if (cmd == "search")
            return rz::cli::cmdSearch(argc, argv);
        if (cmd == "analyse-settings")
            return rz::cli::cmdAnalyseSettings(argc, argv);
        if (cmd == "analyse-drawings")
            return rz::cli::cmdAnalyseDrawings(argc, argv);
        if (cmd == "--help" || cmd == "-h" || cmd == "help") {
            std::cout << kUsage;
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "ruvuzevodare-cli: unknown command \"" << cmd << "\"\n" << kUsage;
    return 2;
}
