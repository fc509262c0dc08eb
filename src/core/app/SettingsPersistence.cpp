// Loading the stored settings at start-up and writing them back at the end.
#include "app/SettingsPersistence.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "app/MainModel.h"
#include "settings/SettingsStore.h"

namespace rz {
namespace {

constexpr const char* kLosnummer = "Losnummer";
constexpr const char* kHeight = "height";
constexpr const char* kWidth = "width";
constexpr const char* kSprache = "Sprache";
constexpr const char* kProxyHost = "ProxyHostEdit";
constexpr const char* kProxyPort = "ProxyPortEdit";
constexpr const char* kServerAddress = "ServerEdit";
constexpr const char* kStatisticsStart = "DateTimePicker2";
constexpr const char* kWheelPrice = "WheelPrice"; // cents per play
// The rest of the wheel dialog: the ticked numbers ("4,17,23"), the
// guarantee ("3if4"), the time budget in tenths of a second, the MegaBalls as
// typed and whether every row plays every MegaBall.
constexpr const char* kWheelNumbers = "WheelNumbers";
constexpr const char* kWheelGuarantee = "WheelGuarantee";
constexpr const char* kWheelTenths = "WheelSecondsTenths";
constexpr const char* kWheelMegaBalls = "WheelMegaBalls";
constexpr const char* kWheelCross = "WheelCross";
constexpr std::size_t kWheelMegaBallsMaxLength = 80; // the field's length
// The recent tip files of the File menu: "RecentTipFile1" (the latest) ...
constexpr const char* kRecentTipFile = "RecentTipFile";

// Language when the store names none: English.
constexpr int kFirstStartLanguage = 2;

// Runs one group of reads; the first failure ends the group.
template <typename Body>
void readGroup(Body&& body) {
    try {
        body();
    } catch (const std::exception&) {
        // The values after the failing one keep their designed state.
    }
}

template <typename Fn>
void forEachField(GsKind kind, Fn&& fn) {
    for (const GsFieldInfo& f : GeneratorSettings::table())
        if (f.kind == kind)
            fn(f);
}

void loadFrom(MainModel& m, ISettingsStore& s) {
    readGroup([&] {
        if (auto v = s.readText(kLosnummer))
            m.Losnummer = *v;
    });

    // Group 1: check boxes, the fixed range of ExcludeDbClass, the MegaBall
    // rule, the window size and the language.
    readGroup([&] {
        try {
            forEachField(GsKind::Bool, [&](const GsFieldInfo& f) {
                if (auto v = s.readBool(f.valueName))
                    m.Settings.set(f.id, *v ? 1 : 0);
            });
        } catch (...) {
            // ExcludeDbClass's maximum follows OverlapCountsMegaBall even
            // when the group ends early; the check box then keeps its
            // designed state.
            m.Settings.fixExcludeDbClassRange();
            throw;
        }
        m.Settings.fixExcludeDbClassRange();
        forEachField(GsKind::Radio, [&](const GsFieldInfo& f) {
            if (auto v = s.readBool(f.valueName))
                m.Settings.set(f.id, *v ? 1 : 0);
        });
        // A size that no window can have (a damaged store) keeps the
        // designed one.
        if (auto v = s.readInt(kHeight); v && *v > 0)
            m.Window.Height = *v;
        if (auto v = s.readInt(kWidth); v && *v > 0)
            m.Window.Width = *v;
        m.sprache = 0;
        if (auto v = s.readInt(kSprache))
            m.sprache = *v;
        else
            m.sprache = kFirstStartLanguage;
    });

    // Group 2: spin positions (clamped by their controls), then the tip
    // fields through their change check. The tips are not checked against
    // the drawing while loading.
    readGroup([&] {
        forEachField(GsKind::Int, [&](const GsFieldInfo& f) {
            if (auto v = s.readInt(f.valueName))
                m.Settings.set(f.id, *v);
        });
        for (const auto& [row, k] : tipFieldsInNameOrder())
            if (auto v = s.readText(TipSet::fieldName(row, k)))
                m.tips.set(row, k, *v); // through the field check
    });

    m.sortieren = true;

    // Group 3: the proxy.
    readGroup([&] {
        if (auto v = s.readText(kProxyHost))
            m.ProxyHost = *v;
        if (auto v = s.readText(kProxyPort))
            m.ProxyPort = *v;
        // The data server (or CSV export) of "Internet options"; an empty
        // stored address keeps the default one.
        if (auto v = s.readText(kServerAddress); v && v->find_first_not_of(" \t") != std::string::npos)
            m.ServerAddress = *v;
    });

    // The price per play of the wheel dialog; one no price field takes (a
    // damaged store) keeps the default.
    readGroup([&] {
        if (auto v = s.readInt(kWheelPrice); v && *v >= 1 && *v <= wheel::kMaxPriceCents)
            m.wheelPriceCents = *v;
    });
    // The rest of the wheel dialog, each value on its own: one the dialog
    // cannot show (a damaged store) keeps the default.
    readGroup([&] {
        if (auto v = s.readText(kWheelNumbers); v)
            if (auto numbers = wheelNumbersFromText(*v))
                m.wheelRequest.numbers = *numbers;
    });
    readGroup([&] {
        wheel::Guarantee g;
        if (auto v = s.readText(kWheelGuarantee); v && wheel::parseGuarantee(*v, g))
            m.wheelRequest.guarantee = g;
    });
    readGroup([&] {
        if (auto v = s.readInt(kWheelTenths); v && *v >= 1 && *v <= 6000)
            m.wheelRequest.seconds = *v / 10.0;
    });
    readGroup([&] {
        if (auto v = s.readText(kWheelMegaBalls); v && v->size() <= kWheelMegaBallsMaxLength)
            m.wheelRequest.megaBalls = *v;
    });
    readGroup([&] {
        if (auto v = s.readBool(kWheelCross))
            m.wheelRequest.cross = *v;
    });
    // The recent tip files, in their order; an empty or missing one ends the list.
    readGroup([&] {
        m.recentTipFiles.clear();
        for (int i = 1; i <= MainModel::kRecentTipFiles; ++i) {
            auto v = s.readText(kRecentTipFile + std::to_string(i));
            if (!v || v->empty())
                break;
            if (std::find(m.recentTipFiles.begin(), m.recentTipFiles.end(), *v) == m.recentTipFiles.end())
                m.recentTipFiles.push_back(*v);
        }
    });

    // The statistics start; a date that cannot be read or that the picker
    // refuses gives the picker's earliest date.
    try {
        if (auto v = s.readDate(kStatisticsStart))
            if (!m.DateTimePicker2.setDate(*v))
                m.DateTimePicker2.date = m.DateTimePicker2.minDate;
    } catch (const std::exception&) {
        m.DateTimePicker2.date = m.DateTimePicker2.minDate;
    }
}

} // namespace

std::string wheelNumbersText(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers)
        text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

std::optional<std::vector<int>> wheelNumbersFromText(const std::string& text) {
    std::vector<int> numbers;
    if (text.empty())
        return numbers;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        if (item.empty() || item.size() > 2 || item.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int n = std::stoi(item);
        if (n < 1 || n > wheel::kHighestNumber || std::find(numbers.begin(), numbers.end(), n) != numbers.end())
            return std::nullopt;
        numbers.push_back(n);
        if (numbers.size() > static_cast<std::size_t>(wheel::kMaxNumbers))
            return std::nullopt;
        from = comma + 1;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

const std::vector<std::pair<int, int>>& tipFieldsInNameOrder() {
    static const std::vector<std::pair<int, int>> order = [] {
        std::vector<std::pair<int, int>> v;
        for (int r = 1; r <= TipSet::kRows; ++r)
            for (int k = 1; k <= TipSet::kFields; ++k)
                v.emplace_back(r, k);
        auto number = [](const std::pair<int, int>& f) {
            return std::atoi(TipSet::fieldName(f.first, f.second) + 4); // after "Edit"
        };
        std::sort(v.begin(), v.end(), [&](const auto& a, const auto& b) { return number(a) < number(b); });
        return v;
    }();
    return order;
}

void loadSettings(MainModel& m, ISettingsStore& store) {
    bool opened = true;
    try {
        store.open();
    } catch (const std::exception&) {
        opened = false;
    }
    if (opened) {
        loadFrom(m, store);
    } else {
        // Like a first start: nothing stored.
        MemorySettingsStore empty;
        loadFrom(m, empty);
    }
}

void saveSettings(const MainModel& m, ISettingsStore& s) {
    try {
        s.open();
        forEachField(GsKind::Bool, [&](const GsFieldInfo& f) { s.writeBool(f.valueName, m.Settings.on(f.id)); });
        forEachField(GsKind::Radio, [&](const GsFieldInfo& f) { s.writeBool(f.valueName, m.Settings.on(f.id)); });
        // A minimised or maximised window keeps the size stored before.
        if (!m.Window.Minimised && !m.Window.Maximised && m.Window.Width > 0 && m.Window.Height > 0) {
            s.writeInt(kHeight, m.Window.Height);
            s.writeInt(kWidth, m.Window.Width);
        }
        s.writeInt(kSprache, m.sprache);
        forEachField(GsKind::Int, [&](const GsFieldInfo& f) { s.writeInt(f.valueName, m.Settings.get(f.id)); });
        for (const auto& [row, k] : tipFieldsInNameOrder())
            s.writeText(TipSet::fieldName(row, k), m.tips.get(row, k));
        s.writeText(kProxyHost, m.ProxyHost);
        s.writeText(kProxyPort, m.ProxyPort);
        s.writeText(kServerAddress, m.ServerAddress);
        s.writeDate(kStatisticsStart, m.DateTimePicker2.date);
        s.writeInt(kWheelPrice, static_cast<std::int32_t>(m.wheelPriceCents));
        s.writeText(kWheelNumbers, wheelNumbersText(m.wheelRequest.numbers));
        s.writeText(kWheelGuarantee, wheel::guaranteeText(m.wheelRequest.guarantee));
        s.writeInt(kWheelTenths, static_cast<std::int32_t>(std::lround(m.wheelRequest.seconds * 10.0)));
        s.writeText(kWheelMegaBalls, m.wheelRequest.megaBalls);
        s.writeBool(kWheelCross, m.wheelRequest.cross);
        for (int i = 1; i <= MainModel::kRecentTipFiles; ++i) {
            const auto index = static_cast<std::size_t>(i - 1);
            s.writeText(kRecentTipFile + std::to_string(i), index < m.recentTipFiles.size() ? m.recentTipFiles[index] : std::string());
        }
        s.close();
    } catch (const std::exception&) {
        // Saving shows nothing; what could not be written is lost.
    }
}

} // namespace rz
