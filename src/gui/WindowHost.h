#pragma once

class QWidget;
class TForm3;
class TQCSForm;

// What the platform services need of the main window: a parent for their
// boxes, the drawing entry and script choice dialogs, and a repaint while a
// long command lets events through. The window implements it; the services
// know nothing else of it.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The window the boxes belong to.
    virtual QWidget* hostWidget() = 0;
    // Null until the secondary windows exist.
    virtual TForm3* drawingEntryDialog() = 0;
    virtual TQCSForm* scriptChoiceDialog() = 0;
    // Brings every control in line with the model.
    virtual void repaintFromModel() = 0;
};
