// ROM list rows for the dialog's list view.
#include "CRomListModel.h"

#include "ui/CQuillbeyDlgCore.h"

#include <string>

CRomListModel::CRomListModel(const CQuillbeyDlgCore& core, QObject* parent)
    : QAbstractListModel(parent), m_core(core) {}

int CRomListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

QVariant CRomListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_nRows) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        std::string scratch;
        const std::string_view text = m_core.RowText(index.row(), scratch);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == ItemDataRole) {
        return GetItemData(index.row());
    }
    return {};
}

void CRomListModel::ShowRows(IQuillbeyDlgView::RowChange change, int count,
                             const std::vector<int>& newRowOf) {
    switch (change) {
    case IQuillbeyDlgView::RowChange::Cleared:
        beginResetModel();
        m_nRows = 0;
        endResetModel();
        break;
    case IQuillbeyDlgView::RowChange::Appended:
        if (count > m_nRows) {
            beginInsertRows(QModelIndex(), m_nRows, count - 1);
            m_nRows = count;
            endInsertRows();
        }
        break;
    case IQuillbeyDlgView::RowChange::Reordered: {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        // The focused and selected rows stay on their images.
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& old : before) {
            const auto row = static_cast<std::size_t>(old.row());
            after.push_back(row < newRowOf.size() && newRowOf[row] >= 0 ? index(newRowOf[row], 0)
                                                                        : QModelIndex());
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        break;
    }
    }
}

std::int32_t CRomListModel::GetItemData(int row) const {
    return row < m_nRows ? m_core.GetItemData(row) : -1;
}
