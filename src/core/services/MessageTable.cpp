#include "services/MessageTable.h"

namespace rz {

const std::vector<std::string>& MessageTable::builtIn() {
    static const std::vector<std::string> lines = {
        /*  0 */ "Soll die Analyse der Datenbank jetzt ab dem ",
        /*  1 */ " durchgeführt werden??",
        /*  2 */ "aktuellen Tipps werden dabei gelöscht?",
        /*  3 */ "Bei wievielen Zahlen Übereinstellung stoppen?",
        /*  4 */ "Ziehungsergebnis vergleichen",
        /*  5 */ "Ein Treffer am  ",
        /*  6 */ " gefunden. Weiter?",
        /*  7 */ "Ziehung gefunden",
        /*  8 */ "Treffer von Ziehungen in der Datenbank",
        /*  9 */ "Wie oft gab es bei der nächsten Ziehung ähnliche Zahlen",
        /* 10 */ "Welche Powerballzahl wurde am längsten nicht gezogen?",
        /* 11 */ "Zahlen für Tipp ",
        /* 12 */ "Zahlen für Berechnung wählen",
        /* 13 */ "",
        /* 14 */ "",
        /* 15 */ "",
        /* 16 */ "Fehler bei Eingabe der ZufallsZahl",
        /* 17 */ "Soll die Analyse der Einstellungen jetzt ab dem ",
        /* 18 */ " durchgeführt werden??",
        /* 19 */ "aktuellen Tipps werden dabei gelöscht?",
        /* 20 */ "Ihre Glückszahl (1-99999999)?",
        /* 21 */ "Geben Sie Ihre Glückszahl für den Zufallsgenerator ein!",
        /* 22 */ "Glückszahl ",
        /* 23 */ " gesetzt",
        /* 24 */ "Aktuelle Einstellung brachten",
        /* 25 */ "Zahlenverteilung des Tippes",
        /* 26 */ "Welche Zahl ist überfällig, wurde als seit wievielen Ziehungen nicht gezogen?",
        /* 27 */ "",
        /* 28 */ "Quendrals Lotto-Tipp für ",
        /* 29 */ "Tipp",
        /* 30 */ "Powerball",
        /* 31 */ "Anzahl ohne",
        /* 32 */ "Ziehungen",
        /* 33 */ "mit je",
        /* 34 */ "Reihen",
        /* 35 */ "Berechnung der Paarbildung",
        /* 36 */ "Berechnung der Dreiergruppenbildung",
        /* 37 */ "Berechnung der Vierergruppenbildung",
        /* 38 */ "Berechnung der Zahlenverteilung",
        /* 39 */ "Berechnung der aussehenden Zahlen",
        /* 40 */ "Berechnung der Nachbarzahlen der letzten Ziehung",
        /* 41 */ "Beginn der Tippberechnung",
        /* 42 */ "Stoppen",
        /* 43 */ "Quersumme",
        /* 44 */ "",
        /* 45 */ "Keine Gewähr für die Richtigkeit der Zahlen!",
        /* 46 */ "Zahlenverteilung",
        /* 47 */ "Wie oft wurden die einzelnen Sternenzahlen gezogen?",
        /* 48 */ "Bei wievielen Zahlen Übereinstellung stoppen?",
        /* 49 */ "Tipp-Test",
        /* 50 */ "Ein Treffer gefunden am:",
        /* 51 */ "Weiter?",
        /* 52 */ "Ziehung gefunden",
        /* 53 */ "Ziehungen",
        /* 54 */ "Paare gefunden",
        /* 55 */ "Dreier gefunden",
        /* 56 */ "Quersummenverteilung",
        /* 57 */ "Vierer gefunden",
        /* 58 */ "Ändern Sie die Parameter um 12 Tipps zuberechnen",
        /* 59 */ "Tipps wurden neu berechnet",
        /* 60 */ "Zufall",
        /* 61 */ "Stop",
    };
    return lines;
}

MessageTable::MessageTable() : lines_(builtIn()) {}

const std::string& MessageTable::line(int n) const {
    static const std::string empty;
    if (n < 0 || static_cast<std::size_t>(n) >= lines_.size())
        return empty;
    return lines_[static_cast<std::size_t>(n)];
}

} // namespace rz
