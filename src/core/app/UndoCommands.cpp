// The Edit menu: the undo history of the tip rows and of the drawing file's
// entries and deletes (common/UndoStack.h holds the steps).
#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "database/Maintenance.h"

namespace rz {
namespace {

// A caption without its accelerator, for a message: "(&U)" at the end of a
// Chinese caption goes whole, elsewhere the "&".
std::string withoutAccelerator(std::string s) {
    if (const auto p = s.find("(&"); p != std::string::npos && p + 3 < s.size() && s[p + 3] == ')') {
        s.erase(p, 4);
        return s;
    }
    if (const auto p = s.find('&'); p != std::string::npos)
        s.erase(p, 1);
    return s;
}

} // namespace

MainModel::TipValues MainModel::tipValues() const {
    TipValues v{};
    for (int r = 1; r <= TipSet::kRows; ++r)
        for (int k = 1; k <= TipSet::kFields; ++k)
            v[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = tips.get(r, k);
    return v;
}

void MainModel::restoreTipValues(const TipValues& values) {
    for (int r = 1; r <= TipSet::kRows; ++r) {
        tips.resetDisplay(r);
        for (int k = 1; k <= TipSet::kFields; ++k)
            tips.set(r, k, values[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)]);
    }
    Komplettcheck();
    changed();
}

TipUndoScope::TipUndoScope(MainModel& m, std::function<std::string()> name, std::string mergeKey)
    : m_(m), name_(std::move(name)), mergeKey_(std::move(mergeKey)), before_(m.tipValues()),
      outermost_(m.tipUndoDepth++ == 0) {}

TipUndoScope::~TipUndoScope() {
    --m_.tipUndoDepth;
    if (!outermost_)
        return;
    try {
        MainModel::TipValues after = m_.tipValues();
        if (after == before_)
            return;
        MainModel& m = m_;
        UndoStack::Step step;
        step.name = name_;
        step.undo = [&m, before = before_] { m.restoreTipValues(before); };
        step.redo = [&m, after = std::move(after)] { m.restoreTipValues(after); };
        step.mergeKey = mergeKey_;
        m_.undoStack.push(std::move(step));
    } catch (...) {
        // Without memory for the step the change simply cannot be taken back.
    }
}

std::string MainModel::undoCaption() const {
    const std::string name = undoStack.undoName();
    return name.empty() ? txt(Txt::UndoNothing) : txt(Txt::UndoCaption, {name});
}

std::string MainModel::redoCaption() const {
    const std::string name = undoStack.redoName();
    return name.empty() ? txt(Txt::RedoNothing) : txt(Txt::RedoCaption, {name});
}

void MainModel::Rueckgaengig1Click() {
    if (!canUndo())
        return;
    const std::string caption = withoutAccelerator(undoCaption());
    try {
        undoStack.undo();
    } catch (const DrawingFileChanged&) {
        dialogs().message(txt(Txt::UndoFileChanged, {caption}));
    }
    changed();
}

void MainModel::Wiederholen1Click() {
    if (!canRedo())
        return;
    const std::string caption = withoutAccelerator(redoCaption());
    try {
        undoStack.redo();
    } catch (const DrawingFileChanged&) {
        dialogs().message(txt(Txt::UndoFileChanged, {caption}));
    }
    changed();
}

} // namespace rz
