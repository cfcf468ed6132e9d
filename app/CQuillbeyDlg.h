// The main dialog: the folder field and browse button, the ROM list, the ROM
// Info panel and the two link labels. It owns the scan worker of the folder
// being scanned and is the worker's IScanTarget: rows arrive from the worker
// thread in batches and are sorted when the scan ends.
#pragma once

#include "scan/IScanTarget.h"

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CRomListModel.h"

class CLinkLabel;
class CReadROMs;
class DialogUnits;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

class CQuillbeyDlg : public QDialog, public IScanTarget {
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

    // IScanTarget, called from the worker's thread.
    int GetRomRowCount() override;
    void InsertRomRow(int row, const std::string& text) override;
    void SetRomRowData(int row, std::int32_t itemData) override;
    std::int32_t GetEntryCount() override;
    void IncrementEntryCount() override;
    void PostScanDone() override;

    // Starts showing and scanning `folder` as if it had been picked.
    void ChooseFolder(const std::string& folder);

    bool IsBusy() const { return m_bBusy; }
    const std::string& GetFolder() const { return m_strFolder; }

    // Controls, for the tests.
    QPushButton* BrowseButton() const { return m_btnBrowse; }
    QTreeView* RomList() const { return m_lstRoms; }
    CRomListModel* RomListModel() const { return m_romModel; }
    QCheckBox* LogoErrorBox() const { return m_chkLogoError; }
    QLineEdit* FolderField() const { return m_editFolder; }
    QLineEdit* ComplementField() const { return m_editComplement; }
    // The nine detail fields in screen order: name, version, serial, maker,
    // ROM size, unit code, device type, complement, CRC32.
    std::vector<QLineEdit*> DetailFields() const;
    CLinkLabel* WebLink() const { return m_lnkWeb; }
    CLinkLabel* MailLink() const { return m_lnkMail; }
    bool IsComplementHighlighted() const { return m_bHighlightComplement; }

public slots:
    void accept() override; // Enter: nothing
    void done(int result) override;

protected:
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
    void OnItemChangedRomList();
    void OnLogoErrorClicked();
    void OnCopyDetails();
    void ClearDetails();
    void UpdateData(bool saveAndValidate);
    void ApplyComplementColours();
    void FlushPendingRows(bool all);
    void StopScan();

    QLineEdit* MakeValueField(const DialogUnits& units, int x, int y, int w, int h);
    QLabel* MakeLabel(const DialogUnits& units, const char* text, int x, int y, int w, int h);

    // Members in the order the dialog declares them.
    std::string m_strLastFolder;
    std::atomic<std::int32_t> m_nEntryCount{0};
    std::unique_ptr<CReadROMs> m_pReadThread;
    bool m_bHighlightComplement = false;
    bool m_bBusy = false;
    QPushButton* m_btnBrowse = nullptr;
    QCheckBox* m_chkLogoError = nullptr;
    QTreeView* m_lstRoms = nullptr;
    std::string m_strFolder;
    std::string m_strName;
    std::string m_strVersion;
    std::string m_strMaker;
    std::string m_strComplement;
    std::string m_strUnitCode;
    std::string m_strDeviceType;
    CLinkLabel* m_lnkMail = nullptr;
    CLinkLabel* m_lnkWeb = nullptr;
    std::string m_strSerial;
    std::string m_strRomSize;
    std::string m_strCrc32;
    QIcon m_hIcon;

    // Fields the strings are shown in.
    QLineEdit* m_editFolder = nullptr;
    QLineEdit* m_editName = nullptr;
    QLineEdit* m_editVersion = nullptr;
    QLineEdit* m_editSerial = nullptr;
    QLineEdit* m_editMaker = nullptr;
    QLineEdit* m_editRomSize = nullptr;
    QLineEdit* m_editUnitCode = nullptr;
    QLineEdit* m_editDeviceType = nullptr;
    QLineEdit* m_editComplement = nullptr;
    QLineEdit* m_editCrc32 = nullptr;

    CRomListModel* m_romModel = nullptr;
    QTimer* m_flushTimer = nullptr;
    FolderPicker m_pickFolder;
    std::optional<std::string> m_startFolder;
    bool m_bDestroyed = false;

    // Rows added by the worker and not yet handed to the model.
    struct PendingRow {
        int row = -1;
        CRomListModel::Row content;
    };
    std::mutex m_pendingMutex;
    std::vector<PendingRow> m_pendingRows;
    std::atomic<int> m_nRowCount{0};
    bool m_bScanDonePosted = false; // guarded by m_pendingMutex
};
