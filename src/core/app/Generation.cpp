// A generation run over plain data: the generator's host is this service.
#include "app/Generation.h"

#include "common/Round.h"

namespace rz {

Generation::Generation(const MessageTable& messages, GeneratorSettings& settings, TipSet& tips, Rng& rng,
                       const RecordSnapshot& records, const GenerationStart& start, NumberList& numberList,
                       IDialogs& dialogs, IEvents& events, const CurrentOperation& operation,
                       GenerationObserver& observer)
    : messages_(messages), settings_(settings), tips_(tips), records_(records), numberList_(numberList),
      dialogs_(dialogs), events_(events), operation_(operation), observer_(observer),
      statisticsStart_(start.statisticsStart), endDate_(start.endDate), drawing_(start.drawing),
      attemptBudget_(settings.get(Gs::MaxRunsThousands) * 1000),
      generator_(static_cast<GenerationHost&>(*this), settings, tips, rng, attempts_, attemptBudget_) {}

std::optional<CaptionVariant> Generation::lookUpEndDate(const RecordSnapshot& records, DatePicker& endDate,
                                                        CurrentDrawing& drawing) {
    const auto shown = DrawingNavigator::lookup(records, static_cast<DayNumber>(Round(endDate.date)), drawing);
    if (!endDate.setDate(drawing.Datum1)) {
        endDate.date = endDate.minDate;
        drawing.Datum1 = endDate.date;
    }
    return shown;
}

const StatisticsTable& Generation::statisticsTable(StatisticsKind kind) {
    const StatisticsCount c =
        StatisticsCounter(messages_).count(kind, records_, StatisticsWindow{statisticsStart_, endDate_.date});
    if (c.lastDrawing)
        for (std::size_t k = 1; k <= 8; ++k)
            drawing_.Zahl[k] = (*c.lastDrawing)[k];
    table_ = c.table;
    observer_.counted(kind, c);
    return table_;
}

void Generation::showEndDateDrawing(DayNumber endDate) {
    endDate_.setDateOrEarliest(endDate);
    lookUpEndDate(records_, endDate_, drawing_);
    observer_.endDateLookedUp(endDate);
}

GenerationResult Generation::run() {
    // The settings the run eases near the end of its budget come back however it ends.
    struct Restore {
        GeneratorSettings& s;
        const int forcePair = s.get(Gs::ForcePair);
        const int maxHitsLast1 = s.get(Gs::MaxHitsLast1);
        const int maxHitsLast2 = s.get(Gs::MaxHitsLast2);
        const int excludeDbClass = s.get(Gs::ExcludeDbClass);
        ~Restore() {
            s.set(Gs::ForcePair, forcePair);
            s.set(Gs::MaxHitsLast1, maxHitsLast1);
            s.set(Gs::MaxHitsLast2, maxHitsLast2);
            s.set(Gs::ExcludeDbClass, excludeDbClass);
        }
    } restore{settings_};

    GenerationResult result;
    generator_.captureLastDrawings();
    tips_.ClearUnlockedRows();
    observer_.repaint();
    if (!generator_.BuildCandidatePool()) {
        result.cancelled = true;
        result.drawing = drawing_;
        result.endDate = endDate_;
        return result;
    }
    observer_.status(text(Msg::CalculationStart));
    attempts_ = 0;
    // Fewer than five different numbers can never complete a tip.
    result.poolUsable = generator_.pool.distinctNumbers() >= 5;
    generator_.rowLoop(result.poolUsable);
    result.check = checkAllRows(tips_, drawing_, result.lastChecked);
    observer_.busy(false);
    result.attempts = attempts_;
    result.endMessage =
        (result.poolUsable && attempts_ < attemptBudget_) ? Msg::TipsRecalculated : Msg::ChangeParameters;
    observer_.status(text(result.endMessage));
    result.drawing = drawing_;
    result.endDate = endDate_;
    return result;
}

} // namespace rz
