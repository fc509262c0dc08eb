#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/WindowPlacement.h"
#include "common/Colour.h"
#include "common/Dates.h"
#include "common/ProgramTexts.h"
#include "common/Random.h"
#include "common/UndoStack.h"
#include "database/DrawingDatabase.h"
#include "database/DrawingNavigator.h"
#include "download/Download.h"
#include "evaluation/Chance.h"
#include "evaluation/Odds.h"
#include "generator/NumberList.h"
#include "i18n/LanguageFiles.h"
#include "online/Cart.h"
#include "online/ClickScript.h"
#include "settings/GeneratorSettings.h"
#include "statistics/StatisticsTable.h"
#include "tips/TipSet.h"
#include "wheel/WheelPages.h"

namespace rz {

class IComponentTree;
struct DrawingView;
struct StatisticsCount;

// Tabs of PageControl1 in their order.
enum class Tab { TipOverview = 0, LastDrawing = 1, Generator = 2, Chart = 3, Database = 4, Internet = 5 };

// What a generation run and the lookup after it change on the window: the
// tips and their check, the drawing on display with its captions and the end
// date, the chart, the number list, the settings and the run's own fields.
// The settings analysis copies it before each pass and takes the copy back
// when a stop cuts a pass short; a field that a run changes belongs here, so
// that the copy cannot miss it.
struct RunState {
    // window state
    bool sortieren = false;
    bool Berechnunglaeuft = false;
    int LaufMax = 100000;
    DayNumber dfb = 0.0;
    DayNumber aktDatum = 0.0;
    Tab activeTab = Tab::TipOverview;

    // the drawing on display
    CurrentDrawing cur;
    DatePicker DateTimePicker1;                // DatabaseEndDate
    std::string Label29;                       // drawing caption, "Datenbank" tab
    std::string Label35;                       // the same caption on the tip tab
    std::string Label13;                       // sum caption

    // the tips and their check
    TipSet tips;
    std::int32_t Gewinn = 0;
    std::array<bool, 9> Treffer{};             // index 1..5 used
    bool Zusatz = false;
    bool Super = false;
    std::array<std::array<std::int32_t, 3>, 8> Statistik{};

    NumberList numberList;                     // the number selection list window
    StatisticsTable chart;                     // the chart tab

    // the generation run
    GeneratorSettings Settings;
    std::string BitBtn4Caption = "Tipps berechnen";
    std::string Tippsberechnen;                // the button's normal caption
    std::int64_t RunCounter = 0;               // attempts of the last run
    int lastEndMessage = -1;                   // the line of Msg::ChangeParameters or Msg::TipsRecalculated after a run
    bool runActive = false;                    // a run is between its start and its end

    bool operator==(const RunState&) const = default;
};

// The main window as a plain presentation model: every field the window shows
// and every command it offers. The Qt view binds to it; tests drive it
// directly with scripted platform answers.
class MainModel : public AppContext, public RunState {
public:
    MainModel();

    // ---- window state
    // (sortieren, Berechnunglaeuft, LaufMax, dfb, aktDatum, activeTab: RunState)
    std::string ProxyHost;                     // ProxyHostEdit
    std::string ProxyPort = "80";              // ProxyPortEdit
    std::string Losnummer;                     // read-only label of the drawing bar

    DrawingDatabase database() const { return DrawingDatabase(DatabasePath()); }

    void showTab(Tab t) { activeTab = t; }
    // The tabs a user can bring forward: every one but the message table's,
    // which stays hidden.
    static bool userCanChoose(Tab t) { return t != Tab::LastDrawing && t >= Tab::TipOverview && t <= Tab::Internet; }
    // The user brought a tab forward (a click, a key, the wheel); a tab the
    // user cannot choose is refused. Returns the tab on display now.
    Tab chooseTab(Tab t) {
        if (userCanChoose(t))
            activeTab = t;
        return activeTab;
    }

    // ---- current drawing and navigation (commands in app/Commands.cpp over app/DrawingBrowser.h)
    // (cur, DateTimePicker1 = DatabaseEndDate, Label29, Label35, Label13: RunState)
    DatePicker DateTimePicker2;                // StatisticsStartDate
    DayNumber DatabaseEndDate() const { return DateTimePicker1.date; }
    DayNumber StatisticsStartDate() const { return DateTimePicker2.date; }
    void SpeedButton5Click();                  // lookup for DatabaseEndDate
    // The same from the records read before when `records` is given (the
    // settings analysis: the file does not change while it runs).
    void lookupEndDate(const RecordSnapshot* records);
    void SpeedButton6Click();                  // previous drawing
    void SpeedButton7Click();                  // next drawing
    // The lookup for DatabaseEndDate without the repaint, for a command that
    // goes on (app/DrawingBrowser.h does the work).
    void showDrawingForEndDate(const RecordSnapshot* records);
    // What a lookup or a step found: the captions (when it found a drawing)
    // on both tabs, the picker on its date, every row checked against it.
    void showDrawing(const DrawingView& view, bool pickerMayRefuse);
    std::int64_t reportedPartialBytes = 0;     // broken end of the database already told in the status bar
    // The drawing file's records while the file cannot change (a generation
    // run, a settings analysis): the statistics, the lookups and the history
    // rules of a run read them instead of the file. Null: each reads the file.
    const RecordSnapshot* heldRecords = nullptr;
    // The records for a run; a missing file is created empty after the
    // user is told to read drawings first (as the lookup does). Throws IoError.
    RecordSnapshot readDrawingRecords();

    // The window's language (sprache, Memo2) as the services take it.
    const LanguageTexts& languageTexts() const { return language; }

    // ---- start-up and shutdown (app/Startup.cpp)
    // FormCreate's non-settings work with the program's layout; the user's
    // folder is created when it is missing (an IoError after everything
    // else is done).
    void FormCreate(const AppPaths& paths);
    // Every file in one folder; home must end with a separator or gets one.
    void FormCreate(const std::string& home) { FormCreate(AppPaths(home)); }
    void SpracheSetzen();                      // language, lookup, frequency chart
    void FormShow();                           // download, frequency chart again
    void FormClose();                          // closing the main window: stops a running operation


    // ---- import of drawing history (app/Startup.cpp over database/Importer.h)
    void importCommand();                      // "Importieren…": file dialog, import, report

    // ---- tip set, check and files (app/Commands.cpp over app/TipBook.h)
    // (tips, Gewinn, Treffer, Zusatz, Super, Statistik: RunState)
    void Zettelcheck(const std::string& t1, const std::string& t2, const std::string& t3, const std::string& t4,
                     const std::string& t5, const std::string& t6, const std::string& t7);
    std::int32_t Komplettcheck();
    void SpeedButton11Click();                 // clear all unlocked rows
    void Label30Click(int row);                // lock toggle
    void SpeedButton15Click();                 // save tips
    // The save dialog for a file the user names (tips, number list, chart).
    // The drawing database is never a target: the user is told and nothing
    // is chosen.
    std::optional<std::string> chooseSaveTarget(const FileDialogRequest& request);
    DayNumber NextDrawingDate() const;         // from DatabaseEndDate: Tuesday + 3, else + 4 days
    void SpeedButton16Click();                 // load tips
    void BitBtn7Click();                       // printout "Tipp.txt"
    // The shell's "open" for a file or web address; when nothing can open
    // it, the user is told so with the path (app/ShellOpen.cpp). Returns
    // whether it opened.
    bool openInShell(const std::string& addressOrPath);
    // Typing into a tip field: the change check (Edit1Change / Edit6Change).
    void tipFieldChanged(int row, int k, const std::string& text);
    void Edit1Exit();                          // leaving a tip field
    void TippEdit(int row);                    // row editor through the number list
    void SpeedButton13Click();                 // lucky number

    // ---- wheel dialog (app/WheelCommands.cpp over wheel/Wheel.h, wheel/WheelPages.h)
    wheel::WheelRequest wheelRequest;
    wheel::WheelPages wheelPages;
    std::int64_t wheelPriceCents = wheel::kDefaultPriceCents; // per play
    std::uint64_t wheelSeed = 1;
    // Figures the dialog shows beside its captions (digits only, any language;
    // `known` in the user's language: the rows, where they come from and
    // whether they reach the lower bound).
    struct WheelFigures {
        std::string progress;    // "steps / rows" while the search runs
        std::string rows, bound, known, pCondition, pHit, expected345, cost;
    } wheelFigures;
    bool wheelRunning() const { return operation.running(OperationKind::Wheel); }
    void WheelStartClick();                    // starts the search, or asks the running one to stop
    void WheelPageClick(int delta);            // previous (-1) / next (+1) twelve rows into the tip rows
    void WheelSaveClick();                     // every page as its own tip file, name_1.qlt, name_2.qlt, ...
    void WheelPrintClick();                    // every page into "Tipp.txt"

    // ---- number selection list window (app/Commands.cpp over generator/NumberList.h, generator/ManualEdit.h)
    // (numberList: RunState)
    void numberListSave();                     // TForm6.SpeedButton1Click: save dialog, ".qlw"
    void numberListLoad();                     // TForm6.SpeedButton2Click: open dialog, ".qlw"

    // ---- statistics (app/StatisticsCommands.cpp over statistics/Statistics.h)
    // (chart: RunState)
    void SpeedButton2Click();                  // frequency
    void Button5Click();                       // overdue
    void SpeedButton3Click();                  // MegaBall frequency
    void Button8Click();                       // MegaBall overdue
    void Button2Click();                       // pairs
    void Button3Click();                       // triples
    void Button4Click();                       // quads
    void SpeedButton9Click();                  // sums
    void Button6Click();                       // tip distribution
    void SpeedButton26Click();                 // show chart tab, frequency
    void SuperseltenClick();                   // show chart tab, MegaBall frequency
    void SuperAusClick();                      // MegaBall overdue
    void Label89Click();                       // show chart tab, pairs
    void Label91Click();                       // show chart tab, triples
    void Label90Click();                       // show chart tab, quads
    void Label88Click();                       // show chart tab, sums
    // A count's table on the chart, its dates in the window's (aktDatum,
    // dfb) and the last drawing it counted on display.
    void showStatistics(const StatisticsCount& count);
    // The chart on display counted again over the database as it stands now
    // (drawings were added or removed); the tab on display stays.
    void recountChart();

    // ---- generation run (app/GenerationCommands.cpp over generator/Generator.h)
    // (Settings, BitBtn4Caption, Tippsberechnen, RunCounter, lastEndMessage, runActive: RunState)
    void Label28Click();                       // start or stop a generation run
    // A new caption for the run button (a language switch): it becomes the
    // button's normal caption, shown now unless a run shows "Stoppen".
    void setRunButtonCaption(const std::string& caption);
    void Berechnen1Click() { Label28Click(); }

    // Runs a command under the one error policy of the program: a failure
    // restores the cursor and reaches the user through the message dialog,
    // in the current language where the text comes from the message table.
    // The window is repainted afterwards.
    void run(const std::function<void()>& command);

    // Changes a generator setting as the settings page does, with the
    // coupling of the related fields; MaxRunsThousands moves LaufMax from the
    // value before the change (the run recomputes it at its start).
    void changeSetting(Gs f, int value);

    // ---- drawing download (app/DownloadCommands.cpp over download/Download.h; the client is services().http)
    std::string ServerAddress = kDefaultServerAddress; // ServerEdit: data server or CSV export
    bool BitBtn1Enabled = true;                // "&Datenbank aktualisieren"
    bool SpeedButton10Enabled = true;          // download button of the tip page
    bool SpeedButton8Visible = false;          // stop button; hiding it is the stop request
    DownloadResult lastDownload;               // how the last download ended
    void KalventoClick();                      // fetch the drawings after the last stored one
    void Aktualisieren1Click() { KalventoClick(); }
    void SpeedButton8Click() {
        SpeedButton8Visible = false;
        if (operation.running(OperationKind::Download))
            operation.requestStop();
    }

    // ---- online submission (app/OnlineCommands.cpp over online/Cart.h, online/ClickScript.h)
    void WarenkorbClick();                     // "Warenkorb": the portal's cart with the tips
    int cartPauseMs = kSecondCartPauseMs;      // between the first and the second cart
    CartResult lastCart;                       // how the last cart command ended
    void OnlineTippClick();                    // "Online abgeben": the tip file, then Scriptstart
    void Abgeben1Click() { OnlineTippClick(); }
    void Scriptstart();                        // the click-script runner
    std::string OnlineTipFile;                 // the tip file OnlineTippClick wrote
    ScriptRunResult lastScriptRun;             // how the last run ended

    // ---- database maintenance (app/MaintenanceCommands.cpp over database/Maintenance.h)
    void BitBtn8Click();                       // enter or correct a drawing (dialog TForm3)
    // Why the entry dialog's drawing cannot be stored (a date after today
    // included), in the current language; nullopt when it can.
    std::optional<std::string> entryRefusal(const DrawingEntry& entry) const;
    void deleteShownDrawing();                 // delete the drawing on display (button BitBtn6)
    // An entry or a delete as a step of the undo history: the records of
    // `date` before and after it, the file's fingerprint after it.
    void recordDrawingStep(DayNumber date, std::vector<DrawingRecord> before, std::vector<DrawingRecord> after,
                           std::uint64_t fingerprint, Txt name);
    // Start-up with no database: creates it from history/megamillions.csv
    // beside the program when that file is there. Returns whether it did.
    bool loadBundledHistory();

    // ---- undo (app/UndoCommands.cpp over common/UndoStack.h)
    // The tip rows' changes (clear, load, a run, an analysis, typing, the row
    // editor, wheel pages) and the drawing file's entries and deletes, as
    // steps that the Edit menu takes back and does again. Held in memory
    // only: every start of the program begins with an empty history.
    UndoStack undoStack;
    static constexpr int kDrawingFileSteps = 1; // the group of the file's steps
    // The Edit menu's captions: "&Undo delete drawing of 8/7/2026", or "&Undo"
    // when there is nothing to take back (the same for redo).
    std::string undoCaption() const;
    std::string redoCaption() const;
    bool canUndo() const { return undoStack.canUndo() && !operation.running(); }
    bool canRedo() const { return undoStack.canRedo() && !operation.running(); }
    void Rueckgaengig1Click();                 // Edit > Undo
    void Wiederholen1Click();                  // Edit > Redo
    // The drawing file was changed by other means (a download, an import):
    // its entries and deletes can no longer be taken back.
    void drawingFileChanged() { undoStack.dropGroup(kDrawingFileSteps); }
    // The tip rows' values as one copy (rows 1..12, fields 1..7).
    using TipValues = std::array<std::array<std::string, 8>, TipSet::kRows + 1>;
    TipValues tipValues() const;
    // Sets the rows to `values` (locks stay) and checks them against the drawing.
    void restoreTipValues(const TipValues& values);
    int tipUndoDepth = 0;                      // open TipUndoScopes; only the outermost records

    // ---- recent tip files (the File menu; stored as "RecentTipFile1".."5")
    static constexpr int kRecentTipFiles = 5;
    std::vector<std::string> recentTipFiles;   // most recent first
    void rememberTipFile(const std::string& path);
    void RecentTipFileClick(int index);        // loads entry index (0..4) as "load tips" does
    // Loads a tip file over the rows: the unlocked rows cleared, the file
    // read, the drawing looked up and every row checked (SpeedButton16Click
    // after its dialog).
    void loadTipFile(const std::string& path);

    // ---- help (app/HelpCommands.cpp)
    void Handbuch1Click();                     // the short manual in the user's language
    void DatenordnerOeffnen1Click();           // the folder of the user's files
    // The About box's text: version, where the files and settings live, the
    // libraries with their licences (one line each, as the caller names them).
    std::string aboutText(const std::string& version, const std::vector<std::string>& libraries) const;
    // The manual for the language on display; English when it has none.
    std::string manualPath() const;

    // ---- the chart's first drawing (DateTimePicker2 on the chart tab)
    // A new date from the user: taken when the picker accepts it, and a chart
    // counted from the drawing file is counted again from it.
    void DateTimePicker2Change(DayNumber date);

    // ---- tip search and historic analyses (app/TipSearch.cpp, app/AnalysisCommands.cpp over evaluation/HistoricAnalysis.h)
    void SpeedButton4Click();                  // "Tipps in DB suchen"
    void BitBtn9Click();                       // settings analysis; a second click stops it
    void BitBtn19Click();                      // drawing analysis; a second click stops it
    void analysisEscape();                     // Escape: stops a running analysis
    // The generation run itself (Label28Click's work once it starts a run);
    // the settings analysis runs it once per pass under its own operation.
    void generationRun();
    enum class AnalysisOutcome { None, Declined, Failed, Ended, Stopped, Finished };
    AnalysisOutcome lastAnalysisOutcome = AnalysisOutcome::None;
    struct SearchStop {                        // the stop the search is asking about
        DayNumber date = 0.0;
        int row = 0;
        std::string caption;                   // the row's caption before the full check
    };
    SearchStop lastSearchStop;
    std::string lastReport;                    // text of the last analysis report ("Test.rtf")
    // The last analysis or tip search compared with chance; the report file
    // ends with its section, the command line shows it with --chance.
    std::vector<ChanceTable> lastChance;
    std::string reportWithChance() const;      // lastReport and the section

    // ---- odds of the tip rows (app/OddsCommands.cpp over evaluation/Odds.h)
    int oddsMegaBallRange() const;             // the range of the game-format setting
    // The odds of the rows as they stand; computed again only when a row's
    // six visible fields or the range changed since the last call.
    const TipOdds& tipOdds();
    // "Chance that these 5 rows win a prize: 1 in 4.6 · jackpot 1 in 58,102,729"
    // in the user's language; with the skipped rows when there are any.
    std::string oddsLine();
    bool writeReportFile = true;               // false: the report is only kept in lastReport
    // ---- settings store (services().settings; app/SettingsPersistence.cpp) and languages (app/LanguageCommands.cpp)
    MainWindowPlacement Window;                // "height"/"width"; the view keeps it current
    // FormClose writes the settings back, or, while a long operation is still
    // ending, leaves that to finishClose (called once the operation is over).
    void finishClose();
    IComponentTree* componentTree = nullptr;   // the windows' texts; null: only the messages change
    std::string LanguageDir;                   // folder of the language files; empty: paths().languageFolder()
    std::string languageFolder() const;        // with trailing separator
    std::string OpenDialog1FileName;           // the language file DateiLaden1Click loads
    int LanguageChecked = 0;                   // sprache of the checked language item, 0: none
    bool chooseLanguage(int language);         // the language items 1..8 (below); false: files missing
    bool DateiLaden1Click();                   // false when its files are missing
    void Deutsch1Click() { chooseLanguage(1); }
    void Englich1Click() { chooseLanguage(2); }
    void Franz1Click() { chooseLanguage(3); }
    void Spanisch1Click() { chooseLanguage(4); }
    void Italenisch1Click() { chooseLanguage(5); }
    void Russisch1Click() { chooseLanguage(6); }
    void Porugiesisch1Click() { chooseLanguage(7); }
    void N2Click() { chooseLanguage(8); }

private:
    bool settingsSavePending_ = false;
    struct OddsMemo {
        std::vector<std::string> key; // the rows' six visible fields and the range
        TipOdds odds;
    };
    OddsMemo oddsMemo_;
    std::string startNotice_; // the first start's history notice, until the first download ends
};

// Holds `records` in the model (see MainModel::heldRecords) for the guard's
// lifetime; the records held before come back afterwards.
class HoldRecords {
public:
    HoldRecords(MainModel& m, const RecordSnapshot* records) : m_(m), before_(m.heldRecords) { m_.heldRecords = records; }
    ~HoldRecords() { m_.heldRecords = before_; }
    HoldRecords(const HoldRecords&) = delete;
    HoldRecords& operator=(const HoldRecords&) = delete;

private:
    MainModel& m_;
    const RecordSnapshot* before_;
};

// Records what the tip rows' values are at its start and, when they differ
// at its end, pushes one undo step that goes between the two (however the
// command ends: a load that fails halfway is a step too). Only the outermost
// scope records: the run's clearing is part of the run.
class TipUndoScope {
public:
    TipUndoScope(MainModel& m, std::function<std::string()> name, std::string mergeKey = {});
    ~TipUndoScope();
    TipUndoScope(const TipUndoScope&) = delete;
    TipUndoScope& operator=(const TipUndoScope&) = delete;

private:
    MainModel& m_;
    std::function<std::string()> name_;
    std::string mergeKey_;
    MainModel::TipValues before_;
    bool outermost_;
};

} // namespace rz
