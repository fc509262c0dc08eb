#pragma once
#include <string>
#include <vector>

namespace rz {

// The program's own texts: everything a user can read that is not among the
// 62 message lines. A language's message file carries them from its line 63
// on, in the order of this enum; the built-in texts are German. A text may
// hold the places %1, %2, ... for what the program puts in.
enum class Txt : int {
    HttpConnectionRefused, // Verbindung abgelehnt
    HttpHostNotFound, // Server nicht gefunden
    HttpTimeout, // Zeitüberschreitung
    HttpTooManyRedirects, // Zu viele Weiterleitungen
    HttpAborted, // Abgebrochen
    HttpNoNetwork, // Kein Netzwerkzugang
    HttpOther, // Netzwerkfehler
    HttpNotHttpUrl, // keine http- oder https-Adresse: %1
    HttpRequestLost, // Anfrage verloren
    HttpMoreRedirects, // mehr als %1 Weiterleitungen
    HttpNotFinished, // Anfrage nicht beendet
    HttpUnknownRequest, // unbekannte Anfrage
    NoConnection, // Keine Verbindung zum Datenserver %1
    NoConnectionBecause, // Keine Verbindung zum Datenserver %1: %2
    ServerNotHttp, // Die Adresse des Datenservers "%1" ist keine http- oder https-Adresse.
    NoAddressStatus, // Keine Adresse
    AnswerUnreadable, // Die Ziehungsdaten von %1 sind nicht lesbar: %2
    ProxyPortInvalid, // Der Proxy-Port "%1" ist keine gültige Portnummer (1 bis 65535).
    LastDrawingInFuture, // Die letzte gespeicherte Ziehung vom %1 liegt nach dem heutigen Tag (%2); es wird nichts abgefragt. Löschen Sie diese Ziehung auf der Seite "Datenbank".
    CsvIsNoServer, // Die Adresse "%1" ist eine CSV-Datei und kein Datenserver; ein Warenkorb braucht einen Datenserver (Internet-Optionen).
    CartNotHttp, // Die Warenkorb-Adresse "%1" ist keine http- oder https-Adresse; es wird nichts geöffnet.
    CartControlChars, // Die Warenkorb-Adresse "%1" enthält Steuerzeichen; es wird nichts geöffnet.
    CartNoHost, // Die Warenkorb-Adresse "%1" nennt keinen Server; es wird nichts geöffnet.
    CartTooLong, // Die Warenkorb-Adresse ist %1 Zeichen lang (höchstens %2); es wird nichts geöffnet.
    CartOpened, // Überprüfen Sie den Tipp im Warenkorb!!!
    NoProgramToOpen, // "%1" kann nicht geöffnet werden: kein Programm dafür gefunden.
    RobotNotStarted, // Pellastro konnte nicht gestartet werden: %1
    RobotInstallTitle, // Pellastro jetzt installieren?
    RobotInstallQuestion, // Quendrals Pellastro installieren?
    AnalysisEndedEarly, // Die Analyse wurde vorzeitig beendet.
    AnalysisPass, // Durchlauf %1 von etwa %2, %3
    NotAnInteger, // "%1" ist keine gültige ganze Zahl.
    BundledNotLoaded, // Mitgelieferte Ziehungsdaten nicht geladen: %1
    BundledLoaded, // %1 Ziehungen aus den mitgelieferten Daten geladen, bis %2
    EntryMainRange, // Die Zahlen der Ziehung liegen zwischen %1 und %2.
    EntryDuplicate, // Die Zahl %1 kommt in der Ziehung zweimal vor.
    EntryMegaBallRange, // Der MegaBall liegt zwischen %1 und %2.
    EntryMegaplierRange, // Der Megaplier liegt zwischen %1 und %2.
    EntrySixthField, // Ungültiger Wert im sechsten Feld.
    EntryFutureDate, // Die Ziehung vom %1 liegt nach dem heutigen Tag (%2) und wird nicht gespeichert.
    ReadDrawingsFirst, // Lesen Sie zuerst die Daten der Ziehungen ein
    FileNotWritten, // "%1" kann nicht geschrieben werden: %2
    IsProgramDatabase, // "%1" ist die Ziehungsdatenbank des Programms und wird nicht überschrieben. Bitte wählen Sie eine andere Datei.
    ChartNotSaved, // Das Diagramm konnte nicht gespeichert werden: %1
    TipMissingOne, // Tipp %1 ist unvollständig: es fehlt %2. "Tipp.txt" wurde nicht geschrieben.
    TipMissingMany, // Tipp %1 ist unvollständig: es fehlen %2. "Tipp.txt" wurde nicht geschrieben.
    DatabaseTrailingBytes, // Die letzten %1 Bytes der Datenbank sind keine ganze Ziehung und werden nicht gelesen
    DialogOpen, // Öffnen
    DialogSaveAs, // Speichern unter
    IoCannotOpen, // "%1" kann nicht geöffnet werden: %2
    IoCannotRead, // "%1" kann nicht gelesen werden: %2
    IoCannotWrite, // "%1" kann nicht geschrieben werden: %2
    SysNotFound, // Datei oder Ordner nicht gefunden
    SysAccessDenied, // Zugriff verweigert
    SysIsFolder, // ist ein Ordner
    SysNotAFolder, // ein Teil des Pfades ist kein Ordner
    SysDiskFull, // kein Platz mehr auf dem Datenträger
    SysReadOnly, // der Datenträger ist schreibgeschützt
    SysIoError, // Ein-/Ausgabefehler
    SysExists, // ist schon vorhanden
    SysBusy, // wird gerade benutzt
    SysNameTooLong, // der Name ist zu lang
    SysTooManyFiles, // zu viele offene Dateien
    SysInvalid, // ungültiger Wert
    SysTooLarge, // die Datei ist zu groß
    SysWriteProtected, // die Datei ist schreibgeschützt
    SysNotRegular, // keine gewöhnliche Datei (ein Gerät, eine Pipe oder ein Socket)
    IoTooLarge, // "%1" kann nicht gelesen werden: die Datei ist größer als %2 und gehört nicht zu diesem Programm
    IoCannotRename, // "%1" kann nicht in "%2" umbenannt werden: %3
    IoNotSynced, // "%1" wurde ersetzt, aber sein Ordner "%2" konnte nicht gesichert werden: %3
    SysOther, // Systemfehler %1
    HttpTooLarge, // Antwort zu groß
    HttpBroken, // Antwort unvollständig
    HttpAnswerLargerThan, // die Antwort ist größer als %1 MB
    HttpNoAnswerWithin, // keine vollständige Antwort innerhalb von %1 s
    ImportDateBefore, // Datum %1 liegt vor dem %2
    ImportDateAfterToday, // Datum %1 liegt nach dem heutigen Tag
    ImportNoGameFormat, // für den %1 ist kein Spielformat bekannt
    ImportMainCount, // %1 statt 5 Hauptzahlen
    ImportMainNotNumber, // Hauptzahl "%1" ist keine Zahl
    ImportMainOutOfRange, // Hauptzahl %1 liegt nicht in 1–%2 (Spielformat %3 am %4)
    ImportMainTwice, // Hauptzahl %1 kommt doppelt vor
    ImportMegaBallNotNumber, // MegaBall "%1" ist keine Zahl
    ImportMegaBallOutOfRange, // MegaBall %1 liegt nicht in 1–%2 (Spielformat %3 am %4)
    ImportMegaplierNotNumber, // Megaplier "%1" ist keine Zahl
    ImportMegaplierNotAllowed, // Megaplier %1 ist nicht erlaubt (0 oder 2–5)
    ImportMegaplierNotInFormat, // Megaplier %1 gibt es nicht (Spielformat %2 am %3)
    GameFormatNoMegaplier, // %1, ohne Megaplier
    ImportFieldCount, // falsche Anzahl Felder (%1)
    ImportFieldCountPlain, // falsche Anzahl Felder (%1 statt 7 oder 8)
    ImportBadUsDate, // "%1" ist kein gültiges Datum (MM/TT/JJJJ)
    ImportBadIsoDate, // "%1" ist kein gültiges Datum (JJJJ-MM-TT)
    ImportDuplicateDate, // das Datum %1 steht schon in Zeile %2
    ImportUnknownFormat, // Zeile %1: unbekanntes Format (erwartet wird der Export "Draw Date","Winning Numbers",... oder date,n1,n2,n3,n4,n5,megaball,megaplier)
    ImportNoDrawings, // die Datei enthält keine Ziehungen
    ImportNoValidLine, // keine Zeile enthält eine gültige Ziehung
    ImportAborted, // Import abgebrochen, die Datenbank bleibt unverändert: %1
    ImportSummary, // %1 Ziehungen importiert, %2 ersetzt, %3 Zeilen übersprungen
    ImportSummaryLines, // %1 Ziehungen importiert, %2 ersetzt, %3 Zeilen übersprungen (Zeilen %4)
    ImportLineReason, // Zeile %1: %2
    ImportDroppedBytes, // Die letzten %1 Bytes der alten Datenbank waren keine ganze Ziehung und wurden nicht übernommen
    ImportFileFilter, // Ziehungsdaten (CSV)|*.csv
    DbInUse, // "%1" kann nicht geändert werden: die Datenbank wird von einem anderen Programm benutzt (%2 s gewartet); nichts wurde geändert
    DbNotDrawings, // "%1" ist keine Ziehungsdatenbank (Datensatz %2 trägt kein gültiges Datum); nichts wurde geändert
    IoCannotLock, // "%1" kann nicht gesperrt werden: %2
    IoCannotResolve, // Der Pfad "%1" kann nicht aufgelöst werden: %2
    WheelBestOptimal, // %1 – %2; optimal: die untere Schranke ist erreicht
    WheelBestOpen, // %1 – %2; die untere Schranke ist nicht erreicht
    WheelFromSearch, // gefunden von der Suche
    WheelFromDesign, // aus einer bekannten Konstruktion
    WheelFromSplit, // aus Rädern über Teilen der Zahlen
    WheelFromFull, // alle Fünfer aus den Zahlen
    AccTipNumber, // Tipp %1, Zahl %2
    AccTipMegaBall, // Tipp %1, MegaBall
    AccTipEdit, // Tipp %1 bearbeiten
    AccEntryDate, // Datum der Ziehung
    AccEntryNumber, // Zahl %1
    AccEntryMegaBall, // MegaBall
    AccEntryMegaplier, // Megaplier
    AccStatisticsStart, // Erste Ziehung der Statistik
    AccChartPairs, // Paare
    AccChartTriples, // Dreier
    AccChartQuads, // Vierer
    OddsLine, // Chance, dass diese %1 Reihen etwas gewinnen: 1 zu %2 · Jackpot 1 zu %3
    OddsLineSkipped, // %1 (%2 unvollständige Reihen nicht gezählt)
    OddsNoRows, // Keine vollständige Reihe: keine Gewinnchance zu berechnen
    OddsButton, // Gewi&nnchancen…
    OddsTitle, // Gewinnchancen der Tippreihen
    OddsTier, // Gewinnklasse
    OddsExpected, // Erwartete Reihen je Ziehung
    OddsEvery, // im Mittel einmal in %1 Ziehungen
    OddsAnyPrize, // Mindestens ein Gewinn: 1 zu %1
    OddsJackpot, // Jackpot: 1 zu %1
    OddsRange, // MegaBall 1–%1; %2 Reihen gezählt, %3 übersprungen
    OddsNever, // nie
    ChanceHeading, // Verglichen mit dem Zufall
    ChanceClass, // Klasse
    ChanceObserved, // beobachtet
    ChanceExpected, // erwartet
    ChanceAsChance, // wie der Zufall es gäbe
    ChanceMore, // mehr als der Zufall, auf dem 1-%-Niveau
    ChanceLess, // weniger als der Zufall, auf dem 1-%-Niveau
    ChanceMethod, // erwartet: bei gleichverteilten Ziehungen im Spielformat jeder Ziehung, mit den Tipps wie gespielt; p: zweiseitig, das Doppelte der kleineren Randwahrscheinlichkeit (höchstens 1), exakt für eine Summe unabhängiger Versuche
    UndoCaption, // &Rückgängig: %1
    RedoCaption, // &Wiederholen: %1
    UndoNothing, // &Rückgängig
    RedoNothing, // &Wiederholen
    UndoStepClear, // Löschen der Tipps
    UndoStepLoad, // Laden von %1
    UndoStepRun, // Tippberechnung
    UndoStepEdit, // Änderung an Tipp %1
    UndoStepEnter, // Eingabe der Ziehung vom %1
    UndoStepDelete, // Löschen der Ziehung vom %1
    UndoStepWheel, // Systemtipp-Seite %1
    UndoStepAnalysis, // historische Analyse
    UndoFileChanged, // Die Ziehungsdatei wurde inzwischen geändert; „%1“ ist nicht mehr möglich.
    ManualMissing, // Das Handbuch "%1" fehlt.
    AboutTitle, // Über %1
    AboutVersion, // Version %1
    AboutUserFiles, // Ihre Dateien (Ziehungsdatei, Tippdateien, Bericht): %1
    AboutShippedFiles, // Mitgelieferte Dateien (Sprachen, Handbuch, Ziehungshistorie): %1
    AboutSettings, // Einstellungen: %1
    AboutLibraries, // Verwendete Bibliotheken und ihre Lizenzen:
    RecentNone, // (keine)
    RecentMissing, // Die Tippdatei "%1" gibt es nicht mehr; sie wurde aus der Liste genommen.
    ChartCopied, // Diagramm in die Zwischenablage kopiert
    TipFileNotTips, // "%1" ist keine Tippdatei; die Tipps bleiben, wie sie waren.
    DownloadAddedSummary, // Ziehungen hinzugefügt: %1; letzte Ziehung vom %2.
    DownloadNothingNew, // Keine neuen Ziehungen; letzte Ziehung vom %1.
    AnalysisFinished, // Analyse beendet; Durchläufe: %1.
    OddsOneIn, // 1 zu %1
    DownloadHintSource, // Ziehungsdaten laden von %1
    WheelPrintNumbers, // Zahlen (%1): %2
    WheelPrintGuarantee, // Garantie: %1 Richtige in einer Reihe, wenn %2 der gezogenen Zahlen darunter sind
    WheelPrintRows, // Reihen: %1
    WheelPrintCost, // Kosten: %1
    WheelPrintOdds, // Chance auf die Garantie: %1
    WheelPrintPage, // Seite %1 von %2
    Count
};

// The number of message lines before the program's own texts.
inline constexpr int kMessageLines = 62;

// The German built-in texts, in the order of Txt.
const std::vector<std::string>& builtInProgramTexts();

// The texts of the current language. One table for the whole program: the
// window and the command line show one language at a time.
const std::string& txt(Txt id);

// The text with %1, %2, ... replaced by the arguments, in one pass (an
// argument that holds "%2" is not replaced again). A place without an
// argument stays as it is.
std::string txt(Txt id, const std::vector<std::string>& args);

// Takes the program's texts from the lines of a message file: line 63 on
// (index 62) in the order of Txt. A missing or empty line keeps its
// built-in text; lines after the last text are ignored.
void useProgramTexts(const std::vector<std::string>& messageFileLines);

// Back to the built-in German texts.
void resetProgramTexts();

// The text of an errno value in the current language; the common kinds
// (not found, access denied, disk full, ...) have their own texts, any
// other gives "Systemfehler N".
std::string systemErrorText(int err);

} // namespace rz
