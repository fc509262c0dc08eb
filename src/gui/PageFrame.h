#pragma once
#include <functional>

class ControlRegistry;
class QWidget;

// What a tab page needs from the window around it. The pages bind their
// controls to the model; the frame runs commands (a failure ends in a message
// box), repaints everything after them and scales the fonts.
class PageFrame {
public:
    virtual ~PageFrame() = default;

    // Runs a model command, then repaints the whole window from the model.
    virtual void command(const std::function<void()>& call) = 0;
    // Repaints every control from the model.
    virtual void refreshFromModel() = 0;
    // True while the window writes the model's values into its controls:
    // a change signal then comes from the window, not from the user.
    virtual bool refreshing() const = 0;
    // A control whose font is a multiple of the page font, kept when the
    // window scales its contents.
    virtual void setRelativeFont(QWidget* w, double factor, bool bold) = 0;
    // Opens the wheel dialog (created on first use).
    virtual void openWheelDialog() = 0;
    // The registry of the window's controls, which the page's controls join.
    virtual ControlRegistry& controls() const = 0;
};
