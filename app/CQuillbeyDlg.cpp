// The main dialog: layout from the dialog template, folder choice and scan
// control, the ROM Info panel, and the settings read at start and written at
// close.
#include "CQuillbeyDlg.h"

#include "DialogUnits.h"
#include "MakerInfo.h"
#include "QuillbeyVersion.h"
#include "app/core/CProfileIni.h"
#include "app/core/RomDetails.h"
#include "app/core/TextConversion.h"
#include "controls/CLinkLabel.h"
#include "romio/CFileSystem.h"
#include "scan/CReadROMs.h"
#include "scan/CRomEntryList.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <cstdio>
#include <cstring>

// The images are compiled into a static library, whose resources are only
// registered when something asks for them.
static void InitDialogResources() {
    Q_INIT_RESOURCE(quillbey);
}

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kLastDirectoryKey = "Last Directory";
constexpr int kListColumnWidth = 166;
constexpr int kFlushIntervalMs = 40;

// Link colours: blue link and hover, purple once visited (0x00BBGGRR).
constexpr std::uint32_t kLinkColour = 0xEE0000;
constexpr std::uint32_t kVisitedColour = 0x800080;
constexpr std::uint32_t kHoverColour = 0xEE0000;

// The colour the browse button's image shows where the button face belongs.
const QRgb kBitmapBackground = qRgb(0, 128, 128);

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Show8Bit(const std::string& text) {
    return FromUtf8(Cp1252ToUtf8(text));
}

std::string ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The browse button's image with its background in the button-face colour.
QIcon BrowseIcon(const QColor& buttonFace) {
    QImage image(QStringLiteral(":/res/bitmap135.bmp"));
    if (image.isNull()) {
        return {};
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (kBitmapBackground & 0xFFFFFF)) {
                line[x] = buttonFace.rgb();
            }
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

std::optional<QString> PickFolderWithDialog(QWidget* owner) {
    const QString folder = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Select Folder."), QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

// The one local folder among dropped URLs, if there is exactly one.
std::optional<QString> DroppedFolder(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isDir()) {
        return std::nullopt;
    }
    return url.toLocalFile();
}

} // namespace

CQuillbeyDlg::CQuillbeyDlg(std::optional<std::string> startFolder, QWidget* parent)
    : QDialog(parent), m_pickFolder(PickFolderWithDialog), m_startFolder(std::move(startFolder)) {
    InitDialogResources();
    m_hIcon = QIcon(QStringLiteral(":/res/icon128.png"));
    CreateWidgets();
    ConnectWidgets();
    OnInitDialog();
}

CQuillbeyDlg::~CQuillbeyDlg() {
    StopScan();
}

QLineEdit* CQuillbeyDlg::MakeValueField(const DialogUnits& units, int x, int y, int w, int h) {
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setGeometry(units.ToPixels(x, y, w, h));
    return field;
}

QLabel* CQuillbeyDlg::MakeLabel(const DialogUnits& units, const char* text, int x, int y, int w,
                                int h) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(units.ToPixels(x, y, w, h));
    return label;
}

void CQuillbeyDlg::CreateWidgets() {
    setWindowTitle(QString::fromLatin1(kQuillbeyCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    const DialogUnits units(dialogFont);
    setFixedSize(units.ToPixelsX(300), units.ToPixelsY(198));
    setAcceptDrops(true);

    // Created in template order, which is also the tab order.
    m_btnBrowse = new QPushButton(this); // 1008
    m_btnBrowse->setGeometry(units.ToPixels(106, 11, 14, 12));
    m_btnBrowse->setToolTip(QStringLiteral("Select Folder."));

    m_romModel = new CRomListModel(this);
    m_lstRoms = new QTreeView(this); // 1006
    m_lstRoms->setModel(m_romModel);
    m_lstRoms->setGeometry(units.ToPixels(7, 26, 113, 130));
    m_lstRoms->setHeaderHidden(true);
    m_lstRoms->setRootIsDecorated(false);
    m_lstRoms->setItemsExpandable(false);
    m_lstRoms->setUniformRowHeights(true);
    m_lstRoms->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstRoms->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstRoms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstRoms->header()->setStretchLastSection(false);
    m_lstRoms->setColumnWidth(0, kListColumnWidth);

    m_editName = MakeValueField(units, 206, 18, 79, 12);        // 1002
    m_editVersion = MakeValueField(units, 206, 31, 22, 12);     // 1003
    m_editMaker = MakeValueField(units, 206, 57, 79, 12);       // 1004
    m_editUnitCode = MakeValueField(units, 206, 83, 22, 12);    // 1012
    m_editDeviceType = MakeValueField(units, 206, 96, 22, 12);  // 1013
    m_editComplement = MakeValueField(units, 206, 109, 44, 12); // 1011

    MakeLabel(units, "Internal Name:", 140, 18, 47, 12);
    MakeLabel(units, "Serial:", 140, 43, 40, 13);
    MakeLabel(units, "Maker:", 140, 57, 23, 12);
    MakeLabel(units, "Version:", 140, 31, 26, 12);
    MakeLabel(units, "Complement:", 140, 108, 42, 13);

    auto* group = new QGroupBox(QStringLiteral("ROM Info"), this);
    group->setGeometry(units.ToPixels(130, 7, 163, 149));

    auto* notice = new QLabel(QString::fromLatin1(MakerInfo::kNotice), this);
    notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    notice->setGeometry(units.ToPixels(4, 160, 120, 8));

    m_lnkWeb = new CLinkLabel(this); // 1016
    m_lnkWeb->setText(QString::fromLatin1(MakerInfo::kWebAddress));
    m_lnkWeb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lnkWeb->setGeometry(units.ToPixels(7, 171, 113, 8));

    m_lnkMail = new CLinkLabel(this); // 1017
    m_lnkMail->setText(QString::fromLatin1(MakerInfo::kMailAddress));
    m_lnkMail->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lnkMail->setGeometry(units.ToPixels(7, 182, 113, 8));

    m_editFolder = new QLineEdit(this); // 1007
    m_editFolder->setReadOnly(true);
    m_editFolder->setFrame(false);
    QPalette folderColours = m_editFolder->palette();
    folderColours.setColor(QPalette::Base, folderColours.color(QPalette::Window));
    m_editFolder->setPalette(folderColours);
    m_editFolder->setFocusPolicy(Qt::ClickFocus);
    m_editFolder->setGeometry(units.ToPixels(7, 13, 87, 12));

    MakeLabel(units, "Main Unit Code:", 140, 83, 52, 12);
    MakeLabel(units, "Device Type:", 140, 95, 44, 13);

    auto* banner = new QLabel(this);
    const QPixmap bannerImage(QStringLiteral(":/res/bitmap129.bmp"));
    banner->setPixmap(bannerImage);
    banner->setGeometry(QRect(units.ToPixels(189, 178, 0, 0).topLeft(), bannerImage.size()));

    m_chkLogoError = new QCheckBox(QStringLiteral("Logo Error"), this); // 1015
    m_chkLogoError->setFocusPolicy(Qt::ClickFocus);
    m_chkLogoError->setGeometry(units.ToPixels(206, 137, 49, 10));

    m_editSerial = MakeValueField(units, 206, 44, 79, 12); // 1018
    MakeLabel(units, "ROM Size:", 140, 69, 41, 13);
    m_editRomSize = MakeValueField(units, 206, 70, 79, 12); // 1019
    m_editCrc32 = MakeValueField(units, 206, 122, 44, 12);  // 1020
    MakeLabel(units, "CRC32:", 140, 121, 26, 13);

    // The group box only frames the panel; it must not cover the fields.
    group->lower();

    m_flushTimer = new QTimer(this);
    m_flushTimer->setInterval(kFlushIntervalMs);
}

void CQuillbeyDlg::ConnectWidgets() {
    connect(m_btnBrowse, &QPushButton::clicked, this, &CQuillbeyDlg::OnBrowse);
    connect(m_chkLogoError, &QCheckBox::clicked, this, &CQuillbeyDlg::OnLogoErrorClicked);
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CQuillbeyDlg::OnItemChangedRomList);
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CQuillbeyDlg::OnItemChangedRomList);
    connect(m_flushTimer, &QTimer::timeout, this, &CQuillbeyDlg::OnFlushTimer);
    auto* copy = new QShortcut(QKeySequence::Copy, m_lstRoms, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &CQuillbeyDlg::OnCopyDetails);
}

void CQuillbeyDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);

    CProfileIni profile(CProfileIni::DefaultPath());
    profile.Read();
    m_strLastFolder = profile.GetString(kSettingsSection, kLastDirectoryKey).value_or("");
    UpdateData(false);

    m_lnkMail->Attach();
    m_lnkWeb->Attach();
    m_lnkMail->SetTarget(QStringLiteral("mailto:") + QString::fromLatin1(MakerInfo::kMailAddress));
    m_lnkMail->SetUnderlined(false);
    m_lnkMail->SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    m_lnkWeb->SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);

    m_btnBrowse->setIcon(BrowseIcon(palette().color(QPalette::Button)));
    m_btnBrowse->setFocus();

    // A folder given at start wins; else the stored folder, when it still exists.
    if (m_startFolder) {
        ChooseFolder(*m_startFolder);
    } else if (CFileSystem::IsFolder(m_strLastFolder)) {
        ChooseFolder(m_strLastFolder);
    }
}

void CQuillbeyDlg::accept() {
    // Enter does nothing; the dialog has no OK button.
}

void CQuillbeyDlg::done(int result) {
    OnDestroy();
    QDialog::done(result);
}

void CQuillbeyDlg::OnDestroy() {
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    StopScan();
    UpdateData(true);
    // A run in which no folder was chosen keeps what was stored.
    const std::string folder = m_strFolder.empty() ? m_strLastFolder : m_strFolder;
    CProfileIni profile(CProfileIni::DefaultPath());
    profile.Read();
    profile.SetString(kSettingsSection, kLastDirectoryKey, folder);
    if (const int error = profile.Write(); error != 0) {
        std::fprintf(stderr, "quillbey: cannot save the last folder to %s: %s\n",
                     PathToUtf8(profile.GetPath()).c_str(), CFileSystem::ErrorText(error).c_str());
    }
}

void CQuillbeyDlg::OnBrowse() {
    const std::optional<QString> chosen = m_pickFolder(this);
    if (!chosen) {
        return; // cancelled: nothing changes
    }
    ChooseFolder(ToLocalPath(*chosen));
}

void CQuillbeyDlg::ChooseFolder(const std::string& folder) {
    // Never two workers: a running scan is stopped and joined first.
    StopScan();

    m_strFolder = folder;
    m_strLastFolder = folder;
    UpdateData(false);

    m_romModel->DeleteAllItems();
    g_romEntries.RemoveAll();
    m_nEntryCount = 0;
    m_nRowCount = 0;
    {
        const std::lock_guard lock(m_pendingMutex);
        m_pendingRows.clear();
        m_bScanDonePosted = false;
    }

    // The worker joins "/" and a name itself, so it gets the folder without its
    // trailing separator; the root keeps showing "/" rather than nothing.
    std::string scanFolder = m_strFolder;
    if (!scanFolder.empty() && scanFolder.back() == '/') {
        scanFolder.pop_back();
        if (!scanFolder.empty()) {
            m_strFolder = scanFolder;
        }
    }

    m_bBusy = true;
    m_pReadThread = std::make_unique<CReadROMs>(*this, scanFolder);
    m_flushTimer->start();
    m_pReadThread->CreateThread(); // when it cannot start, it reports done at once
}

void CQuillbeyDlg::StopScan() {
    if (m_pReadThread) {
        m_pReadThread->RequestStop();
        m_pReadThread->Join();
        m_pReadThread.reset();
    }
    m_flushTimer->stop();
}

int CQuillbeyDlg::GetRomRowCount() {
    return m_nRowCount.load();
}

void CQuillbeyDlg::InsertRomRow(int row, const std::string& text) {
    // Converted here, on the worker's thread, to keep the dialog's thread free;
    // a name that is valid UTF-8 (the usual case) goes to QString directly.
    PendingRow pending{row, {IsValidUtf8(text) ? FromUtf8(text) : Show8Bit(text), -1}};
    const std::lock_guard lock(m_pendingMutex);
    m_pendingRows.push_back(std::move(pending));
    ++m_nRowCount;
}

void CQuillbeyDlg::SetRomRowData(int row, std::int32_t itemData) {
    const std::lock_guard lock(m_pendingMutex);
    for (auto it = m_pendingRows.rbegin(); it != m_pendingRows.rend(); ++it) {
        if (it->row == row) {
            it->content.itemData = itemData;
            return;
        }
    }
}

std::int32_t CQuillbeyDlg::GetEntryCount() {
    return m_nEntryCount.load();
}

void CQuillbeyDlg::IncrementEntryCount() {
    ++m_nEntryCount;
}

void CQuillbeyDlg::PostScanDone() {
    // Only a flag: the dialog's timer picks it up, so the worker never waits for
    // the dialog's thread, and a stopped worker's notice dies with its scan.
    const std::lock_guard lock(m_pendingMutex);
    m_bScanDonePosted = true;
}

void CQuillbeyDlg::OnFlushTimer() {
    FlushPendingRows(false);
    bool done = false;
    {
        const std::lock_guard lock(m_pendingMutex);
        done = m_bScanDonePosted;
    }
    if (done) {
        OnScanDone();
    }
}

void CQuillbeyDlg::FlushPendingRows(bool all) {
    std::vector<CRomListModel::Row> ready;
    {
        const std::lock_guard lock(m_pendingMutex);
        // A row whose item data is still to come waits for the next flush.
        std::size_t count = m_pendingRows.size();
        if (!all && count > 0 && m_pendingRows.back().content.itemData < 0) {
            --count;
        }
        ready.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            ready.push_back(std::move(m_pendingRows[i].content));
        }
        m_pendingRows.erase(m_pendingRows.begin(),
                            m_pendingRows.begin() + static_cast<std::ptrdiff_t>(count));
    }
    m_romModel->AppendRows(std::move(ready));
}

void CQuillbeyDlg::OnScanDone() {
    if (!m_bBusy) {
        return;
    }
    if (m_pReadThread) {
        m_pReadThread->Join(); // it has posted its last message; this returns at once
        m_pReadThread.reset();
    }
    m_flushTimer->stop();
    FlushPendingRows(true);
    m_romModel->SortItems();
    m_bBusy = false;
}

void CQuillbeyDlg::OnItemChangedRomList() {
    if (m_bBusy) {
        return;
    }
    const QModelIndex focused = m_lstRoms->currentIndex();
    if (!focused.isValid()) {
        return;
    }
    ClearDetails();
    const std::int32_t itemData = m_romModel->GetItemData(focused.row());
    const CRomEntry* entry =
        itemData >= 0 ? g_romEntries.GetAt(static_cast<std::size_t>(itemData)) : nullptr;
    if (entry != nullptr) {
        const RomDetails details = ComputeRomDetails(*entry);
        m_strName = details.m_strName;
        m_strVersion = details.m_strVersion;
        m_strSerial = details.m_strSerial;
        m_strMaker = details.m_strMaker;
        m_strRomSize = details.m_strRomSize;
        m_strUnitCode = details.m_strUnitCode;
        m_strDeviceType = details.m_strDeviceType;
        m_strComplement = details.m_strComplement;
        m_strCrc32 = details.m_strCrc32;
        m_bHighlightComplement = details.m_bHighlightComplement;
        if (details.m_bLogoError) {
            m_chkLogoError->setChecked(true);
        }
    }
    UpdateData(false);
}

void CQuillbeyDlg::ClearDetails() {
    for (std::string* text : {&m_strName, &m_strVersion, &m_strSerial, &m_strMaker, &m_strRomSize,
                              &m_strUnitCode, &m_strDeviceType, &m_strComplement, &m_strCrc32}) {
        text->clear();
    }
    m_bHighlightComplement = false;
    m_chkLogoError->setChecked(false);
}

void CQuillbeyDlg::OnLogoErrorClicked() {
    // The box toggled itself on the click; only the panel may set it.
    m_chkLogoError->setChecked(!m_chkLogoError->isChecked());
}

void CQuillbeyDlg::OnCopyDetails() {
    if (m_bBusy) {
        return;
    }
    const QModelIndex focused = m_lstRoms->currentIndex();
    const std::int32_t itemData = focused.isValid() ? m_romModel->GetItemData(focused.row()) : -1;
    const CRomEntry* entry =
        itemData >= 0 ? g_romEntries.GetAt(static_cast<std::size_t>(itemData)) : nullptr;
    if (entry != nullptr) {
        QApplication::clipboard()->setText(FromUtf8(FormatRomDetailsText(*entry)));
    }
}

void CQuillbeyDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        // Every field is read-only and shows a member's text; the members hold
        // the exact bytes (a path need not be valid UTF-8), so nothing is read back.
        return;
    }
    m_editFolder->setText(FromUtf8(PathToUtf8(m_strFolder)));
    m_editName->setText(Show8Bit(m_strName));
    m_editVersion->setText(Show8Bit(m_strVersion));
    m_editMaker->setText(Show8Bit(m_strMaker));
    m_editComplement->setText(Show8Bit(m_strComplement));
    m_editUnitCode->setText(Show8Bit(m_strUnitCode));
    m_editDeviceType->setText(Show8Bit(m_strDeviceType));
    m_editSerial->setText(Show8Bit(m_strSerial));
    m_editRomSize->setText(Show8Bit(m_strRomSize));
    m_editCrc32->setText(Show8Bit(m_strCrc32));
    for (QLineEdit* field : DetailFields()) {
        field->setCursorPosition(0);
    }
    ApplyComplementColours();
}

void CQuillbeyDlg::ApplyComplementColours() {
    QPalette colours = palette();
    if (m_bHighlightComplement) {
        colours.setColor(QPalette::Text, QColor(255, 0, 0));
        colours.setColor(QPalette::Base, QColor(192, 192, 192));
    }
    m_editComplement->setPalette(colours);
}

std::vector<QLineEdit*> CQuillbeyDlg::DetailFields() const {
    return {m_editName,     m_editVersion,    m_editSerial,     m_editMaker, m_editRomSize,
            m_editUnitCode, m_editDeviceType, m_editComplement, m_editCrc32};
}

void CQuillbeyDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFolder(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void CQuillbeyDlg::dropEvent(QDropEvent* event) {
    if (const auto folder = DroppedFolder(event->mimeData())) {
        event->acceptProposedAction();
        ChooseFolder(ToLocalPath(*folder));
    }
}
