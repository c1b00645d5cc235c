// The objects of the selected shared pool, as lvSharedObjects shows them: one entry per object
// line with the object's name and a check mark that is the line's cached flag. The model holds
// the objects page's state (core::PoolObjects); a user's check mark goes to ToggleObjectCached.
#ifndef UI_SHARED_OBJECTS_MODEL_H_
#define UI_SHARED_OBJECTS_MODEL_H_

#include <QAbstractListModel>
#include <string_view>

#include "object_selection.h"

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

    // Lists the objects of the pool (ShowPoolObjects) in one reset.
    void showPool(std::string_view poolName);
    // No pool selected and nothing listed (ClearPoolObjects).
    void clear();
    // The user left the "Cache All Objects" box in `box` (CacheAllObjects).
    void cacheAll(core::CacheBoxState box);

signals:
    // The user changed an object's check mark; the cached count and the box state changed.
    void objectCachedChanged();

private:
    core::CoreTables& m_tables;
    core::PoolObjects m_objects;
};

}  // namespace ui

#endif  // UI_SHARED_OBJECTS_MODEL_H_
