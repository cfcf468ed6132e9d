// The main dialog: the folder field and browse button, the ROM list, the ROM
// Info panel and the two link labels. It shows what the window-free code
// computes: rows come from the scan worker through a CScanSession and are
// sorted when the scan ends; the panel's texts come from ComputeRomDetails.
#pragma once

#include "ui/CScanSession.h"
#include "ui/RomDetails.h"
#include "scan/ScanOptions.h"

#include <QDialog>
#include <QIcon>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CRomListModel.h"

class CLinkLabel;
class DialogUnits;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QListView;

class CQuillbeyDlg : public QDialog {
    Q_OBJECT

public:
    // Asks the user for a folder; nullopt when cancelled.
    using FolderPicker = std::function<std::optional<QString>(QWidget* owner)>;

    // `startFolder`: a folder to show and scan at start instead of the stored one.
    explicit CQuillbeyDlg(std::optional<std::string> startFolder = std::nullopt,
                          QWidget* parent = nullptr);
    ~CQuillbeyDlg() override;

    // Replaces the folder picker (tests drive the dialog through this).
    void SetFolderPicker(FolderPicker picker) { m_pickFolder = std::move(picker); }
    // How the next scans run.
    void SetScanOptions(ScanOptions options) { m_scan.SetOptions(std::move(options)); }

    // Starts showing and scanning `folder` as if it had been picked.
    void ChooseFolder(const std::string& folder);

    bool IsBusy() const { return m_bBusy; }
    const std::string& GetFolder() const { return m_strFolder; }

    // Controls, for the tests.
    QPushButton* BrowseButton() const { return m_btnBrowse; }
    QListView* RomList() const { return m_lstRoms; }
    CRomListModel* RomListModel() const { return m_romModel; }
    QCheckBox* LogoErrorBox() const { return m_chkLogoError; }
    QLineEdit* FolderField() const { return m_editFolder; }
    // The value field of a detail field, by its control ID.
    QLineEdit* DetailField(int controlId) const;
    // The nine detail fields in screen order.
    std::vector<QLineEdit*> DetailFields() const;
    QLineEdit* ComplementField() const;
    CLinkLabel* WebLink() const { return m_lnkWeb; }
    CLinkLabel* MailLink() const { return m_lnkMail; }
    bool IsComplementHighlighted() const { return m_details.m_bHighlightComplement; }

public slots:
    void accept() override; // Enter: nothing
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateWidgets();
    void ConnectWidgets();
    void OnInitDialog();
    void OnDestroy();

    void OnBrowse();
    void OnFlushTimer();
    void OnScanDone();
    void OnSortDone();
    void OnItemChangedRomList();
    void OnLogoErrorClicked();
    void OnCopyDetails();
    void ClearDetails();
    void UpdateData(bool saveAndValidate);
    void ShowValue(QLineEdit* field, const std::string& text8Bit);
    void ApplyFieldColours();
    void AppendRows(const std::vector<CScanRowBuffer::Row>& taken);
    void StopScan();
    void SetBusy(bool busy);
    const CRomEntry* FocusedEntry() const;

    // Members in the order the dialog declares them.
    std::string m_strLastFolder;
    CScanSession m_scan; // the worker last started, and what it found
    bool m_bBusy = false;
    QPushButton* m_btnBrowse = nullptr;
    QCheckBox* m_chkLogoError = nullptr;
    QListView* m_lstRoms = nullptr;
    std::string m_strFolder;
    RomDetails m_details; // the panel's nine texts, highlight and tick
    CLinkLabel* m_lnkMail = nullptr;
    CLinkLabel* m_lnkWeb = nullptr;
    QIcon m_hIcon;

    QLineEdit* m_editFolder = nullptr;
    std::map<int, QLineEdit*> m_detailFields; // by control ID
    CRomListModel* m_romModel = nullptr;
    QTimer* m_flushTimer = nullptr;
    // The rows' order, sorted off the dialog's thread when a scan ends.
    std::future<std::vector<std::int32_t>> m_sortedOrder;
    FolderPicker m_pickFolder;
    std::optional<std::string> m_startFolder;
    bool m_bDestroyed = false;
};
