// Hit counting of tips against the drawings of a date window, in memory.
#include "generator/Generator.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "database/DrawingDatabase.h"

namespace rz {

// --------------------------------------------------------- history index

void HistoryIndex::load(const std::vector<DrawingRecord>& all) {
    dates_.clear();
    numbers_.clear();
    dates_.reserve(all.size());
    numbers_.reserve(all.size());
    for (const DrawingRecord& r : all) {
        dates_.push_back(r.Date);
        numbers_.push_back({r.Numbers[1], r.Numbers[2], r.Numbers[3], r.Numbers[4], r.Numbers[5], r.Numbers[7]});
    }
    for (Window& w : cache_)
        w.valid = false;
}

void HistoryIndex::load(const std::uint8_t* records, std::size_t count) {
    dates_.resize(count);
    numbers_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* rec = records + i * DrawingRecord::kSize;
        dates_[i] = RecordBlockReader::date(rec);
        numbers_[i] = {RecordBlockReader::number(rec, 1), RecordBlockReader::number(rec, 2),
                       RecordBlockReader::number(rec, 3), RecordBlockReader::number(rec, 4),
                       RecordBlockReader::number(rec, 5), RecordBlockReader::number(rec, 7)};
    }
    for (Window& w : cache_)
        w.valid = false;
}

HistoryIndex::Window& HistoryIndex::window(DayNumber lo, DayNumber hi) {
    for (Window& w : cache_)
        if (w.valid && w.lo == lo && w.hi == hi)
            return w;
    Window& w = cache_[static_cast<std::size_t>(nextSlot_)];
    nextSlot_ = (nextSlot_ + 1) % static_cast<int>(cache_.size());
    w.lo = lo;
    w.hi = hi;
    w.valid = true;
    // Counting first, then every list in one array: no allocation per number.
    // Every stored number counts, those of older game formats too.
    std::array<std::uint32_t, 257> numberCount{};
    std::array<std::uint32_t, 257> megaBallCount{};
    w.size = 0;
    for (std::size_t i = 0; i < dates_.size(); ++i) {
        if (!(lo < dates_[i] && dates_[i] <= hi))
            continue;
        ++w.size;
        for (int k = 0; k < 5; ++k) {
            const int v = numbers_[i][static_cast<std::size_t>(k)];
            if (v >= 1)
                ++numberCount[static_cast<std::size_t>(v)];
        }
        if (numbers_[i][5] >= 1)
            ++megaBallCount[numbers_[i][5]];
    }
    std::uint32_t n = 0, m = 0;
    for (std::size_t v = 0; v < 256; ++v) {
        w.numberStart[v] = n;
        w.megaBallStart[v] = m;
        n += numberCount[v];
        m += megaBallCount[v];
    }
    w.numberStart[256] = n;
    w.megaBallStart[256] = m;
    w.numberPos.resize(n);
    w.megaBallPos.resize(m);
    std::array<std::uint32_t, 257> nextNumber = w.numberStart;
    std::array<std::uint32_t, 257> nextMegaBall = w.megaBallStart;
    std::uint32_t pos = 0;
    for (std::size_t i = 0; i < dates_.size(); ++i) {
        if (!(lo < dates_[i] && dates_[i] <= hi))
            continue;
        for (int k = 0; k < 5; ++k) {
            const int v = numbers_[i][static_cast<std::size_t>(k)];
            if (v >= 1)
                w.numberPos[nextNumber[static_cast<std::size_t>(v)]++] = pos;
        }
        if (numbers_[i][5] >= 1)
            w.megaBallPos[nextMegaBall[numbers_[i][5]]++] = pos;
        ++pos;
    }
    return w;
}

bool HistoryIndex::anyReaches(DayNumber lo, DayNumber hi, const int* tip5, int mb, bool countMegaBall, int limit) {
    Window& w = window(lo, hi);
    if (w.size == 0)
        return false;
    if (limit <= 0)
        return true;
    if (counts_.size() < w.size)
        counts_.resize(w.size);
    std::memset(counts_.data(), 0, w.size);
    const std::uint8_t lim = static_cast<std::uint8_t>(std::min(limit, 255));
    std::uint8_t* counts = counts_.data();
    for (int k = 0; k < 5; ++k) {
        const int v = tip5[k];
        if (v < 1 || v > 255)
            continue;
        for (std::uint32_t p = w.numberStart[static_cast<std::size_t>(v)]; p < w.numberStart[static_cast<std::size_t>(v) + 1]; ++p)
            if (++counts[w.numberPos[p]] >= lim)
                return true;
    }
    if (countMegaBall && mb >= 1 && mb <= 255) {
        for (std::uint32_t p = w.megaBallStart[static_cast<std::size_t>(mb)]; p < w.megaBallStart[static_cast<std::size_t>(mb) + 1]; ++p)
            if (++counts[w.megaBallPos[p]] >= lim)
                return true;
    }
    return false;
}

} // namespace rz
