// What a main dialog's window must be able to show, whatever its toolkit.
// CQuillbeyDlgCore decides what the dialog does and tells its view through
// these calls; the view only draws, and forwards the user's events back.
#pragma once

#include "RomDetailFields.h"

#include <array>
#include <string>
#include <vector>

// The texts and marks of the folder field and the ROM Info panel, ready to
// show: UTF-8, the values in the order of kRomDetailFields.
struct QuillbeyDlgTexts {
    std::string strFolder;
    std::array<std::string, kRomDetailFields.size()> values;
    bool bHighlightComplement = false; // the Complement field red on light grey
    bool bLogoError = false;           // "Logo Error" ticked
};

class IQuillbeyDlgView {
public:
    // How the rows of the ROM list changed since the view last heard.
    enum class RowChange {
        Cleared,   // no rows any more
        Appended,  // rows added at the end
        Reordered, // the same rows in another order
    };

    virtual ~IQuillbeyDlgView() = default;

    // Shows the folder field and the panel (data exchange towards the window).
    virtual void UpdateData(const QuillbeyDlgTexts& texts) = 0;
    // The list now has `count` rows (CQuillbeyDlgCore::RowText gives their
    // texts). For Reordered, `newRowOf[oldRow]` is where each row went, so
    // that the view can keep its focused and selected rows on their images.
    virtual void ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) = 0;
    // Busy: a scan or the sort after it runs. While busy the view shows the
    // busy cursor over the list and calls OnTimer about every 40 ms.
    virtual void SetBusy(bool busy) = 0;
    // Checking: a DAT loads, or the scanned images are checked against it,
    // in the background. The view calls OnTimer about every 40 ms then too,
    // while the list stays as usable as when idle.
    virtual void SetChecking(bool checking) = 0;
    // Rows' marks and tips changed (CQuillbeyDlgCore::GetRowMark, RowTip),
    // or a DAT was loaded and the rows have marks from now on; the rows are
    // the same.
    virtual void UpdateRowMarks() = 0;
    // Puts the "Logo Error" box back to what the panel says.
    virtual void SetLogoErrorTick(bool ticked) = 0;
    // Puts a UTF-8 text on the clipboard.
    virtual void CopyToClipboard(const std::string& text) = 0;
    // Tells the user of a failure, in a message box owned by the dialog.
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;
};
