#pragma once
#include <optional>

#include "app/MainModel.h"
#include "generator/GenerationHost.h"
#include "generator/Generator.h"

namespace rz {

// The main window's model as the host of a generation run: the statistics
// commands of the chart tab, the status bar, the number selection list, the
// records the model holds for the run and the lookup of the window.
class ModelGenerationHost : public GenerationHost {
public:
    explicit ModelGenerationHost(MainModel& model) : m_(model) {}

    const StatisticsTable& statisticsTable(StatisticsKind kind) override;
    void setStatus(const std::string& text) override { m_.setStatus(text); }
    const std::string& text(Msg id) const override { return m_.msg(id); }
    void changed() override { m_.changed(); }
    void showTipOverview() override { m_.showTab(Tab::TipOverview); }
    NumberList& numberList() override { return m_.numberList; }
    ModalResult askNumberList() override { return m_.dialogs().showNumberList(); }
    void setBusy(bool busy) override { m_.setBusy(busy); }
    DayNumber statisticsStartDate() const override { return m_.StatisticsStartDate(); }
    DayNumber databaseEndDate() const override { return m_.DatabaseEndDate(); }
    const RecordSnapshot& drawingRecords() override;
    const CurrentDrawing& currentDrawing() const override { return m_.cur; }
    void showEndDateDrawing(DayNumber endDate) override;
    IEvents& events() override { return m_.events(); }
    const CurrentOperation& operation() const override { return m_.operation; }

private:
    MainModel& m_;
    std::optional<RecordSnapshot> ownRecords_; // read here when the model holds none
};

// A generator over the model: its host, settings, tips, random generator and
// attempt counter.
class ModelGenerator : private ModelGenerationHost, public Generator {
public:
    explicit ModelGenerator(MainModel& model)
        : ModelGenerationHost(model),
          Generator(static_cast<GenerationHost&>(*this), model.Settings, model.tips, model.rng, model.RunCounter,
                    model.LaufMax) {}
};

} // namespace rz
