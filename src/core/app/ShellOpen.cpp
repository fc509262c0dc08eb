// The shell's "open" action with its failure reported.
#include "app/MainModel.h"

namespace rz {

bool MainModel::openInShell(const std::string& addressOrPath) {
    if (shell().open(addressOrPath))
        return true;
    dialogs().message("\"" + addressOrPath + "\" kann nicht geöffnet werden: kein Programm dafür gefunden.");
    return false;
}

} // namespace rz
