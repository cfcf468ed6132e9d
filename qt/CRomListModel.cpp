// ROM list rows for the dialog's list view.
#include "CRomListModel.h"

#include "ui/TextConversion.h"

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

std::vector<std::int32_t> CRomListModel::GetItemDataInRowOrder() const {
    std::vector<std::int32_t> itemData;
    itemData.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        itemData.push_back(row.itemData);
    }
    return itemData;
}

void CRomListModel::SetRowOrder(const std::vector<std::int32_t>& itemData) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int32_t> oldData;
    oldData.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        oldData.push_back(GetItemData(index.row()));
    }

    // Item data is unique per row, so it tells where each row goes.
    std::vector<int> newRowOf;
    for (std::size_t row = 0; row < itemData.size(); ++row) {
        const auto data = static_cast<std::size_t>(itemData[row]);
        if (itemData[row] >= 0) {
            if (newRowOf.size() <= data) {
                newRowOf.resize(data + 1, -1);
            }
            newRowOf[data] = static_cast<int>(row);
        }
    }
    std::vector<Row> reordered(m_rows.size());
    std::size_t nextWithout = 0; // rows without an entry keep their places among themselves
    for (const Row& row : m_rows) {
        const auto data = static_cast<std::size_t>(row.itemData);
        if (row.itemData >= 0 && data < newRowOf.size() && newRowOf[data] >= 0) {
            reordered[static_cast<std::size_t>(newRowOf[data])] = row;
            continue;
        }
        while (nextWithout < itemData.size() && itemData[nextWithout] >= 0) {
            ++nextWithout;
        }
        if (nextWithout < reordered.size()) {
            reordered[nextWithout++] = row;
        }
    }
    m_rows.swap(reordered);

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
