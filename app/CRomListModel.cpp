// ROM list rows for the dialog's list view.
#include "CRomListModel.h"

#include "app/core/RomSort.h"
#include "app/core/TextConversion.h"
#include "scan/CRomEntryList.h"

CRomListModel::CRomListModel(QObject* parent) : QAbstractListModel(parent) {}

int CRomListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CRomListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && row.text != nullptr) {
        const std::string utf8 = FileNameToUtf8(*row.text);
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    if (role == ItemDataRole) {
        return row.itemData;
    }
    return {};
}

void CRomListModel::AppendRows(std::vector<Row> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void CRomListModel::DeleteAllItems() {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

void CRomListModel::SortItems() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int32_t> oldData;
    oldData.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        oldData.push_back(GetItemData(index.row()));
    }

    SortRomRows(
        m_rows, [](const Row& row) { return row.itemData; }, g_romEntries);

    // Item data is unique per row, so it tells where each remembered row went.
    std::vector<int> newRowOf;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const auto data = static_cast<std::size_t>(m_rows[row].itemData);
        if (m_rows[row].itemData >= 0) {
            if (newRowOf.size() <= data) {
                newRowOf.resize(data + 1, -1);
            }
            newRowOf[data] = static_cast<int>(row);
        }
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (std::size_t i = 0; i < oldData.size(); ++i) {
        const auto data = static_cast<std::size_t>(oldData[i]);
        const int row = (oldData[i] >= 0 && data < newRowOf.size()) ? newRowOf[data] : -1;
        after.push_back(row >= 0 ? index(row, 0) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::int32_t CRomListModel::GetItemData(int row) const {
    if (row < 0 || row >= rowCount()) {
        return -1;
    }
    return m_rows[static_cast<std::size_t>(row)].itemData;
}
