// The virtual ROM list: rows, marks and infotips from the dialog's core.
#include "CRomListView.h"

#include "WideText.h"
#include "ui/CQuillbeyDlgCore.h"
#include "ui/RowMark.h"

namespace {

constexpr int kListColumnWidth = 166; // pixels at 96 dots per inch
// Where a mark's bitmap shows this colour, the list's background shows.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

COLORREF ColourOf(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void DrawMark(HDC dc, RowMark mark) {
    const RowMarkLook look = LookOf(mark);
    const int size = kRowMarkSize;
    const HPEN pen = CreatePen(PS_SOLID, 1, ColourOf(look.rgbEdge));
    const bool ring = look.shape == RowMarkShape::Ring;
    const HBRUSH fill = ring ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                             : CreateSolidBrush(ColourOf(look.rgbFill));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, fill);
    if (look.shape == RowMarkShape::Square) {
        Rectangle(dc, 2, 2, size - 2, size - 2);
    } else if (look.shape == RowMarkShape::Diamond) {
        const POINT corners[] = {
            {size / 2, 0}, {size - 1, size / 2}, {size / 2, size - 1}, {0, size / 2}};
        Polygon(dc, corners, 4);
    } else {
        Ellipse(dc, 1, 1, size - 1, size - 1);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    if (!ring) {
        DeleteObject(fill);
    }
}

// The marks in the order of kDrawnRowMarks; the list destroys it with itself.
HIMAGELIST CreateMarkImages() {
    const int size = kRowMarkSize;
    const HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK,
                                               static_cast<int>(kDrawnRowMarks.size()), 0);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBRUSH mask = CreateSolidBrush(kMaskColour);
    for (const RowMark mark : kDrawnRowMarks) {
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        const RECT all{0, 0, size, size};
        FillRect(dc, &all, mask);
        DrawMark(dc, mark);
        SelectObject(dc, old);
        ImageList_AddMasked(images, bitmap, kMaskColour);
        DeleteObject(bitmap);
    }
    DeleteObject(mask);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return images;
}

} // namespace

void CRomListView::Attach(HWND list) {
    m_hWnd = list;
    // The column only carries the rows' text; its heading is hidden. Its width
    // follows the screen's scale, as the dialog's does.
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::wstring heading = L"Filename";
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = MulDiv(kListColumnWidth, dpi, USER_DEFAULT_SCREEN_DPI);
    column.pszText = heading.data();
    ListView_InsertColumn(m_hWnd, 0, &column);
    ListView_SetExtendedListViewStyleEx(m_hWnd, 0, LVS_EX_FULLROWSELECT);
}

int CRomListView::FocusedRow() const {
    return ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED);
}

void CRomListView::ShowRows(IQuillbeyDlgView::RowChange change, int count,
                            const std::vector<int>& newRowOf) {
    if (change == IQuillbeyDlgView::RowChange::Cleared) {
        ListView_DeleteAllItems(m_hWnd);
        return;
    }
    const int focused = FocusedRow();
    ListView_SetItemCountEx(m_hWnd, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (change == IQuillbeyDlgView::RowChange::Reordered) {
        // The focused (and selected) row stays on its image.
        const auto moved = static_cast<std::size_t>(focused);
        if (focused >= 0 && moved < newRowOf.size() && newRowOf[moved] >= 0) {
            const UINT state = ListView_GetItemState(m_hWnd, focused, LVIS_SELECTED);
            ListView_SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetItemState(m_hWnd, newRowOf[moved], state | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        }
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CRomListView::UpdateMarks() {
    if (m_core.HasDat() && !m_bMarksShown) {
        m_bMarksShown = true;
        ListView_SetImageList(m_hWnd, CreateMarkImages(), LVSIL_SMALL);
        ListView_SetExtendedListViewStyleEx(m_hWnd, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CRomListView::OnGetDispInfo(LVITEMW& item) {
    if ((item.mask & LVIF_IMAGE) != 0) {
        const int image = RowMarkImage(m_core.GetRowMark(item.iItem));
        item.iImage = image >= 0 ? image : I_IMAGENONE;
    }
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    std::string scratch;
    m_strRowText = Utf8ToWide(m_core.RowText(item.iItem, scratch));
    lstrcpynW(item.pszText, m_strRowText.c_str(), item.cchTextMax);
}

void CRomListView::OnGetInfoTip(NMLVGETINFOTIPW& tip) {
    if (!m_core.HasDat() || tip.pszText == nullptr || tip.cchTextMax <= 0) {
        return;
    }
    std::wstring text;
    for (const wchar_t c : Utf8ToWide(m_core.RowTip(tip.iItem))) {
        text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    }
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
}
