// Placeholder until column widths are kept.
#ifndef SETTINGS_COLUMN_LAYOUT_H_
#define SETTINGS_COLUMN_LAYOUT_H_
#endif  // SETTINGS_COLUMN_LAYOUT_H_
