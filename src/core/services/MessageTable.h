#pragma once
#include <string>
#include <vector>

namespace rz {

// The lines of the table by name; the value is the 0-based line. Code names
// a message by its id, never by its number.
enum class Msg : int {
    DrawingAnalysisAskStart = 0, // "Soll die Analyse der Datenbank jetzt ab dem "
    DrawingAnalysisAskEnd = 1, // " durchgeführt werden??"
    DrawingAnalysisTitle = 2, // "aktuellen Tipps werden dabei gelöscht?"
    DrawingAnalysisThresholdPrompt = 3, // "Bei wievielen Zahlen Übereinstellung stoppen?"
    DrawingAnalysisThresholdTitle = 4, // "Ziehungsergebnis vergleichen"
    DrawingAnalysisHitAt = 5, // "Ein Treffer am  "
    DrawingAnalysisHitGoOn = 6, // " gefunden. Weiter?"
    DrawingAnalysisHitTitle = 7, // "Ziehung gefunden"
    ReportHitsInDatabase = 8, // "Treffer von Ziehungen in der Datenbank"
    ReportHitsNextDrawing = 9, // "Wie oft gab es bei der nächsten Ziehung ähnliche Zahlen"
    MegaBallOverdueTitle = 10, // "Welche Powerballzahl wurde am längsten nicht gezogen?"
    NumbersForTip = 11, // "Zahlen für Tipp "
    ChooseNumbersTitle = 12, // "Zahlen für Berechnung wählen"
    Unused13 = 13, // ""
    Unused14 = 14, // ""
    Unused15 = 15, // ""
    LuckyNumberInputError = 16, // "Fehler bei Eingabe der ZufallsZahl"
    SettingsAnalysisAskStart = 17, // "Soll die Analyse der Einstellungen jetzt ab dem "
    SettingsAnalysisAskEnd = 18, // " durchgeführt werden??"
    SettingsAnalysisTitle = 19, // "aktuellen Tipps werden dabei gelöscht?"
    LuckyNumberTitle = 20, // "Ihre Glückszahl (1-99999999)?"
    LuckyNumberPrompt = 21, // "Geben Sie Ihre Glückszahl für den Zufallsgenerator ein!"
    LuckyNumberSetStart = 22, // "Glückszahl "
    LuckyNumberSetEnd = 23, // " gesetzt"
    ReportSettingsBrought = 24, // "Aktuelle Einstellung brachten"
    TipDistributionTitle = 25, // "Zahlenverteilung des Tippes"
    OverdueTitle = 26, // "Welche Zahl ist überfällig, wurde als seit wievielen Ziehungen nicht 
    Unused27 = 27, // ""
    PrintoutHeading = 28, // "Quendrals Lotto-Tipp für "
    Tip = 29, // "Tipp"
    Powerball = 30, // "Powerball"
    ReportCountWithout = 31, // "Anzahl ohne"
    Drawings = 32, // "Ziehungen"
    ReportWithEach = 33, // "mit je"
    Rows = 34, // "Reihen"
    CalculatingPairs = 35, // "Berechnung der Paarbildung"
    CalculatingTriples = 36, // "Berechnung der Dreiergruppenbildung"
    CalculatingQuads = 37, // "Berechnung der Vierergruppenbildung"
    CalculatingFrequency = 38, // "Berechnung der Zahlenverteilung"
    CalculatingOverdue = 39, // "Berechnung der aussehenden Zahlen"
    CalculatingNeighbours = 40, // "Berechnung der Nachbarzahlen der letzten Ziehung"
    CalculationStart = 41, // "Beginn der Tippberechnung"
    Stop = 42, // "Stoppen"
    Sum = 43, // "Quersumme"
    Unused44 = 44, // ""
    NoWarranty = 45, // "Keine Gewähr für die Richtigkeit der Zahlen!"
    Frequency = 46, // "Zahlenverteilung"
    MegaBallFrequencyTitle = 47, // "Wie oft wurden die einzelnen Sternenzahlen gezogen?"
    TipSearchThresholdPrompt = 48, // "Bei wievielen Zahlen Übereinstellung stoppen?"
    TipSearchTitle = 49, // "Tipp-Test"
    TipSearchHitAt = 50, // "Ein Treffer gefunden am:"
    TipSearchGoOn = 51, // "Weiter?"
    TipSearchHitTitle = 52, // "Ziehung gefunden"
    DrawingsCount = 53, // "Ziehungen"
    PairsFound = 54, // "Paare gefunden"
    TriplesFound = 55, // "Dreier gefunden"
    SumDistribution = 56, // "Quersummenverteilung"
    QuadsFound = 57, // "Vierer gefunden"
    ChangeParameters = 58, // "Ändern Sie die Parameter um 12 Tipps zuberechnen"
    TipsRecalculated = 59, // "Tipps wurden neu berechnet"
    NumberListRandom = 60, // "Zufall"
    NumberListStop = 61, // "Stop"
};

// The numbered user-visible texts of the main window (0-based lines). Code
// reads a line whenever it needs the message, so replacing the lines (a
// language switch) changes every later message at once. A line beyond the
// end reads as empty text.
class MessageTable {
public:
    MessageTable();
    static const std::vector<std::string>& builtIn();

    const std::string& line(int n) const;
    const std::string& line(Msg id) const { return line(static_cast<int>(id)); }
    const std::vector<std::string>& lines() const { return lines_; }
    void setLines(std::vector<std::string> lines) { lines_ = std::move(lines); }

private:
    std::vector<std::string> lines_;
};

} // namespace rz
