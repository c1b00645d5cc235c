// Sorting a list view by a click on a column title: the title carries " (A)" or " (D)" for the
// order in force, and a second click on it reverses the order.
#ifndef UI_LIST_VIEW_SORT_H_
#define UI_LIST_VIEW_SORT_H_

class QTreeView;

namespace ui {

// Sorts the view's rows by `column` (0-based), as the model's sort role compares: descending when
// its title ends in
// "(A)", ascending otherwise. Removes the marker from every title and gives the clicked title
// the marker of the new order. The view's model sorts (a QSortFilterProxyModel) and holds the
// titles as editable header data; the order stays in force when the rows are refilled.
void SortListViewByColumn(QTreeView& view, int column);

}  // namespace ui

#endif  // UI_LIST_VIEW_SORT_H_
