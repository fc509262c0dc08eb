#pragma once
#include <array>
#include <string>

#include "common/Colour.h"
#include "database/GameFormat.h"

namespace rz {

struct Rng;

// Model of the number selection list window (TForm6): seventy check boxes
// with weight texts, the random pick and the list file.
class NumberList {
public:
    static constexpr int kBoxes = kMainNumberMax;

    struct Box {
        bool checked = true;
        std::string weight; // the box's hint / tooltip
        Colour colour = Colour::TooltipBackground;

        bool operator==(const Box&) const = default;
    };

    std::string caption = "Welche Zahlen für die Berechnung";
    std::array<Box, kBoxes + 1> boxes{}; // index 1..70
    int MaxZahl = kMainNumberMax;
    int MaxTipp = 5;
    int Losgeht = 1;
    std::array<int, 27> Tippreihe{};      // index 1..26
    std::string Zufall = "Zufall";
    std::string Stopp = "Stop";
    std::string randomButtonCaption = "&Zufall"; // BitBtn4
    bool retryVisible = true;   // BitBtn3 "&Rechnen"
    bool randomVisible = false; // BitBtn4 "&Zufall"
    bool timerRunning = false;  // Timer1, 25 ms

    Box& box(int n) { return boxes[static_cast<std::size_t>(n)]; }
    const Box& box(int n) const { return boxes[static_cast<std::size_t>(n)]; }

    // Defined with the list's commands (generator/NumberList.cpp).
    void randomButtonClick();                  // the random button (BitBtn4): starts a random draw or fixes one more position
    // One tick of the random draw's timer (Timer1, 25 ms).
    void randomDrawTick(Rng& rng);
    void windowClosed();                       // the list window closes: a running draw stops
    void saveToFile(const std::string& path);   // throws IoError
    void loadFromFile(const std::string& path); // throws IoError

    bool operator==(const NumberList&) const = default;
};

} // namespace rz
