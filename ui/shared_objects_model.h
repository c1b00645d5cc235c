// The objects of the selected shared pool, as lvSharedObjects shows them: one entry per object
// line with the object's name, a check mark that is the line's cached flag and a tool tip with
// the line's file and line number. The model holds the objects page's state (core::PoolObjects);
// a user's check mark goes to ToggleObjectCached. A filter hides entries and nothing else: the
// page's counts and "Cache All Objects" keep acting on every object of the pool.
#ifndef UI_SHARED_OBJECTS_MODEL_H_
#define UI_SHARED_OBJECTS_MODEL_H_

#include <QAbstractListModel>
#include <string_view>
#include <vector>

#include "core/object_selection.h"

namespace core {
class CoreTables;
}

namespace ui {

class SharedObjectsModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The object key ("O" and the line-store index) of an entry.
    static constexpr int kObjectKeyRole = Qt::UserRole;

    // `tables` must outlive the model.
    explicit SharedObjectsModel(core::CoreTables& tables, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Qt::CheckStateRole only: the user's change of one check mark (ToggleObjectCached).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    const core::PoolObjects& objects() const { return m_objects; }

    // Lists the objects of the pool (ShowPoolObjects) in one reset, unfiltered.
    void showPool(std::string_view poolName);
    // No pool selected and nothing listed (ClearPoolObjects), unfiltered.
    void clear();
    // Shows only the objects whose name holds `text`, letter case ignored; all for an empty text.
    // Done here rather than in a proxy, which costs seconds on a million scattered rows.
    void setFilter(const QString& text);
    // The user left the "Cache All Objects" box in `box` (CacheAllObjects).
    void cacheAll(core::CacheBoxState box);

signals:
    // The user changed an object's check mark; the cached count and the box state changed.
    void objectCachedChanged();

private:
    // The position in m_objects.lines of a valid row.
    size_t position(int row) const {
        return m_filtered ? m_shown[static_cast<size_t>(row)] : static_cast<size_t>(row);
    }

    core::CoreTables& m_tables;
    core::PoolObjects m_objects;
    bool m_filtered = false;
    std::vector<size_t> m_shown;  // with a filter: the positions of the rows shown
};

}  // namespace ui

#endif  // UI_SHARED_OBJECTS_MODEL_H_
