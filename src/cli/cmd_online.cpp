// cart and fill-script: the online submission without a browser or robot.
#include <filesystem>
#include <iostream>

#include "CliCommon.h"
#include "common/Path.h"
#include "CliLanguage.h"
#include "common/Text.h"
#include "net/BlockingHttp.h"
#include "online/Cart.h"
#include "online/ClickScript.h"
#include "common/FileIo.h"

namespace rz::cli {
namespace {

// Reads a tip file into the rows as the load command does (every field passes
// its check). Returns false with a message.
bool readTips(const std::string& path, TipSet& tips, std::string& error) {
    error = tipFileProblem(path);
    if (!error.empty())
        return false;
    try {
        tips.ReadTipFile(path);
    } catch (const IoError& e) {
        error = e.what();
        return false;
    }
    return true;
}

} // namespace

int cmdCart(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kCartCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.has("server") || !args.has("tips"))
        return usageError("cart needs --server ADDRESS --tips FILE.qlt [--count N]");
    if (int rc = 0; !applyLanguageOnly(args, argv[0], rc))
        return rc;
    CartInput input;
    input.serverAddress = args.get("server");
    if (args.has("count")) {
        std::int32_t n = 0;
        if (!tryParseInt(args.get("count"), n) || n < 1 || n > 12)
            return usageError("--count needs a number 1..12: " + args.get("count"));
        input.tipCount = n;
    }
    TipSet tips;
    if (!readTips(args.get("tips"), tips, error)) {
        std::cerr << "ruvuzevodare-cli: " << error << "\n";
        return 1;
    }
    input.rows = cartRowTexts(tips);
    input.pauseMs = 0; // nothing is opened, so there is nothing to wait for

    BlockingHttp http;
    NullPlatform quiet; // events and a shell that opens nothing
    const CartResult r = runCart(input, CartServices{&http, &quiet, &quiet, {}, {}});
    switch (r.end) {
    case CartEnd::Opened:
        for (const std::string& url : r.opened)
            std::cout << url << "\n";
        return 0;
    case CartEnd::Notice:
        std::cerr << "ruvuzevodare-cli: the data server sent a notice instead of a cart base (status " << r.status
                  << ")\n";
        return 0;
    default:
        std::cerr << "ruvuzevodare-cli: " << r.message << "\n";
        return 1;
    }
}

int cmdFillScript(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kFillScriptCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.has("script") || !args.has("tips"))
        return usageError("fill-script needs --script FILE.qcs --tips FILE.qlt [--set NAME=VALUE]...");
    LanguageTexts language;
    GeneratorSettings settings;
    if (int rc = 0; !applyLanguageOption(language, args, argv[0], rc))
        return rc;
    if (!applySettingOptions(settings, args, error))
        return usageError(error);

    namespace fs = std::filesystem;
    const std::string tipsPath = fromPath(fs::absolute(toPath(args.get("tips"))).lexically_normal());
    std::string script, tipFile;
    try {
        script = readWholeFile(args.get("script"));
        tipFile = readWholeFile(tipsPath);
    } catch (const IoError& e) {
        std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
        return 1;
    }
    std::cout << filledScriptFile(script, tipFile, scriptFlagsFrom(settings), tipsPath);
    return 0;
}

const CommandSpec kCartCommand{"cart", cmdCart,
    "  cart --server ADDRESS --tips FILE.qlt [--count N] [--lang L]   print the cart addresses, open nothing\n",
    {"server", "tips", "count", "lang"}, 0};

const CommandSpec kFillScriptCommand{"fill-script", cmdFillScript,
    "  fill-script --script FILE.qcs --tips FILE.qlt [--set NAME=VALUE]... [--lang L]   print the filled click script\n",
    {"script", "tips", "set", "lang"}, 0};

} // namespace rz::cli
