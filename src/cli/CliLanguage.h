#pragma once
#include "CliCommon.h"

namespace rz::cli {

// The folder of the running program (AppPaths decides from it where the
// files live).
std::string executableDirectory(const char* argv0);

// --lang N: 0 (the default) keeps the built-in texts; 1..8 takes captions,
// titles and messages from that language's files beside the program, as the
// language menu does. Returns false with the exit code when the command must
// end: 2 for a bad number, 1 when a language file cannot be read. Missing
// files are reported on stderr and leave the built-in texts.
bool applyLanguageOption(MainModel& model, const Args& args, const char* argv0, int& exitCode);

// The same into plain language texts (the services' language).
bool applyLanguageOption(LanguageTexts& texts, const Args& args, const char* argv0, int& exitCode);

// The same for a command without a main model of its own: the program's own
// texts (status texts, errors) of the language stay for the command's run.
bool applyLanguageOnly(const Args& args, const char* argv0, int& exitCode);

} // namespace rz::cli
