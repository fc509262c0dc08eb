// The generation run: the last drawings, the MegaBall choice and the row loop.
#include "generator/Generator.h"

#include <algorithm>

#include "common/Round.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "generator/MegaBallRange.h"

namespace rz {

// ------------------------------------------------------- last drawings

// The drawing for the end date and two steps back, as the lookup and the
// "previous drawing" command find them; then the window shows the drawing
// for the end date again.
void Generator::captureLastDrawings() {
    auto copy = [](PastDrawing& d, const CurrentDrawing& cur) {
        for (int i = 1; i <= 5; ++i)
            d.n[static_cast<std::size_t>(i)] = cur.Zahl[static_cast<std::size_t>(i)];
        d.mb = cur.Zahl[7];
    };
    const DayNumber endDate = host_.databaseEndDate();
    const RecordSnapshot& records = host_.drawingRecords();
    CurrentDrawing cur = host_.currentDrawing();
    DrawingNavigator::lookup(records, static_cast<DayNumber>(Round(endDate)), cur);
    copy(LastDrawings[1], cur);
    DrawingNavigator::previous(records, cur);
    copy(LastDrawings[2], cur);
    DrawingNavigator::previous(records, cur);
    copy(LastDrawings[3], cur);
    host_.showEndDateDrawing(endDate);
}

// -------------------------------------------------------------- MegaBall

void Generator::loadMegaBallTables() {
    // Both tables depend only on the window and the database, which a run
    // does not change: computed once, at the first choice, as the first
    // choice would compute them.
    const StatisticsTable* table = &host_.statisticsTable(StatisticsKind::MegaBallOverdue);
    mbMaxOverdue_ = 0;
    mbLongestKey_ = 1;
    // The candidates: 1..24 when only today's game format is wanted.
    mbHighest_ = megaBallHighest(settings_);
    for (int k = 1; k <= kMegaBallFieldMax; ++k) {
        const std::size_t p = static_cast<std::size_t>(k - 1);
        mbOverdue_[static_cast<std::size_t>(k)] = p < table->Entries.size() ? table->Entries[p].Value : 0;
    }
    mbMaxOverdue_ = mbOverdue_[1];
    for (int k = 1; k <= mbHighest_; ++k)
        mbMaxOverdue_ = std::max(mbMaxOverdue_, mbOverdue_[static_cast<std::size_t>(k)]);
    for (int k = 1; k <= mbHighest_; ++k)
        if (mbOverdue_[static_cast<std::size_t>(k)] == mbMaxOverdue_)
            mbLongestKey_ = k;
    table = &host_.statisticsTable(StatisticsKind::MegaBallFrequency);
    for (int k = 1; k <= kMegaBallFieldMax; ++k) {
        const std::size_t p = static_cast<std::size_t>(k - 1);
        mbFrequency_[static_cast<std::size_t>(k)] = p < table->Entries.size() ? table->Entries[p].Value : 0;
    }
    mbTablesLoaded_ = true;
}

int Generator::ChooseMegaBall() {
    if (!mbTablesLoaded_)
        loadMegaBallTables();
    const GeneratorSettings& s = settings_;
    const int recentLimit = std::min(s.get(Gs::MegaBallExcludeRecent), mbMaxOverdue_);
    const bool rarest = s.on(Gs::MegaBallRarest);
    const bool longest = s.on(Gs::MegaBallLongestOutstanding);
    const bool random = s.on(Gs::MegaBallRandom) || (!rarest && !longest);
    const bool excludeRecent = s.on(Gs::MegaBallExcludeRecentEnabled);
    if (!rarest || random) {
        for (;;) {
            const int mb = random ? static_cast<int>(rng_.Random(static_cast<std::uint32_t>(mbHighest_))) + 1
                                   : mbLongestKey_;
            if (!(excludeRecent && mbOverdue_[static_cast<std::size_t>(mb)] < recentLimit))
                return mb;
            // A discarded key's frequency is lifted out of reach; it only
            // matters for the rarest mode.
        }
    }
    std::array<int, 26> freq = mbFrequency_;
    const int highest = mbHighest_;
    auto lowest = [&freq, highest] {
        int lo = freq[1];
        for (int k = 2; k <= highest; ++k)
            lo = std::min(lo, freq[static_cast<std::size_t>(k)]);
        return lo;
    };
    int lowestFrequency = lowest();
    for (;;) {
        int mb = 1;
        for (int k = 1; k <= highest; ++k)
            if (freq[static_cast<std::size_t>(k)] == lowestFrequency)
                mb = k;
        if (excludeRecent && mbOverdue_[static_cast<std::size_t>(mb)] < recentLimit) {
            freq[static_cast<std::size_t>(mb)] = 999999;
            lowestFrequency = lowest();
            continue;
        }
        return mb;
    }
}

// ------------------------------------------------------------------- run

void Generator::showAttempt(int r, const int* n, int sum) {
    const char* sumLabel = (r == 3) ? "    CS: " : ((r == 2 || r == 4) ? "   CS: " : "  CS: ");
    host_.setStatus(std::to_string(r) + "." + host_.text(Msg::Tip) + ":  " + std::to_string(n[0]) + " " + std::to_string(n[1]) +
                "  " + std::to_string(n[2]) + "  " + std::to_string(n[3]) + "  " + std::to_string(n[4]) + sumLabel +
                std::to_string(sum));
}

void Generator::writeRow(int r, const std::array<int, 5>& n, int mb, int spare) {
    for (int k = 1; k <= 5; ++k)
        tips_.set(r, k, std::to_string(n[static_cast<std::size_t>(k - 1)]));
    tips_.set(r, 6, std::to_string(mb));
    tips_.set(r, 7, std::to_string(spare));
}

void Generator::rowLoop(bool poolUsable) {
    Yielder yield(host_.events());
    const CurrentOperation& op = host_.operation();
    std::array<int, 5> shown{};
    int shownRow = 1;

    for (int r = 1; r <= TipSet::kRows; ++r) {
        std::array<int, 5> n{};
        int mb = 0, spare = 0, count = 0;
        TipRow& row = tips_.row(r);
        if (row.Locked) {
            // A locked row is taken over as it stands; a field that is no number counts as 0.
            auto num = [&row](int k) {
                std::int32_t v = 0;
                return tryParseInt(row.field[static_cast<std::size_t>(k)], v) ? static_cast<int>(v) : 0;
            };
            for (int k = 1; k <= 5; ++k)
                n[static_cast<std::size_t>(k - 1)] = num(k);
            mb = num(6);
            spare = num(7);
        } else {
            if (poolUsable && (r == 1 || (runCounter_ < laufMax_ && r <= settings_.get(Gs::TipCount)))) {
                while (count < 5 && runCounter_ < laufMax_) {
                    if (op.stopRequested)
                        break;
                    yield([&] { showAttempt(shownRow, shown.data(), shown[0] + shown[1] + shown[2] + shown[3] + shown[4]); });
                    if (r == 1)
                        host_.showTipOverview();
                    const std::int64_t counter = ++runCounter_;
                    if (counter * 2 == laufMax_)
                        settings_.set(Gs::ForcePair, 0);
                    if (r >= 3) {
                        if (counter == laufMax_ - 20000) {
                            settings_.set(Gs::ExcludeDbClass, 6);
                        } else if (counter == laufMax_ - 10000) {
                            settings_.set(Gs::MaxHitsLast2, 2);
                            settings_.set(Gs::MaxHitsLast1, 1);
                        } else if (counter == laufMax_ - 5000) {
                            settings_.set(Gs::MaxHitsLast2, 3);
                            settings_.set(Gs::MaxHitsLast1, 2);
                        }
                    }
                    const std::uint32_t poolSize = static_cast<std::uint32_t>(pool.size());
                    while (count < 5) {
                        const int v = pool.entry[rng_.Random(poolSize)];
                        if (v == 0)
                            continue;
                        bool dup = false;
                        for (int i = 0; i < count; ++i)
                            dup |= n[static_cast<std::size_t>(i)] == v;
                        if (!dup)
                            n[static_cast<std::size_t>(count++)] = v;
                    }
                    mb = op.stopRequested ? 0 : ChooseMegaBall();
                    for (int i = 1; i < 5; ++i) // ascending
                        for (int j = i; j > 0 && n[static_cast<std::size_t>(j - 1)] > n[static_cast<std::size_t>(j)]; --j)
                            std::swap(n[static_cast<std::size_t>(j - 1)], n[static_cast<std::size_t>(j)]);
                    shown = n;
                    shownRow = r;
                    if (!acceptable(n.data(), mb, r)) {
                        n.fill(0);
                        mb = 0;
                        count = 0;
                    }
                }
            }
            if (runCounter_ >= laufMax_) {
                n.fill(0); // the tip of the attempt that reached the budget is dropped too
                mb = 0;
                count = 0;
            }
            std::sort(n.begin(), n.end());
            tips_.row(r).sumCaption = std::to_string(n[0] + n[1] + n[2] + n[3] + n[4]);
        }
        writeRow(r, n, mb, spare);
        EarlierRows[static_cast<std::size_t>(r)] = n;
        std::uint64_t lo = 0, hi = 0;
        for (int v : n) {
            if (v <= 0 || v > 127)
                continue;
            if (v < 64)
                lo |= std::uint64_t{1} << v;
            else
                hi |= std::uint64_t{1} << (v - 64);
        }
        earlierMaskLo[static_cast<std::size_t>(r)] = lo;
        earlierMaskHi[static_cast<std::size_t>(r)] = hi;
        host_.changed();
    }
}

} // namespace rz
