#pragma once
#include "services/Platform.h"

namespace rz {

class MessageTable;
class NumberList;
class TipSet;
struct Rng;

// Editing one tip row through the number selection list: the list is set
// up for the row (caption, buttons, the row's numbers marked), shown, and
// on OK the ticked numbers fill the row; an empty field after them gets a
// random MegaBall from 1..megaBallHighest. Afterwards the list is set back for the generator.
void prepareRowEditor(NumberList& list, const TipSet& tips, int row, const MessageTable& messages);
void finishRowEditor(NumberList& list, TipSet& tips, int row, ModalResult result, Rng& rng,
                     const MessageTable& messages, int megaBallHighest);

} // namespace rz
