// The main dialog in Qt: the folder field and browse button, the ROM list,
// the ROM Info panel and the two link labels. It draws what its
// CQuillbeyDlgCore decides and forwards the user's events to it.
#pragma once

#include "ui/CQuillbeyDlgCore.h"
#include "ui/IQuillbeyDlgView.h"

#include <QDialog>
#include <QIcon>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CLinkLabel;
class CRomListModel;
class QCheckBox;
class QLineEdit;
class QListView;
class QMimeData;
class QPushButton;
class QTimer;

class CQuillbeyDlg : public QDialog, private IQuillbeyDlgView {
    Q_OBJECT

public:
    // Asks the user for a folder; nullopt when cancelled.
    using FolderPicker = std::function<std::optional<QString>(QWidget* owner)>;

    // `start`: a folder and a DAT to take at start instead of the stored ones.
    explicit CQuillbeyDlg(QuillbeyStart start = {}, QWidget* parent = nullptr);
    ~CQuillbeyDlg() override = default;

    // Replaces the folder picker (tests drive the dialog through this).
    void SetFolderPicker(FolderPicker picker) { m_pickFolder = std::move(picker); }
    void SetScanOptions(ScanOptions options) { m_core.SetScanOptions(std::move(options)); }
    // Starts showing and scanning `folder` as if it had been picked.
    void ChooseFolder(const std::string& folder) { m_core.ChooseFolder(folder); }

    bool IsBusy() const { return m_core.IsBusy(); }
    bool IsChecking() const { return m_core.IsChecking(); }
    bool HasDat() const { return m_core.HasDat(); }
    const std::string& GetFolder() const { return m_core.GetFolder(); }

    // Controls, for the tests.
    QPushButton* BrowseButton() const { return m_btnBrowse; }
    QListView* RomList() const { return m_lstRoms; }
    CRomListModel* RomListModel() const { return m_romModel; }
    QCheckBox* LogoErrorBox() const { return m_chkLogoError; }
    QLineEdit* FolderField() const { return m_editFolder; }
    // The value field of a detail field, by its control ID.
    QLineEdit* DetailField(int controlId) const { return m_detailFields.at(controlId); }
    CLinkLabel* WebLink() const { return m_lnkWeb; }
    CLinkLabel* MailLink() const { return m_lnkMail; }

public slots:
    void accept() override; // Enter: nothing
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // IQuillbeyDlgView
    void UpdateData(const QuillbeyDlgTexts& texts) override;
    void ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) override;
    void SetBusy(bool busy) override;
    void SetChecking(bool checking) override;
    void UpdateRowMarks() override;
    void SetLogoErrorTick(bool ticked) override;
    void CopyToClipboard(const std::string& text) override;
    void ShowError(const std::string& caption, const std::string& text) override;

    void CreateWidgets();
    QWidget* CreateControl(int kind, int controlId);
    void ConnectWidgets();
    void OnInitDialog();
    void OnBrowse();
    int FocusedRow() const;
    static std::vector<std::string> DroppedPaths(const QMimeData* mime);

    CQuillbeyDlgCore m_core;
    QPushButton* m_btnBrowse = nullptr;
    QCheckBox* m_chkLogoError = nullptr;
    QListView* m_lstRoms = nullptr;
    QLineEdit* m_editFolder = nullptr;
    std::map<int, QLineEdit*> m_detailFields; // by control ID
    CLinkLabel* m_lnkMail = nullptr;
    CLinkLabel* m_lnkWeb = nullptr;
    CRomListModel* m_romModel = nullptr;
    QTimer* m_flushTimer = nullptr;
    QIcon m_hIcon;
    FolderPicker m_pickFolder;
};
