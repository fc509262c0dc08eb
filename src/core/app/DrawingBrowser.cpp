// Lookup, previous and next drawing with their captions.
#include "app/DrawingBrowser.h"

#include "database/DrawingDatabase.h"

namespace rz {

DrawingBrowser::DrawingBrowser(std::string databasePath, const LanguageTexts& texts)
    : path_(std::move(databasePath)), texts_(texts) {}

DrawingBrowser::DrawingBrowser(const RecordSnapshot& records, const LanguageTexts& texts)
    : records_(&records), texts_(texts) {}

std::string DrawingBrowser::caption(const CurrentDrawing& drawing, CaptionVariant variant) const {
    return drawingCaption(drawing, variant, texts_.language);
}

std::string DrawingBrowser::sumCaption(const CurrentDrawing& drawing) const {
    return texts_.msg(Msg::Sum) + ": " + std::to_string(drawingSum(drawing));
}

std::int64_t DrawingBrowser::trailingBytes() const {
    return records_ ? records_->trailingBytes : DrawingDatabase(path_).trailingBytes();
}

DrawingView DrawingBrowser::view(const CurrentDrawing& shown, const CurrentDrawing& now, bool found,
                                 CaptionVariant variant) const {
    DrawingView v;
    v.drawing = now;
    v.found = found;
    v.moved = now.Position != shown.Position;
    v.variant = variant;
    if (found) {
        v.caption = caption(now, variant);
        v.sumCaption = sumCaption(now);
    }
    v.trailingBytes = trailingBytes();
    return v;
}

DrawingView DrawingBrowser::lookup(DayNumber date, const CurrentDrawing& shown) const {
    CurrentDrawing now = shown;
    int readErrors = 0;
    const auto variant = records_ ? DrawingNavigator::lookup(*records_, date, now)
                                  : DrawingNavigator::lookup(path_, date, now, [&readErrors] { ++readErrors; });
    DrawingView v = view(shown, now, variant.has_value(), variant.value_or(CaptionVariant::EndOfFile));
    v.readErrors = readErrors;
    return v;
}

DrawingView DrawingBrowser::previous(const CurrentDrawing& shown) const {
    CurrentDrawing now = shown;
    const bool found = records_ ? DrawingNavigator::previous(*records_, now) : DrawingNavigator::previous(path_, now);
    return view(shown, now, found, CaptionVariant::EndOfFile);
}

DrawingView DrawingBrowser::next(const CurrentDrawing& shown) const {
    CurrentDrawing now = shown;
    const bool found = records_ ? DrawingNavigator::next(*records_, now) : DrawingNavigator::next(path_, now);
    return view(shown, now, found, CaptionVariant::EndOfFile);
}

} // namespace rz
