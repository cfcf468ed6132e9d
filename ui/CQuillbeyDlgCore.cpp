// The main dialog's behaviour: folder choice and scan control, the sort at
// the end of a scan, the details panel, the DAT check, and the settings.
#include "CQuillbeyDlgCore.h"

#include "CDatSession.h"
#include "ChosenFolder.h"
#include "DatResultText.h"
#include "FolderSetting.h"
#include "QuillbeyVersion.h"
#include "RomSort.h"
#include "TextConversion.h"
#include "romio/CFileSystem.h"
#include "scan/CRomEntryList.h"

#include <chrono>
#include <system_error>

namespace {

// How often a growing list is shown again while a scan runs: each showing
// costs a list view a repaint of its scroll bar, which under load can take
// longer than the rows it adds are worth.
constexpr auto kRowsShownEvery = std::chrono::milliseconds(200);

using Rows = std::vector<CScanRowBuffer::Row>;

Rows SortedRows(Rows rows) {
    SortRomRows(
        rows, [](const CScanRowBuffer::Row& row) { return row.itemData; }, g_romEntries);
    return rows;
}

// Where each row of `before` stands in `after` (the same rows, reordered).
std::vector<int> NewRowsOf(const Rows& before, const Rows& after) {
    std::vector<int> rowOfItemData(after.size(), -1);
    for (std::size_t row = 0; row < after.size(); ++row) {
        const auto itemData = static_cast<std::size_t>(after[row].itemData);
        if (itemData < rowOfItemData.size()) {
            rowOfItemData[itemData] = static_cast<int>(row);
        }
    }
    std::vector<int> newRowOf;
    newRowOf.reserve(before.size());
    for (const CScanRowBuffer::Row& row : before) {
        const auto itemData = static_cast<std::size_t>(row.itemData);
        newRowOf.push_back(itemData < rowOfItemData.size() ? rowOfItemData[itemData] : -1);
    }
    return newRowOf;
}

// What the header checks found, for a row's tip; "" when nothing.
std::string HeaderFaultText(const CRomEntry& entry) {
    if (!IsHeaderValid(entry)) {
        return "header fault: no valid header";
    }
    std::string faults;
    if ((entry.m_dwFlags & ROMF_LOGO_ERROR) != 0) {
        faults += ", logo damaged";
    }
    if ((entry.m_dwFlags & ROMF_COMPLEMENT_ERROR) != 0) {
        faults += ", complement wrong";
    }
    return faults.empty() ? faults : "header fault: " + faults.substr(2);
}

} // namespace

CQuillbeyDlgCore::CQuillbeyDlgCore(IQuillbeyDlgView& view, SettingsFiles settings,
                                   QuillbeyStart start)
    : m_view(view), m_settings(std::move(settings)), m_start(std::move(start)),
      m_dat(std::make_unique<CDatSession>()) {}

CQuillbeyDlgCore::~CQuillbeyDlgCore() {
    // The sort reads the entries, which outlive this object: let it finish.
    if (m_sortedRows.valid()) {
        m_sortedRows.wait();
    }
    m_scan.Stop();
}

void CQuillbeyDlgCore::SetCheckOptions(EntryCheckOptions options) {
    m_dat->SetOptions(std::move(options));
}

void CQuillbeyDlgCore::SetBeforeDatLoad(std::function<void()> beforeLoad) {
    m_dat->SetBeforeLoad(std::move(beforeLoad));
}

bool CQuillbeyDlgCore::HasDat() const {
    return m_dat->IsLoaded();
}

void CQuillbeyDlgCore::OnInitDialog() {
    m_strLastFolder = ReadFolderSetting(m_settings.path, m_settings.legacyPath).folder;
    m_strDatFile = ReadDatFileSetting(m_settings.path);
    UpdateData();
    // A DAT given at start wins; else the stored one. Loaded before the
    // scan, so that the scan's images are checked as soon as it ends.
    if (m_start.datFile) {
        LoadDat(*m_start.datFile);
    } else if (m_strDatFile && !m_strDatFile->empty()) {
        LoadDat(*m_strDatFile);
    }
    // A folder given at start wins; else the stored folder, when it still exists.
    if (m_start.folder) {
        ChooseFolder(*m_start.folder);
    } else if (CFileSystem::IsFolder(m_strLastFolder)) {
        ChooseFolder(m_strLastFolder);
    }
}

void CQuillbeyDlgCore::OnBrowse(const std::optional<std::string>& picked) {
    if (picked) {
        ChooseFolder(*picked); // cancelled: nothing changes
    }
}

void CQuillbeyDlgCore::ChooseFolder(const std::string& folder) {
    // Never two workers: a running scan is stopped first, without waiting.
    StopScan();

    m_strFolder = folder;
    m_strLastFolder = folder;
    UpdateData(); // the folder as chosen; the panel keeps what it showed
    // The rows point at their entries' names: they go before the entries.
    m_rows = {};
    m_nRowsShown = 0;
    m_view.ShowRows(IQuillbeyDlgView::RowChange::Cleared, 0, {});

    const ChosenFolder chosen = SplitChosenFolder(m_strFolder);
    m_strFolder = chosen.shown;

    SetBusy(true);
    m_scan.Start(chosen.scan); // empties the entry list; rows and count start at 0
}

void CQuillbeyDlgCore::OnTimer() {
    if (m_bChecking) {
        if (const std::optional<std::string> loaded = m_dat->TakeLoaded()) {
            OnDatLoaded(*loaded);
        }
        // Asked before taking, so that nothing finished is left behind.
        const bool checked = !m_dat->IsRunning();
        if (m_dat->TakeFinished()) {
            m_view.UpdateRowMarks();
        }
        if (checked) {
            UpdateChecking();
        }
    }
    if (m_sortedRows.valid()) {
        if (m_sortedRows.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            OnSortDone();
        }
        return;
    }
    if (!m_bBusy) {
        return;
    }
    CScanSession::Progress progress = m_scan.TakeProgress();
    m_rows.insert(m_rows.end(), progress.rows.begin(), progress.rows.end());
    // The first rows at once, then at most one showing per interval; all at the end.
    const auto now = std::chrono::steady_clock::now();
    if (m_nRowsShown < GetRowCount() &&
        (m_nRowsShown == 0 || progress.done || now - m_lastRowsShown >= kRowsShownEvery)) {
        m_nRowsShown = GetRowCount();
        m_lastRowsShown = now;
        m_view.ShowRows(IQuillbeyDlgView::RowChange::Appended, m_nRowsShown, {});
    }
    if (progress.done) {
        OnScanDone();
    }
}

void CQuillbeyDlgCore::OnScanDone() {
    // At 100,000 rows the comparisons take tens of milliseconds, during which
    // the window would stand still: they run on a thread of their own while
    // the dialog stays busy. Nothing writes the entries now.
    try {
        m_sortedRows = std::async(std::launch::async, SortedRows, m_rows);
    } catch (const std::system_error&) {
        // No thread to be had: sort here rather than leave the list unsorted.
        std::promise<Rows> sorted;
        sorted.set_value(SortedRows(m_rows));
        m_sortedRows = sorted.get_future();
    }
}

void CQuillbeyDlgCore::OnSortDone() {
    Rows sorted = m_sortedRows.get();
    const std::vector<int> newRowOf = NewRowsOf(m_rows, sorted);
    m_rows = std::move(sorted);
    m_view.ShowRows(IQuillbeyDlgView::RowChange::Reordered, GetRowCount(), newRowOf);
    SetBusy(false);
    StartCheck();
}

void CQuillbeyDlgCore::StartCheck() {
    if (!m_dat->IsLoaded() || m_rows.empty()) {
        return;
    }
    // The check's positions are the entries' positions, the rows' item data.
    std::vector<const CRomEntry*> entries;
    entries.reserve(g_romEntries.GetSize());
    for (std::size_t position = 0; position < g_romEntries.GetSize(); ++position) {
        entries.push_back(g_romEntries.GetAt(position));
    }
    m_dat->Start(std::move(entries));
    m_view.UpdateRowMarks();
    SetChecking(true);
}

void CQuillbeyDlgCore::StopCheck() {
    m_dat->Stop();
    UpdateChecking(); // a DAT still loading goes on: it is no folder's
}

void CQuillbeyDlgCore::UpdateChecking() {
    SetChecking(m_dat->IsLoading() || m_dat->IsRunning());
}

void CQuillbeyDlgCore::SetChecking(bool checking) {
    if (m_bChecking != checking) {
        m_bChecking = checking;
        m_view.SetChecking(checking);
    }
}

void CQuillbeyDlgCore::StopScan() {
    if (m_sortedRows.valid()) {
        // The sort reads the entries, which are about to go: it is allowed to
        // finish (it reads no file, only the names in memory).
        m_sortedRows.wait();
        m_sortedRows = {};
    }
    // The check reads the entries too: it ends before they go.
    StopCheck();
    m_scan.Stop();
    SetBusy(false);
}

void CQuillbeyDlgCore::SetBusy(bool busy) {
    if (m_bBusy != busy) {
        m_bBusy = busy;
        m_view.SetBusy(busy);
    }
}

void CQuillbeyDlgCore::OnItemChangedRomList(int focusedRow) {
    // While a scan runs the rows and entries are not settled: the panel waits.
    if (m_bBusy || focusedRow < 0) {
        return;
    }
    ClearDetails();
    if (const CRomEntry* entry = EntryOfRow(focusedRow)) {
        m_details = ComputeRomDetails(*entry);
    }
    UpdateData();
}

void CQuillbeyDlgCore::ClearDetails() {
    m_details = RomDetails{};
}

void CQuillbeyDlgCore::OnLogoErrorClicked() {
    // The box ticked or cleared itself on the click; only the panel sets it.
    m_view.SetLogoErrorTick(m_details.m_bLogoError);
}

void CQuillbeyDlgCore::OnCopy(int focusedRow) {
    if (m_bBusy) {
        return;
    }
    if (const CRomEntry* entry = EntryOfRow(focusedRow)) {
        std::string text = FormatRomDetailsText(*entry);
        if (m_dat->IsLoaded()) {
            text +=
                "DAT: " + m_dat->ResultTextAt(static_cast<std::size_t>(GetItemData(focusedRow)));
            text += '\n';
        }
        m_view.CopyToClipboard(text);
    }
}

bool CQuillbeyDlgCore::CanDrop(const std::vector<std::string>& paths) const {
    return paths.size() == 1 && !paths.front().empty();
}

bool CQuillbeyDlgCore::OnDrop(const std::vector<std::string>& paths) {
    if (!CanDrop(paths)) {
        return false;
    }
    if (CFileSystem::IsFolder(paths.front())) {
        ChooseFolder(paths.front());
        return true;
    }
    return LoadDat(paths.front());
}

bool CQuillbeyDlgCore::LoadDat(const std::string& path) {
    m_dat->BeginLoad(path);
    SetChecking(true); // the pump takes the DAT when it is loaded
    return true;
}

void CQuillbeyDlgCore::OnDatLoaded(const std::string& error) {
    // A DAT that cannot be read leaves the loaded one, and its check, running.
    if (!error.empty()) {
        m_view.ShowError(kQuillbeyCaption,
                         "The DAT file could not be loaded:\n" + PathToUtf8(error) + ".");
        return;
    }
    m_strDatFile = m_dat->GetPath();
    m_view.UpdateRowMarks(); // the load stopped the check of the DAT before
    if (!m_bBusy) {
        StartCheck(); // a running scan starts it when it ends
    }
}

void CQuillbeyDlgCore::OnDestroy() {
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    StopScan();
    // A run in which no folder was chosen keeps what was stored.
    const std::string& folder = m_strFolder.empty() ? m_strLastFolder : m_strFolder;
    if (const int error = WriteFolderSetting(m_settings.path, folder, m_strDatFile); error != 0) {
        m_view.ShowError(kQuillbeyCaption, SaveErrorText(error));
    }
}

std::string CQuillbeyDlgCore::SaveErrorText(int error) const {
    return "The last folder could not be saved to " + PathToUtf8(m_settings.path) + ":\n" +
           CFileSystem::ErrorText(error) + ".";
}

std::string_view CQuillbeyDlgCore::RowText(int row, std::string& scratch) const {
    if (row < 0 || row >= GetRowCount() || m_rows[static_cast<std::size_t>(row)].text == nullptr) {
        return {};
    }
    return FileNameAsUtf8(*m_rows[static_cast<std::size_t>(row)].text, scratch);
}

std::int32_t CQuillbeyDlgCore::GetItemData(int row) const {
    return row >= 0 && row < GetRowCount() ? m_rows[static_cast<std::size_t>(row)].itemData : -1;
}

RowMark CQuillbeyDlgCore::GetRowMark(int row) const {
    if (!m_dat->IsLoaded() || row < 0 || row >= GetRowCount()) {
        return RowMark::None;
    }
    // While a scan runs the entries are being written: none is read.
    const CRomEntry* entry = m_bBusy ? nullptr : EntryOfRow(row);
    if (entry == nullptr) {
        return RowMark::Unchecked;
    }
    return RowMarkOf(m_dat->StatusAt(static_cast<std::size_t>(GetItemData(row))),
                     HasHeaderFault(*entry));
}

std::string CQuillbeyDlgCore::RowTip(int row) const {
    std::string scratch;
    std::string tip(RowText(row, scratch));
    if (!m_dat->IsLoaded() || row < 0 || row >= GetRowCount()) {
        return tip;
    }
    // Line by line with +=: GCC 12 misreads "\n" + std::string (-Wrestrict).
    const auto addLine = [&tip](const std::string& line) {
        tip += '\n';
        tip += line;
    };
    const CRomEntry* entry = m_bBusy ? nullptr : EntryOfRow(row);
    if (entry == nullptr) {
        addLine(DatResultText({}));
        return tip;
    }
    addLine(m_dat->ResultTextAt(static_cast<std::size_t>(GetItemData(row))));
    if (const std::string fault = HeaderFaultText(*entry); !fault.empty()) {
        addLine(fault);
    }
    return tip;
}

const CRomEntry* CQuillbeyDlgCore::EntryOfRow(int row) const {
    const std::int32_t itemData = GetItemData(row);
    return itemData >= 0 ? g_romEntries.GetAt(static_cast<std::size_t>(itemData)) : nullptr;
}

void CQuillbeyDlgCore::UpdateData() {
    QuillbeyDlgTexts texts;
    texts.strFolder = PathToUtf8(m_strFolder);
    for (std::size_t field = 0; field < kRomDetailFields.size(); ++field) {
        texts.values[field] = Cp1252ToUtf8(kRomDetailFields[field].TextOf(m_details));
    }
    texts.bHighlightComplement = m_details.m_bHighlightComplement;
    texts.bLogoError = m_details.m_bLogoError;
    m_view.UpdateData(texts);
}
