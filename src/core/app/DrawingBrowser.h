#pragma once
#include <cstdint>
#include <string>

#include "common/Dates.h"
#include "database/DrawingNavigator.h"
#include "i18n/LanguageFiles.h"

namespace rz {

// What a lookup or a step brings into focus: the drawing with its position
// in the file, its two captions in the user's language and what the caller
// may want to tell the user about the file.
struct DrawingView {
    // The drawing in focus. When the file holds no drawing (found is false)
    // it is the drawing handed in, with the position the search left.
    CurrentDrawing drawing;
    bool found = false;          // a drawing was taken; false: the file holds none
    bool moved = false;          // the position differs from the one handed in
    CaptionVariant variant = CaptionVariant::EndOfFile;
    std::string caption;         // "Di 22.10.19    5  12  33  41  70   MB: 7 MP: 3"; empty when nothing was found
    std::string sumCaption;      // "Quersumme: 161"; empty when nothing was found
    std::int64_t trailingBytes = 0; // bytes after the last whole record (a broken end), never read
    int readErrors = 0;          // records of the file that could not be read and were passed over
};

// Finding the drawing for a date and stepping to the previous and the next
// one, over the drawing file (each call opens, reads and closes it) or over
// records read before (a RecordSnapshot, while the file cannot change). Both
// give the same drawings. The captions are built in the given language.
class DrawingBrowser {
public:
    DrawingBrowser(std::string databasePath, const LanguageTexts& texts);
    DrawingBrowser(const RecordSnapshot& records, const LanguageTexts& texts);
    // The browser keeps references: no temporaries.
    DrawingBrowser(std::string, LanguageTexts&&) = delete;
    DrawingBrowser(const RecordSnapshot&&, const LanguageTexts&) = delete;
    DrawingBrowser(const RecordSnapshot&, LanguageTexts&&) = delete;

    // The drawing current for `date`: the first dated on or after it, else
    // the last one. `shown` is the drawing on display, which stays when the
    // file holds no drawing. Throws Failure (of kind File) when the file
    // cannot be opened.
    DrawingView lookup(DayNumber date, const CurrentDrawing& shown = {}) const;
    // One drawing back / forward from shown.Position, staying at the first /
    // last one; records without a drawing are passed over. Captions in their
    // end-of-file form. Throws Failure (of kind File) when the file cannot
    // be opened.
    DrawingView previous(const CurrentDrawing& shown) const;
    DrawingView next(const CurrentDrawing& shown) const;

    std::string caption(const CurrentDrawing& drawing, CaptionVariant variant) const;
    std::string sumCaption(const CurrentDrawing& drawing) const;

private:
    DrawingView view(const CurrentDrawing& shown, const CurrentDrawing& now, bool found, CaptionVariant variant) const;
    std::int64_t trailingBytes() const;

    std::string path_;
    const RecordSnapshot* records_ = nullptr;
    const LanguageTexts& texts_;
};

} // namespace rz
