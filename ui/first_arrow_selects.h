// A list that gets the keyboard focus before any entry is selected puts its focus frame on the
// first entry without selecting it; the first Down then moved on to the second entry, so the
// first could be skipped unseen. With this installed, the first Up or Down selects the entry
// under the frame (the first entry when there is none).
#ifndef UI_FIRST_ARROW_SELECTS_H_
#define UI_FIRST_ARROW_SELECTS_H_

class QAbstractItemView;

namespace ui {

// Installs the rule on `view`; it lasts as long as the view.
void MakeFirstArrowSelect(QAbstractItemView& view);

}  // namespace ui

#endif  // UI_FIRST_ARROW_SELECTS_H_
