// The rows of the results list "lvResults": one per shared pool, six columns of text.
#ifndef UI_RESULTS_MODEL_H_
#define UI_RESULTS_MODEL_H_

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "core/sizing.h"

namespace ui {

class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kPool, kShared, kCacheAll, kVpSize, kHpSize, kGbpSize, kColumnCount };
    // What a sort compares: the pool name as text, the other columns as numbers, so that 20
    // comes before 100.
    static constexpr int kSortRole = Qt::UserRole;

    explicit ResultsModel(QObject* parent = nullptr);

    // Replaces every row.
    void setPools(std::vector<core::PoolResult> pools);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display text of every cell, numbers included; kSortRole gives the numbers as numbers.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The column titles carry the sort marker, so they can be changed.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<core::PoolResult> m_pools;
    QStringList m_titles;
};

}  // namespace ui

#endif  // UI_RESULTS_MODEL_H_
