#pragma once
#include <optional>
#include <string>

#include "app/Platform.h"

namespace rz {

// Ranges of the fields of the drawing entry dialog.
struct EntryRange {
    int lo, hi;
};
inline constexpr EntryRange kEntryMainRange{1, 70};
inline constexpr EntryRange kEntryMegaBallRange{1, 25};
inline constexpr EntryRange kEntryMegaplierRange{0, 5};

// Why an entry cannot be stored, or nullopt when it can: every main number in
// its range and no main number twice, MegaBall and Megaplier in their ranges.
std::optional<std::string> entryError(const DrawingEntry& entry);

// The bundled history beside the program, relative to the program folder.
inline constexpr const char* kBundledHistoryFile = "history/megamillions.csv";

} // namespace rz
