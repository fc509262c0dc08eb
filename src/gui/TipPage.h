#pragma once
#include <QPointer>
#include <QWidget>

#include <array>
#include <string>

#include "Controls.h"
#include "common/Colour.h"

class QLabel;
class OddsDialog;
class QPushButton;
class QSpinBox;
class QToolButton;
class PageFrame;

namespace rz {
class MainModel;
}

// The "Tipp-Übersicht" tab (TabSheet1): the current-drawing bar, the twelve
// tip rows, the calculation bar with the tip commands, and the maker's panels.
class TipPage : public QWidget {
    Q_OBJECT
public:
    TipPage(rz::MainModel& model, PageFrame& frame, QWidget* parent = nullptr);

    // Brings every control in line with the model; unchanged ones are skipped.
    void syncFromModel();
    // A language file has just set the fields' own hints.
    void retranslateMegaBallHints();
    // Texts that change while the program runs keep room for their longest form.
    void reserveRoomForChangingTexts();

private:
    struct RowWidgets {
        ClickLabel* label = nullptr;
        std::array<TipEdit*, 8> edits{}; // index 1..7
        QLabel* sum = nullptr;
        QLabel* hit = nullptr;
        QToolButton* editButton = nullptr;
        // What the widgets show now, to skip unchanged values.
        std::array<rz::Colour, 8> shownColour{};
        bool shownLocked = false;
        rz::Colour shownHitColour = rz::Colour::Black;
        std::string shownMegaBallHint; // the tip check's hint on the MegaBall field
    };

    void buildDrawingBar(QWidget* page, class QVBoxLayout* outer);
    QWidget* buildRows(QWidget* page);
    class QVBoxLayout* buildCommands(QWidget* page);
    void buildMakerPanels(QWidget* page, class QVBoxLayout* outer);
    void command(const std::function<void()>& call);
    void tipEdited(int row, int k, const QString& text);
    void applyMegaBallHint(RowWidgets& w);
    void syncRows();
    void syncOdds();
    void openOddsDialog();

    rz::MainModel& model_;
    PageFrame& frame_;
    std::array<RowWidgets, 13> rows_{}; // index 1..12
    QLabel* label35_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* losnummer_ = nullptr;
    QPushButton* bitBtn4_ = nullptr;
    QSpinBox* tipCount_ = nullptr;
    QToolButton* speedButton10_ = nullptr;
    QLabel* labelMegaBall25_ = nullptr;
    std::array<QToolButton*, 3> drawingBar_{}; // download, previous, next
    ClickLabel* oddsLine_ = nullptr;   // the odds of the rows ("OddsLine")
    QPushButton* oddsButton_ = nullptr; // opens the tier table ("OddsButton")
    QPointer<OddsDialog> oddsDialog_;
};
