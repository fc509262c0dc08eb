// The table of the program's own texts and the current language's copy.
#include "common/ProgramTexts.h"

#include <cerrno>

namespace rz {
namespace {

std::vector<std::string>& current() {
    static std::vector<std::string> texts = builtInProgramTexts();
    return texts;
}

} // namespace

const std::vector<std::string>& builtInProgramTexts() {
    static const std::vector<std::string> texts = {
        "Verbindung abgelehnt", // HttpConnectionRefused
        "Server nicht gefunden", // HttpHostNotFound
        "Zeitüberschreitung", // HttpTimeout
        "Zu viele Weiterleitungen", // HttpTooManyRedirects
        "Abgebrochen", // HttpAborted
        "Kein Netzwerkzugang", // HttpNoNetwork
        "Netzwerkfehler", // HttpOther
        "keine http- oder https-Adresse: %1", // HttpNotHttpUrl
        "Anfrage verloren", // HttpRequestLost
        "mehr als %1 Weiterleitungen", // HttpMoreRedirects
        "Anfrage nicht beendet", // HttpNotFinished
        "unbekannte Anfrage", // HttpUnknownRequest
        "Keine Verbindung zum Datenserver %1", // NoConnection
        "Keine Verbindung zum Datenserver %1: %2", // NoConnectionBecause
        "Die Adresse des Datenservers \"%1\" ist keine http- oder https-Adresse.", // ServerNotHttp
        "Keine Adresse", // NoAddressStatus
        "Die Ziehungsdaten von %1 sind nicht lesbar: %2", // AnswerUnreadable
        "Der Proxy-Port \"%1\" ist keine gültige Portnummer (1 bis 65535).", // ProxyPortInvalid
        "Die letzte gespeicherte Ziehung vom %1 liegt nach dem heutigen Tag (%2); es wird nichts abgefragt. Löschen Sie diese Ziehung auf der Seite \"Datenbank\".", // LastDrawingInFuture
        "Die Adresse \"%1\" ist eine CSV-Datei und kein Datenserver; ein Warenkorb braucht einen Datenserver (Internet-Optionen).", // CsvIsNoServer
        "Die Warenkorb-Adresse \"%1\" ist keine http- oder https-Adresse; es wird nichts geöffnet.", // CartNotHttp
        "Die Warenkorb-Adresse \"%1\" enthält Steuerzeichen; es wird nichts geöffnet.", // CartControlChars
        "Die Warenkorb-Adresse \"%1\" nennt keinen Server; es wird nichts geöffnet.", // CartNoHost
        "Die Warenkorb-Adresse ist %1 Zeichen lang (höchstens %2); es wird nichts geöffnet.", // CartTooLong
        "Überprüfen Sie den Tipp im Warenkorb!!!", // CartOpened
        "\"%1\" kann nicht geöffnet werden: kein Programm dafür gefunden.", // NoProgramToOpen
        "Pellastro konnte nicht gestartet werden: %1", // RobotNotStarted
        "Pellastro jetzt installieren?", // RobotInstallTitle
        "Quendrals Pellastro installieren?", // RobotInstallQuestion
        "Die Analyse wurde vorzeitig beendet.", // AnalysisEndedEarly
        "Durchlauf %1 von etwa %2, %3", // AnalysisPass
        "\"%1\" ist keine gültige ganze Zahl.", // NotAnInteger
        "Mitgelieferte Ziehungsdaten nicht geladen: %1", // BundledNotLoaded
        "%1 Ziehungen aus den mitgelieferten Daten geladen, bis %2", // BundledLoaded
        "Die Zahlen der Ziehung liegen zwischen %1 und %2.", // EntryMainRange
        "Die Zahl %1 kommt in der Ziehung zweimal vor.", // EntryDuplicate
        "Der MegaBall liegt zwischen %1 und %2.", // EntryMegaBallRange
        "Der Megaplier liegt zwischen %1 und %2.", // EntryMegaplierRange
        "Ungültiger Wert im sechsten Feld.", // EntrySixthField
        "Die Ziehung vom %1 liegt nach dem heutigen Tag (%2) und wird nicht gespeichert.", // EntryFutureDate
        "Lesen Sie zuerst die Daten der Ziehungen ein", // ReadDrawingsFirst
        "\"%1\" kann nicht geschrieben werden: %2", // FileNotWritten
        "\"%1\" ist die Ziehungsdatenbank des Programms und wird nicht überschrieben. Bitte wählen Sie eine andere Datei.", // IsProgramDatabase
        "Das Diagramm konnte nicht gespeichert werden: %1", // ChartNotSaved
        "Tipp %1 ist unvollständig: es fehlt %2. \"Tipp.txt\" wurde nicht geschrieben.", // TipMissingOne
        "Tipp %1 ist unvollständig: es fehlen %2. \"Tipp.txt\" wurde nicht geschrieben.", // TipMissingMany
        "Die letzten %1 Bytes der Datenbank sind keine ganze Ziehung und werden nicht gelesen", // DatabaseTrailingBytes
        "Öffnen", // DialogOpen
        "Speichern unter", // DialogSaveAs
        "\"%1\" kann nicht geöffnet werden: %2", // IoCannotOpen
        "\"%1\" kann nicht gelesen werden: %2", // IoCannotRead
        "\"%1\" kann nicht geschrieben werden: %2", // IoCannotWrite
        "Datei oder Ordner nicht gefunden", // SysNotFound
        "Zugriff verweigert", // SysAccessDenied
        "ist ein Ordner", // SysIsFolder
        "ein Teil des Pfades ist kein Ordner", // SysNotAFolder
        "kein Platz mehr auf dem Datenträger", // SysDiskFull
        "der Datenträger ist schreibgeschützt", // SysReadOnly
        "Ein-/Ausgabefehler", // SysIoError
        "ist schon vorhanden", // SysExists
        "wird gerade benutzt", // SysBusy
        "der Name ist zu lang", // SysNameTooLong
        "zu viele offene Dateien", // SysTooManyFiles
        "ungültiger Wert", // SysInvalid
        "die Datei ist zu groß", // SysTooLarge
        "die Datei ist schreibgeschützt", // SysWriteProtected
        "keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)", // SysNotRegular
        "\"%1\" kann nicht gelesen werden: die Datei ist größer als %2 und gehört nicht zu diesem Programm", // IoTooLarge
        "\"%1\" kann nicht in \"%2\" umbenannt werden: %3", // IoCannotRename
        "\"%1\" wurde ersetzt, aber sein Ordner \"%2\" konnte nicht gesichert werden: %3", // IoNotSynced
        "Systemfehler %1", // SysOther
        "Antwort zu groß", // HttpTooLarge
        "Antwort unvollständig", // HttpBroken
        "die Antwort ist größer als %1 MB", // HttpAnswerLargerThan
        "keine vollständige Antwort innerhalb von %1 s", // HttpNoAnswerWithin
        "Datum %1 liegt vor dem %2", // ImportDateBefore
        "Datum %1 liegt nach dem heutigen Tag", // ImportDateAfterToday
        "für den %1 ist kein Spielformat bekannt", // ImportNoGameFormat
        "%1 statt 5 Hauptzahlen", // ImportMainCount
        "Hauptzahl \"%1\" ist keine Zahl", // ImportMainNotNumber
        "Hauptzahl %1 liegt nicht in 1–%2 (Spielformat %3 am %4)", // ImportMainOutOfRange
        "Hauptzahl %1 kommt doppelt vor", // ImportMainTwice
        "MegaBall \"%1\" ist keine Zahl", // ImportMegaBallNotNumber
        "MegaBall %1 liegt nicht in 1–%2 (Spielformat %3 am %4)", // ImportMegaBallOutOfRange
        "Megaplier \"%1\" ist keine Zahl", // ImportMegaplierNotNumber
        "Megaplier %1 ist nicht erlaubt (0 oder 2–5)", // ImportMegaplierNotAllowed
        "Megaplier %1 gibt es nicht (Spielformat %2 am %3)", // ImportMegaplierNotInFormat
        "%1, ohne Megaplier", // GameFormatNoMegaplier
        "falsche Anzahl Felder (%1)", // ImportFieldCount
        "falsche Anzahl Felder (%1 statt 7 oder 8)", // ImportFieldCountPlain
        "\"%1\" ist kein gültiges Datum (MM/TT/JJJJ)", // ImportBadUsDate
        "\"%1\" ist kein gültiges Datum (JJJJ-MM-TT)", // ImportBadIsoDate
        "das Datum %1 steht schon in Zeile %2", // ImportDuplicateDate
        "Zeile %1: unbekanntes Format (erwartet wird der Export \"Draw Date\",\"Winning Numbers\",... oder date,n1,n2,n3,n4,n5,megaball,megaplier)", // ImportUnknownFormat
        "die Datei enthält keine Ziehungen", // ImportNoDrawings
        "keine Zeile enthält eine gültige Ziehung", // ImportNoValidLine
        "Import abgebrochen, die Datenbank bleibt unverändert: %1", // ImportAborted
        "%1 Ziehungen importiert, %2 ersetzt, %3 Zeilen übersprungen", // ImportSummary
        "%1 Ziehungen importiert, %2 ersetzt, %3 Zeilen übersprungen (Zeilen %4)", // ImportSummaryLines
        "Zeile %1: %2", // ImportLineReason
        "Die letzten %1 Bytes der alten Datenbank waren keine ganze Ziehung und wurden nicht übernommen", // ImportDroppedBytes
        "Ziehungsdaten (CSV)|*.csv", // ImportFileFilter
        "\"%1\" kann nicht geändert werden: die Datenbank wird von einem anderen Programm benutzt (%2 s gewartet); nichts wurde geändert", // DbInUse
        "\"%1\" ist keine Ziehungsdatenbank (Datensatz %2 trägt kein gültiges Datum); nichts wurde geändert", // DbNotDrawings
        "\"%1\" kann nicht gesperrt werden: %2", // IoCannotLock
        "Der Pfad \"%1\" kann nicht aufgelöst werden: %2", // IoCannotResolve
        "%1 – %2; optimal: die untere Schranke ist erreicht", // WheelBestOptimal
        "%1 – %2; die untere Schranke ist nicht erreicht", // WheelBestOpen
        "gefunden von der Suche", // WheelFromSearch
        "aus einer bekannten Konstruktion", // WheelFromDesign
        "aus Rädern über Teilen der Zahlen", // WheelFromSplit
        "alle Fünfer aus den Zahlen", // WheelFromFull
        "Tipp %1, Zahl %2", // AccTipNumber
        "Tipp %1, MegaBall", // AccTipMegaBall
        "Tipp %1 bearbeiten", // AccTipEdit
        "Datum der Ziehung", // AccEntryDate
        "Zahl %1", // AccEntryNumber
        "MegaBall", // AccEntryMegaBall
        "Megaplier", // AccEntryMegaplier
        "Erste Ziehung der Statistik", // AccStatisticsStart
        "Paare", // AccChartPairs
        "Dreier", // AccChartTriples
        "Vierer", // AccChartQuads
        "Chance, dass diese %1 Reihen etwas gewinnen: 1 zu %2 · Jackpot 1 zu %3", // OddsLine
        "%1 (%2 unvollständige Reihen nicht gezählt)", // OddsLineSkipped
        "Keine vollständige Reihe: keine Gewinnchance zu berechnen", // OddsNoRows
        "Gewi&nnchancen…", // OddsButton
        "Gewinnchancen der Tippreihen", // OddsTitle
        "Gewinnklasse", // OddsTier
        "Erwartete Reihen je Ziehung", // OddsExpected
        "im Mittel einmal in %1 Ziehungen", // OddsEvery
        "Mindestens ein Gewinn: 1 zu %1", // OddsAnyPrize
        "Jackpot: 1 zu %1", // OddsJackpot
        "MegaBall 1–%1; %2 Reihen gezählt, %3 übersprungen", // OddsRange
        "nie", // OddsNever
        "Verglichen mit dem Zufall", // ChanceHeading
        "Klasse", // ChanceClass
        "beobachtet", // ChanceObserved
        "erwartet", // ChanceExpected
        "wie der Zufall es gäbe", // ChanceAsChance
        "mehr als der Zufall, auf dem 1-%-Niveau", // ChanceMore
        "weniger als der Zufall, auf dem 1-%-Niveau", // ChanceLess
        "erwartet: bei gleichverteilten Ziehungen im Spielformat jeder Ziehung, mit den Tipps wie gespielt; p: zweiseitig, das Doppelte der kleineren Randwahrscheinlichkeit (höchstens 1), exakt für eine Summe unabhängiger Versuche", // ChanceMethod
        "&Rückgängig: %1", // UndoCaption
        "&Wiederholen: %1", // RedoCaption
        "&Rückgängig", // UndoNothing
        "&Wiederholen", // RedoNothing
        "Löschen der Tipps", // UndoStepClear
        "Laden von %1", // UndoStepLoad
        "Tippberechnung", // UndoStepRun
        "Änderung an Tipp %1", // UndoStepEdit
        "Eingabe der Ziehung vom %1", // UndoStepEnter
        "Löschen der Ziehung vom %1", // UndoStepDelete
        "Systemtipp-Seite %1", // UndoStepWheel
        "historische Analyse", // UndoStepAnalysis
        "Die Ziehungsdatei wurde inzwischen geändert; „%1“ ist nicht mehr möglich.", // UndoFileChanged
        "Das Handbuch \"%1\" fehlt.", // ManualMissing
        "Über %1", // AboutTitle
        "Version %1", // AboutVersion
        "Ihre Dateien (Ziehungsdatei, Tippdateien, Bericht): %1", // AboutUserFiles
        "Mitgelieferte Dateien (Sprachen, Handbuch, Ziehungshistorie): %1", // AboutShippedFiles
        "Einstellungen: %1", // AboutSettings
        "Verwendete Bibliotheken und ihre Lizenzen:", // AboutLibraries
        "(keine)", // RecentNone
        "Die Tippdatei \"%1\" gibt es nicht mehr; sie wurde aus der Liste genommen.", // RecentMissing
        "Diagramm in die Zwischenablage kopiert", // ChartCopied
        "\"%1\" ist keine Tippdatei; die Tipps bleiben, wie sie waren.", // TipFileNotTips
        "Ziehungen hinzugefügt: %1; letzte Ziehung vom %2.", // DownloadAddedSummary
        "Keine neuen Ziehungen; letzte Ziehung vom %1.", // DownloadNothingNew
        "Analyse beendet; Durchläufe: %1.", // AnalysisFinished
        "1 zu %1", // OddsOneIn
        "Ziehungsdaten laden von %1", // DownloadHintSource
        "Zahlen (%1): %2", // WheelPrintNumbers
        "Garantie: %1 Richtige in einer Reihe, wenn %2 der gezogenen Zahlen darunter sind", // WheelPrintGuarantee
        "Reihen: %1", // WheelPrintRows
        "Kosten: %1", // WheelPrintCost
        "Chance auf die Garantie: %1", // WheelPrintOdds
        "Seite %1 von %2", // WheelPrintPage
    };
    return texts;
}

const std::string& txt(Txt id) {
    const auto i = static_cast<std::size_t>(id);
    const std::vector<std::string>& t = current();
    static const std::string empty;
    return i < t.size() ? t[i] : empty;
}

std::string txt(Txt id, const std::vector<std::string>& args) {
    const std::string& pattern = txt(id);
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

void useProgramTexts(const std::vector<std::string>& messageFileLines) {
    std::vector<std::string> texts = builtInProgramTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t line = static_cast<std::size_t>(kMessageLines) + i;
        if (line < messageFileLines.size() && !messageFileLines[line].empty())
            texts[i] = messageFileLines[line];
    }
    current() = std::move(texts);
}

void resetProgramTexts() { current() = builtInProgramTexts(); }

std::string systemErrorText(int err) {
    switch (err) {
    case ENOENT: return txt(Txt::SysNotFound);
    case EACCES:
    case EPERM: return txt(Txt::SysAccessDenied);
    case EISDIR: return txt(Txt::SysIsFolder);
    case ENOTDIR: return txt(Txt::SysNotAFolder);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return txt(Txt::SysDiskFull);
    case EROFS: return txt(Txt::SysReadOnly);
    case EIO: return txt(Txt::SysIoError);
    case EEXIST: return txt(Txt::SysExists);
    case EBUSY:
    case ETXTBSY: return txt(Txt::SysBusy);
    case ENAMETOOLONG: return txt(Txt::SysNameTooLong);
    case EMFILE:
    case ENFILE: return txt(Txt::SysTooManyFiles);
    case EINVAL: return txt(Txt::SysInvalid);
    case EFBIG: return txt(Txt::SysTooLarge);
    default: return txt(Txt::SysOther, {std::to_string(err)});
    }
}

} // namespace rz
