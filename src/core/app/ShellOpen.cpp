// The shell's "open" action with its failure reported.
#include "app/MainModel.h"
#include "common/ProgramTexts.h"

namespace rz {

bool MainModel::openInShell(const std::string& addressOrPath) {
    if (shell().open(addressOrPath))
        return true;
    dialogs().message(txt(Txt::NoProgramToOpen, {addressOrPath}));
    return false;
}

} // namespace rz
