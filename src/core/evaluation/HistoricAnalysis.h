#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "services/MessageTable.h"
#include "common/Dates.h"

namespace rz {

// Hit classes summed over the passes of the settings analysis: row = main
// numbers hit (0..6), column 0 = without, 1 = with the MegaBall, 2 = unused.
using HitClassTable = std::array<std::array<std::int32_t, 3>, 7>;
// Drawing analysis: entry k counts comparisons that share k main numbers.
using HitHistogram = std::array<std::int32_t, 7>;

// The report of the settings analysis, CR LF after every line. The first line
// carries a bare line feed after its text, and so does the start of the last.
std::string settingsAnalysisReport(const MessageTable& texts, const HitClassTable& sums, std::int32_t passes,
                                   std::int32_t tipCount);

// The report of the drawing analysis, CR LF after every line.
std::string drawingAnalysisReport(const MessageTable& texts, const HitHistogram& earlier, const HitHistogram& next);

// The last line of a report whose analysis the user stopped.
std::string stoppedReportLine();

// Status text while an analysis runs: "Durchlauf 12 von etwa 470, 26.03.2021".
std::string analysisProgress(std::int32_t pass, std::int32_t estimate, DayNumber date, int language);

// The report for a text that should have been a whole number.
std::string notAnIntegerMessage(const std::string& text);

} // namespace rz
