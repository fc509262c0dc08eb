#pragma once
// A linear history of steps that can be taken back and done again: the
// window's Edit menu shows the names of the next undo and redo and calls
// undo() and redo(). Every step restores a state of its own (a copy of the
// tip rows, the records of one date), so a step that fails (its file has
// changed since) can be dropped without breaking the steps around it.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace rz {

class UndoStack {
public:
    struct Step {
        // The step's name in the language on display now ("delete drawing of 8/7/2026").
        std::function<std::string()> name;
        std::function<void()> undo;
        std::function<void()> redo;
        // Steps a change from elsewhere can make void come in groups
        // (dropGroup); 0 belongs to no group.
        int group = 0;
        // A step pushed while the top step is open and has the same
        // non-empty key is merged into it (typing into one row is one step).
        std::string mergeKey;
    };

    // The oldest steps go when the history holds more.
    static constexpr std::size_t kLimit = 100;

    // Adds a step that has just been done; the steps that could be redone are
    // gone. A step with the open top step's key merges into it: the top keeps
    // its undo and takes the new step's redo.
    void push(Step step);
    // The top step takes no more merges.
    void closeTop() { topOpen_ = false; }

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Names of the step undo() and redo() would take; empty when there is none.
    std::string undoName() const;
    std::string redoName() const;

    // Takes the last done step back / does the next undone step again. When
    // the step throws, it is dropped from the history (the steps before and
    // after it stay) and the exception goes on to the caller.
    void undo();
    void redo();

    // Drops every step of the group, done or undone.
    void dropGroup(int group);
    void clear();

    std::size_t size() const { return steps_.size(); }
    std::size_t doneCount() const { return done_; }

private:
    std::vector<Step> steps_; // [0, done_) done, [done_, size) undone
    std::size_t done_ = 0;
    bool topOpen_ = false;
};

} // namespace rz
