#include "settings/GeneratorSettings.h"

#include <algorithm>

#include "common/Text.h"

namespace rz {
namespace {

constexpr const char* kStat = "Statistisch";
constexpr const char* kSlip = "Schein Optimierung";
constexpr const char* kMath = "Mathematisch";
constexpr const char* kMb = "MegaBall";
constexpr const char* kGen = "Allgemein";
constexpr const char* kTip = "Tipp";

constexpr const char* kPercentHint = "Die erste X Prozent werden mit einer Höheren Wahrscheinlichkeit versehen";

using K = GsKind;

const std::array<GsFieldInfo, GeneratorSettings::kCount> kTable = {{
    {Gs::PreferPairs, K::Bool, "CheckBox1", "Chekcbox1", "", kStat, "Zahlen mit einer häufigen Paarebildung bevorzugen", "", 0, 1, 0},
    {Gs::PreferFrequent, K::Bool, "CheckBox2", "Chekcbox2", "", kStat, "Zahlen die besonders oft gezogen wurden bevorzugen", "Die ersten X% der am häufigsten gezogenen Zahlen bevorzugen", 0, 1, 0},
    {Gs::MaxOverlapEnabled, K::Bool, "CheckBox3", "Chekcbox3", "", kSlip, "maximale Übereinstimmungen mit anderen Tipps:", "", 0, 1, 1},
    {Gs::MaxHitsLast1Enabled, K::Bool, "CheckBox4", "Chekcbox4", "", kSlip, "maximale Übereinstimmung mit der letzten Ziehung zulassen:", "", 0, 1, 1},
    {Gs::MaxHitsLast2Enabled, K::Bool, "CheckBox5", "Chekcbox5", "", kSlip, "maximale Übereinstimmung mit Zahlen der vorletzten Ziehung:", "", 0, 1, 1},
    {Gs::PreferTriples, K::Bool, "CheckBox6", "Chekcbox6", "", kStat, "Zahlen mit einer häufigen Dreiergruppenbildung bevorzugen", "", 0, 1, 0},
    {Gs::PreferQuads, K::Bool, "CheckBox7", "Chekcbox7", "", kStat, "Zahlen mit einer häufigen Viergruppenbildung bevorzugen", "", 0, 1, 0},
    {Gs::ForcePair, K::Bool, "CheckBox8", "Chekcbox8", "", kMath, "eine Paarbildung pro Tipp erzwingen", "", 0, 1, 0},
    {Gs::ExcludeDbClassEnabled, K::Bool, "CheckBox9", "Chekcbox9", "", kSlip, "Tipp darf noch keinen              er aus der Datenbank entsprechen", "", 0, 1, 1},
    {Gs::PreferOverdue, K::Bool, "CheckBox10", "Chekcbox10", "", kStat, "Zahlen die am längsten überfällig sind", "", 0, 1, 1},
    {Gs::PairsRarest, K::Bool, "CheckBox11", "Chekcbox11", "", kStat, "seltensten", "", 0, 1, 0},
    {Gs::TriplesRarest, K::Bool, "CheckBox12", "Chekcbox12", "", kStat, "seltensten", "", 0, 1, 0},
    {Gs::QuadsRarest, K::Bool, "CheckBox13", "Chekcbox13", "", kStat, "seltensten", "", 0, 1, 0},
    {Gs::PreferRare, K::Bool, "CheckBox14", "Chekcbox14", "", kStat, "Zahlen die besonders selten gezogen wurden bevorzugen", "", 0, 1, 0},
    {Gs::PreferredOnly, K::Bool, "CheckBox15", "Chekcbox15", "", kGen, "für den Tipp nur bevorzugte Zahlen verwenden!", "", 0, 1, 0},
    {Gs::MegaBallExcludeRecentEnabled, K::Bool, "CheckBox16", "Chekcbox16", "", kMb, "keine Megaball Zahl aus den letzten Ziehungen", "", 0, 1, 1},
    {Gs::NoGroups, K::Bool, "CheckBox18", "Chekcbox18", "", kMath, "keine Dreier, Vierer... Gruppen", "", 0, 1, 1},
    {Gs::PreferNeighbours, K::Bool, "CheckBox19", "Chekcbox19", "", kStat, "benachbarte Zahlen der letzten Ziehung bevorzugen", "", 0, 1, 0},
    {Gs::ShowNumberList, K::Bool, "CheckBox20", "Chekcbox20", "", kGen, "Liste für Zahlenreihengenerierung anzeigen / bearbeiten", "", 0, 1, 0},
    {Gs::MinPrimesEnabled, K::Bool, "CheckBox22", "Chekcbox22", "", kMath, "mindest Anzahl der Primzahlen pro Tipp", "", 0, 1, 0},
    {Gs::MaxHitsLast3Enabled, K::Bool, "CheckBox23", "Chekcbox23", "", kSlip, "maximale Übereinstimmung mit der vorvorletzten Ziehung:", "", 0, 1, 1},
    {Gs::MinOverlapEnabled, K::Bool, "CheckBox24", "Chekcbox24", "", kSlip, "minimale Übereinstimmungen mit anderen Tipps:", "", 0, 1, 1},
    {Gs::MinEvenEnabled, K::Bool, "CheckBox25", "Chekcbox25", "", kMath, "mindest Anzahl der gerade Zahlen in jedem Tipp", "", 0, 1, 0},
    {Gs::MinOddEnabled, K::Bool, "CheckBox26", "Chekcbox26", "", kMath, "mindestAnzahl der ungerade Zahlen in jedem Tipp", "", 0, 1, 0},
    {Gs::OverlapEachPair, K::Bool, "CheckBox27", "Chekcbox27", "", kSlip, "Min/Max bezogen auf Verhältnis jedes Tipps auf jeden Tipp anwenden", "", 0, 1, 1},
    {Gs::ExcludeRecentEnabled, K::Bool, "CheckBox28", "Chekcbox28", "", kSlip, "Tipp darf keinen              er aus den letzten              Ziehungen sein", "", 0, 1, 1},
    {Gs::AvoidMonthNumbers, K::Bool, "CheckBox29", "Chekcbox29", "", kSlip, "vermeiden der Zahlen 1-12 (Monat oft getippt durch Datums-Tipper) ", "", 0, 1, 0},
    {Gs::DampDateNumbers, K::Bool, "CheckBox30", "Chekcbox30", "", kSlip, "Wertigkeit der Zahlen von 1-31 verringern (Datum)  -  selterner im Tipp enthalten", "", 0, 1, 0},
    {Gs::OverlapCountsMegaBall, K::Bool, "CheckBox31", "Chekcbox31", "", kSlip, "Megaball in Übereinstimmungsberechnung mit einbeziehen!", "", 0, 1, 1},
    {Gs::MegaBall24, K::Bool, "CheckBox32", "MegaBall24", "", kGen, "MegaBall nur 1–24 (Spielformat ab 8. April 2025)", "Tipps nur mit MegaBall-Zahlen, die im aktuellen Spiel gezogen werden", 0, 1, 1},
    {Gs::MegaBallRandom, K::Radio, "RadioButton1", "RadioButton1", "", kMb, "einfach per Zufall bestimmen", "", 0, 1, 1},
    {Gs::MegaBallRarest, K::Radio, "RadioButton2", "RadioButton2", "", kMb, "die am seltensten gezogen Megaball Zahl verwenden", "", 0, 1, 0},
    {Gs::MegaBallLongestOutstanding, K::Radio, "RadioButton3", "RadioButton3", "", kMb, "die am längsten ausstehende Megaball Zahl verwenden", "", 0, 1, 0},
    {Gs::SumMin, K::Int, "UpDown1", "UpDown1", "Edit37", kMath, "Quersummen von", "", 21, 279, 50},
    {Gs::SumMax, K::Int, "UpDown2", "UpDown2", "Edit38", kMath, "bis", "", 21, 239, 200},
    {Gs::MaxOverlap, K::Int, "UpDown3", "UpDown3", "Edit39", kSlip, "", "", 0, 5, 2},
    {Gs::MaxHitsLast1, K::Int, "UpDown4", "UpDown4", "Edit40", kSlip, "", "", 0, 5, 0},
    {Gs::MaxHitsLast2, K::Int, "UpDown5", "UpDown5", "Edit41", kSlip, "", "", 0, 5, 0},
    {Gs::ExcludeDbClass, K::Int, "UpDown6", "UpDown6", "Edit42", kSlip, "", "Setzen Sie den Wert auf 5 oder 6 falls Sie die komplette Datenbank verwenden", 3, 7, 4},
    {Gs::MaxRunsThousands, K::Int, "UpDown7", "UpDown7", "Edit55", kGen, "Maximale Berechnungsläufe", "", 1, 30000, 50},
    {Gs::TipCount, K::Int, "UpDown8", "UpDown8", "Edit80", kTip, "", "", 1, 12, 5},
    {Gs::MinOverlap, K::Int, "UpDown9", "UpDown9", "Edit88", kSlip, "", "", 0, 5, 1},
    {Gs::MinPrimes, K::Int, "UpDown10", "UpDown10", "Edit83", kMath, "", "", 0, 6, 2},
    {Gs::MaxHitsLast3, K::Int, "UpDown11", "UpDown11", "Edit84", kSlip, "", "", 0, 5, 0},
    {Gs::PreferFrequentPercent, K::Int, "UpDown12", "UpDown12", "Edit85", kStat, "", kPercentHint, 5, 75, 30},
    {Gs::PreferOverduePercent, K::Int, "UpDown13", "UpDown13", "Edit86", kStat, "", kPercentHint, 5, 75, 30},
    {Gs::PreferRarePercent, K::Int, "UpDown14", "UpDown14", "Edit87", kStat, "", kPercentHint, 5, 75, 20},
    {Gs::MinEven, K::Int, "UpDown15", "UpDown15", "Edit89", kMath, "", "", 0, 6, 2},
    {Gs::MinOdd, K::Int, "UpDown16", "UpDown16", "Edit90", kMath, "", "", 0, 6, 2},
    {Gs::ExcludeRecentClass, K::Int, "UpDown17", "UpDown17", "Edit91", kSlip, "", "Setzen Sie den Wert auf 4 oder 5 falls Sie die Ziehungszahl sehr groß wählen", 2, 6, 3},
    {Gs::ExcludeRecentDraws, K::Int, "UpDown18", "UpDown18", "Edit92", kSlip, "", "Hier können Sie nochmal  ab ev. 3 oder 4 der letzten Ziehungen ausschließen", 4, 128, 60},
    {Gs::MegaBallExcludeRecent, K::Int, "UpDown19", "UpDown19", "Edit105", kMb, "", "", 1, 10, 5},
}};

} // namespace

const std::array<GsFieldInfo, GeneratorSettings::kCount>& GeneratorSettings::table() {
    return kTable;
}

const GsFieldInfo* GeneratorSettings::byValueName(const std::string& name) {
    const std::string n = lowerAscii(name);
    for (const auto& f : kTable)
        if (lowerAscii(f.valueName) == n)
            return &f;
    return nullptr;
}

GeneratorSettings::GeneratorSettings() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        values_[i] = kTable[i].def;
        min_[i] = kTable[i].min;
        max_[i] = kTable[i].max;
    }
}

void GeneratorSettings::set(Gs f, int value) {
    const std::size_t i = static_cast<std::size_t>(f);
    switch (kTable[i].kind) {
    case GsKind::Bool:
        values_[i] = value != 0 ? 1 : 0;
        break;
    case GsKind::Radio:
        if (value != 0) {
            for (Gs g : {Gs::MegaBallRandom, Gs::MegaBallRarest, Gs::MegaBallLongestOutstanding})
                values_[static_cast<std::size_t>(g)] = 0;
        }
        values_[i] = value != 0 ? 1 : 0;
        break;
    case GsKind::Int:
        values_[i] = std::clamp(value, min_[i], max_[i]);
        break;
    }
}

void GeneratorSettings::setRange(Gs f, int min, int max) {
    const std::size_t i = static_cast<std::size_t>(f);
    min_[i] = min;
    max_[i] = std::max(min, max);
    values_[i] = std::clamp(values_[i], min_[i], max_[i]);
}

void GeneratorSettings::fixExcludeDbClassRange() {
    setRange(Gs::ExcludeDbClass, 3, on(Gs::OverlapCountsMegaBall) ? 7 : 5);
}

void GeneratorSettings::change(Gs f, int value) {
    set(f, value);
    keepBounds(f);
}

void GeneratorSettings::keepBounds(Gs changed) {
    auto lo = [](Gs f) { return info(f).min; };
    auto hi = [](Gs f) { return info(f).max; };
    // Six, not five: MinEven + MinOdd = 6 can be set, and then no tip passes.
    constexpr int kEvenOddBound = 6;
    switch (changed) {
    case Gs::MinOverlap:
        setRange(Gs::MinOverlap, lo(Gs::MinOverlap), get(Gs::MaxOverlap));
        setRange(Gs::MaxOverlap, get(Gs::MinOverlap), hi(Gs::MaxOverlap));
        break;
    case Gs::MaxOverlap:
        setRange(Gs::MaxOverlap, get(Gs::MinOverlap), hi(Gs::MaxOverlap));
        setRange(Gs::MinOverlap, lo(Gs::MinOverlap), get(Gs::MaxOverlap));
        break;
    case Gs::MinEven:
        setRange(Gs::MinEven, lo(Gs::MinEven), kEvenOddBound - get(Gs::MinOdd));
        setRange(Gs::MinOdd, lo(Gs::MinOdd), kEvenOddBound - get(Gs::MinEven));
        break;
    case Gs::MinOdd:
        setRange(Gs::MinOdd, lo(Gs::MinOdd), kEvenOddBound - get(Gs::MinEven));
        setRange(Gs::MinEven, lo(Gs::MinEven), kEvenOddBound - get(Gs::MinOdd));
        break;
    default:
        break;
    }
}

} // namespace rz
