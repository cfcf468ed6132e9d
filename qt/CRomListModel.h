// The rows of the ROM list: each row's text (the entry's display name) and
// its item data (the entry's position in g_romEntries). Rows arrive in
// batches while a scan runs and are sorted once when it ends.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class CRomListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // A row shows its entry's display name, kept by the entry itself (the
    // entry list outlives the rows): 100,000 rows need no copies of their names.
    struct Row {
        const std::string* text = nullptr;
        std::int32_t itemData = -1;
    };

    static constexpr int ItemDataRole = Qt::UserRole + 1;

    explicit CRomListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Appends rows at the end, in order.
    void AppendRows(std::vector<Row> rows);
    // Removes every row.
    void DeleteAllItems();
    // The rows' item data, top to bottom.
    std::vector<std::int32_t> GetItemDataInRowOrder() const;
    // Puts the rows in the order of `itemData` (the same rows, reordered, as
    // a sort of GetItemDataInRowOrder() gives them); the views keep their
    // current row.
    void SetRowOrder(const std::vector<std::int32_t>& itemData);
    // The row's item data, or -1 for a row that does not exist.
    std::int32_t GetItemData(int row) const;

private:
    std::vector<Row> m_rows;
};
