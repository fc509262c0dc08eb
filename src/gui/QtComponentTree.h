#pragma once
#include <QString>

#include "Controls.h"
#include "i18n/ComponentTree.h"

// The windows and their controls as the language loader and the component
// list see them: the control registry, in creation order.
class QtComponentTree : public rz::IComponentTree {
public:
    explicit QtComponentTree(ControlRegistry& registry) : registry_(registry) {}

    std::vector<std::string> windowNames() const override;
    std::vector<rz::ComponentInfo> components(const std::string& window) const override;
    void setTexts(const std::string& window, const std::string& component, bool setCaption,
                  const std::string& caption, const std::string& hint) override;

private:
    ControlRegistry& registry_;
};

