// The reports and small texts of the two historic analyses; the commands
// themselves (the passes, the questions, the stop) are in app/AnalysisCommands.cpp.
#include "evaluation/HistoricAnalysis.h"

#include <limits>

#include "common/ProgramTexts.h"

namespace rz {

// ------------------------------------------------------------------ reports

std::string settingsAnalysisReport(const MessageTable& t, const HitClassTable& sums, std::int32_t passes,
                                   std::int32_t tipCount) {
    const std::string crlf = "\r\n";
    std::string s;
    s += t.line(Msg::ReportSettingsBrought) + "\n" + crlf;
    s += t.line(Msg::ReportCountWithout) + " " + t.line(Msg::Powerball) + "\t" + "1x " + t.line(Msg::Powerball) + crlf;
    for (int k = 0; k <= 5; ++k) {
        const auto& row = sums[static_cast<std::size_t>(k)];
        s += std::to_string(k) + "x" + "\t" + "=> " + std::to_string(row[0]) + "\t" + "\t" + "=> " +
             std::to_string(row[1]) + crlf;
    }
    const std::int64_t rows = static_cast<std::int64_t>(passes) * tipCount;
    s += "\n" + t.line(Msg::Drawings) + ": " + std::to_string(passes) + t.line(Msg::ReportWithEach) + " " + std::to_string(tipCount) +
         t.line(Msg::Tip) + " => " + std::to_string(rows) + " " + t.line(Msg::Rows) + crlf;
    return s;
}

std::string drawingAnalysisReport(const MessageTable& t, const HitHistogram& earlier, const HitHistogram& next) {
    const std::string crlf = "\r\n";
    std::string s;
    s += t.line(Msg::ReportHitsInDatabase) + crlf;
    for (int k = 0; k <= 5; ++k)
        s += std::to_string(k) + "    =>" + std::to_string(earlier[static_cast<std::size_t>(k)]) + crlf;
    s += " " + crlf;
    s += t.line(Msg::ReportHitsNextDrawing) + crlf;
    for (int k = 0; k <= 5; ++k)
        s += std::to_string(k) + "    =>" + std::to_string(next[static_cast<std::size_t>(k)]) + crlf;
    return s;
}

std::string stoppedReportLine() {
    return txt(Txt::AnalysisEndedEarly) + "\r\n";
}

std::string analysisProgress(std::int32_t pass, std::int32_t estimate, DayNumber date, int language) {
    if (estimate < pass)
        estimate = pass;
    return txt(Txt::AnalysisPass, {std::to_string(pass), std::to_string(estimate), formatShortDate(date, language)});
}

std::string notAnIntegerMessage(const std::string& text) {
    return txt(Txt::NotAnInteger, {text});
}

} // namespace rz
