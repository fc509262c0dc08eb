#pragma once
#include <string>
#include <vector>

namespace rz {

// The kinds of window components that carry texts a language can replace.
// Everything else (spin controls, charts, date pickers, ...) is Other.
enum class ComponentKind {
    MenuItem,
    Label,
    Panel,
    SpeedButton,
    Button,
    BitBtn,
    CheckBox,
    RadioButton,
    TabSheet,
    RadioGroup,
    Edit,
    Window,
    Other,
};

// One component as the windows hold it.
struct ComponentInfo {
    std::string name;   // unique within its window
    ComponentKind kind = ComponentKind::Other;
    int tag = 0;        // non-zero: the component keeps its texts in every language
    std::string caption; // its text; a radio group's caption; empty for an edit field
    std::string hint;
    int charset = 1;    // the font's character set as the component list records it
};

// The windows of the program and their components, as the language loader
// and the component list see them. The view implements it over its widgets;
// tests over a small fixture.
class IComponentTree {
public:
    virtual ~IComponentTree() = default;
    // Names of the windows, in creation order, the main window first.
    virtual std::vector<std::string> windowNames() const = 0;
    // The components the window owns, in creation order.
    virtual std::vector<ComponentInfo> components(const std::string& window) const = 0;
    // Gives one component new texts. setCaption is false for components
    // whose text is not a caption (edit fields): only the hint changes then.
    virtual void setTexts(const std::string& window, const std::string& component, bool setCaption,
                          const std::string& caption, const std::string& hint) = 0;
};

} // namespace rz
