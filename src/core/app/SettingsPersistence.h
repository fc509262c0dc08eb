#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rz {

class ISettingsStore;
class MainModel;

// Reads every stored setting into the model, in groups: within a group the
// first value that cannot be read ends the group and the values after it
// keep their designed state. Never throws; a store that cannot be opened
// counts as an empty one.
void loadSettings(MainModel& model, ISettingsStore& store);

// Writes every setting back. The first failure silently ends the saving:
// what was written stays, the rest keeps what the store held before.
void saveSettings(const MainModel& model, ISettingsStore& store);

// The tip fields (row 1..12, field 1..7) in the ascending order of the
// numbers in their names ("Edit1" ... "Edit104"), the order of loading.
const std::vector<std::pair<int, int>>& tipFieldsInNameOrder();

// The wheel dialog's ticked numbers as stored ("4,17,23", ascending), and
// back: nullopt for a text that is not such a list (at most 30 different
// numbers of 1..70).
std::string wheelNumbersText(const std::vector<int>& numbers);
std::optional<std::vector<int>> wheelNumbersFromText(const std::string& text);

} // namespace rz
