// The rows of the ROM list, as the dialog's core keeps them: each row shows
// its image's display name and carries its entry's position in g_romEntries;
// while a DAT is loaded it shows its mark too, and its tip names the DAT game.
// The model holds no rows of its own; it only tells the views how many
// there are and when they change.
#pragma once

#include "ui/IQuillbeyDlgView.h"
#include "ui/RowMark.h"

#include <QAbstractListModel>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <vector>

class CQuillbeyDlgCore;

class CRomListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int ItemDataRole = Qt::UserRole + 1;

    explicit CRomListModel(const CQuillbeyDlgCore& core, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The core's rows changed (IQuillbeyDlgView::ShowRows).
    void ShowRows(IQuillbeyDlgView::RowChange change, int count, const std::vector<int>& newRowOf);
    // Every row's mark and tip may have changed.
    void UpdateMarks();
    // The row's item data, or -1 for a row that does not exist.
    std::int32_t GetItemData(int row) const;

private:
    const CQuillbeyDlgCore& m_core;
    int m_nRows = 0;                                    // the rows the views know of
    std::array<QPixmap, kDrawnRowMarks.size()> m_marks; // in the order of kDrawnRowMarks
};
