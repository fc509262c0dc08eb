#include "common/UndoStack.h"

#include <utility>

namespace rz {

void UndoStack::push(Step step) {
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    if (topOpen_ && done_ > 0 && !step.mergeKey.empty() && steps_[done_ - 1].mergeKey == step.mergeKey) {
        Step& top = steps_[done_ - 1];
        top.redo = std::move(step.redo);
        top.name = std::move(step.name);
        return;
    }
    steps_.push_back(std::move(step));
    if (steps_.size() > kLimit)
        steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(steps_.size() - kLimit));
    done_ = steps_.size();
    topOpen_ = true;
}

std::string UndoStack::undoName() const {
    return canUndo() && steps_[done_ - 1].name ? steps_[done_ - 1].name() : std::string();
}

std::string UndoStack::redoName() const {
    return canRedo() && steps_[done_].name ? steps_[done_].name() : std::string();
}

void UndoStack::undo() {
    if (!canUndo())
        return;
    topOpen_ = false;
    const std::size_t i = done_ - 1;
    try {
        steps_[i].undo();
    } catch (...) {
        steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(i));
        done_ = i;
        throw;
    }
    done_ = i;
}

void UndoStack::redo() {
    if (!canRedo())
        return;
    topOpen_ = false;
    const std::size_t i = done_;
    try {
        steps_[i].redo();
    } catch (...) {
        steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(i));
        throw;
    }
    done_ = i + 1;
}

void UndoStack::dropGroup(int group) {
    if (group == 0)
        return;
    std::vector<Step> kept;
    std::size_t done = 0;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        if (steps_[i].group == group)
            continue;
        if (i < done_)
            ++done;
        kept.push_back(std::move(steps_[i]));
    }
    steps_ = std::move(kept);
    if (done != done_)
        topOpen_ = false;
    done_ = done;
}

void UndoStack::clear() {
    steps_.clear();
    done_ = 0;
    topOpen_ = false;
}

} // namespace rz
