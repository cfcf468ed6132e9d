// ROM list rows for the dialog's list view.
#include "CRomListModel.h"

#include "RowMarkPixmap.h"
#include "ui/CQuillbeyDlgCore.h"

#include <string>

CRomListModel::CRomListModel(const CQuillbeyDlgCore& core, QObject* parent)
    : QAbstractListModel(parent), m_core(core) {
    for (std::size_t i = 0; i < m_marks.size(); ++i) {
        m_marks[i] = RowMarkPixmap(kDrawnRowMarks[i]);
    }
}

int CRomListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nRows;
}

QVariant CRomListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_nRows) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        std::string scratch;
        const std::string_view text = m_core.RowText(index.row(), scratch);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::ToolTipRole) {
        return QString::fromStdString(m_core.RowTip(index.row()));
    }
    if (role == Qt::DecorationRole) {
        const int image = RowMarkImage(m_core.GetRowMark(index.row()));
        if (image < 0) {
            return {}; // no DAT: the rows are drawn as they always were
        }
        return m_marks.at(static_cast<std::size_t>(image));
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

void CRomListModel::UpdateMarks() {
    if (m_nRows > 0) {
        emit dataChanged(index(0, 0), index(m_nRows - 1, 0), {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

std::int32_t CRomListModel::GetItemData(int row) const {
    return row < m_nRows ? m_core.GetItemData(row) : -1;
}
