#pragma once
#include <QString>

#include "Controls.h"
#include "i18n/ComponentTree.h"

// The windows and their controls as the language loader and the component
// list see them: the control registry, in creation order.
class QtComponentTree : public rz::IComponentTree {
public:
    explicit QtComponentTree(ControlRegistry& registry = ControlRegistry::instance()) : registry_(registry) {}

    std::vector<std::string> windowNames() const override;
    std::vector<rz::ComponentInfo> components(const std::string& window) const override;
    void setTexts(const std::string& window, const std::string& component, bool setCaption,
                  const std::string& caption, const std::string& hint) override;

private:
    ControlRegistry& registry_;
};

// The component list of the program's windows (built-in texts), as the file
// "land/RuvuZevodare.txt" holds it: UTF-8 with a byte order mark, CR LF.
// Builds the windows without showing them.
QByteArray componentListOfTheProgram();

// RuvuZevodare --write-component-list FILE. Returns the exit code; errors go
// to stderr.
int writeComponentListCommand(const QString& file);
