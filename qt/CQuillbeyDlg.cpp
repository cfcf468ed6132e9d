// The main dialog: layout from the dialog template, folder choice and scan
// control, the ROM Info panel, and the settings read at start and written at
// close.
#include "CQuillbeyDlg.h"

#include "DialogUnits.h"
#include "QuillbeyVersion.h"
#include "ui/CProfileIni.h"
#include "ui/ChosenFolder.h"
#include "ui/FolderSetting.h"
#include "ui/MakerInfo.h"
#include "ui/RomDetailFields.h"
#include "ui/RomSort.h"
#include "ui/ScanJobs.h"
#include "ui/TextConversion.h"
#include "ui/resource.h"
#include "qt/CLinkLabel.h"
#include "romio/CFileSystem.h"
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
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <cstdio>

// The images are compiled into a static library, whose resources are only
// registered when something asks for them.
static void InitDialogResources() {
    Q_INIT_RESOURCE(quillbey);
}

namespace {

constexpr int kFlushIntervalMs = 40;

// Link colours: blue link and hover, purple once visited.
const QColor kLinkColour(0, 0, 238);
const QColor kVisitedColour(128, 0, 128);
const QColor kHoverColour(0, 0, 238);
// The highlighted Complement: red on light grey.
const QColor kHighlightText(255, 0, 0);
const QColor kHighlightBack(192, 192, 192);

// The colour the browse button's image shows where the button face belongs.
const QRgb kBitmapBackground = qRgb(0, 128, 128);

// The controls of dialog template 102 in template order, which is also the
// tab order; positions and sizes in dialog units.
enum class ControlKind { Browse, List, Value, Label, Group, Notice, Link, Folder, Banner, Check };

struct TemplateControl {
    ControlKind kind;
    int nId; // the control's ID; for a label, the ID of the field it names
    int x, y, w, h;
};

constexpr TemplateControl kTemplate[] = {
    {ControlKind::Browse, IDC_BROWSE, 106, 11, 14, 12},
    {ControlKind::List, IDC_ROMLIST, 7, 26, 113, 130},
    {ControlKind::Value, IDC_NAME, 206, 18, 79, 12},
    {ControlKind::Value, IDC_VERSION, 206, 31, 22, 12},
    {ControlKind::Value, IDC_MAKER, 206, 57, 79, 12},
    {ControlKind::Value, IDC_UNITCODE, 206, 83, 22, 12},
    {ControlKind::Value, IDC_DEVICETYPE, 206, 96, 22, 12},
    {ControlKind::Value, IDC_COMPLEMENT, 206, 109, 44, 12},
    {ControlKind::Label, IDC_NAME, 140, 18, 47, 12},
    {ControlKind::Label, IDC_SERIAL, 140, 43, 40, 13},
    {ControlKind::Label, IDC_MAKER, 140, 57, 23, 12},
    {ControlKind::Label, IDC_VERSION, 140, 31, 26, 12},
    {ControlKind::Label, IDC_COMPLEMENT, 140, 108, 42, 13},
    {ControlKind::Group, -1, 130, 7, 163, 149},
    {ControlKind::Notice, -1, 4, 160, 120, 8},
    {ControlKind::Link, IDC_WEBLINK, 7, 171, 113, 8},
    {ControlKind::Link, IDC_MAILLINK, 7, 182, 113, 8},
    {ControlKind::Folder, IDC_FOLDER, 7, 13, 87, 12},
    {ControlKind::Label, IDC_UNITCODE, 140, 83, 52, 12},
    {ControlKind::Label, IDC_DEVICETYPE, 140, 95, 44, 13},
    {ControlKind::Banner, -1, 189, 178, 103, 13},
    {ControlKind::Check, IDC_LOGOERROR, 206, 137, 49, 10},
    {ControlKind::Value, IDC_SERIAL, 206, 44, 79, 12},
    {ControlKind::Label, IDC_ROMSIZE, 140, 69, 41, 13},
    {ControlKind::Value, IDC_ROMSIZE, 206, 70, 79, 12},
    {ControlKind::Value, IDC_CRC32, 206, 122, 44, 12},
    {ControlKind::Label, IDC_CRC32, 140, 121, 26, 13},
};

const RomDetailField& FieldOf(int controlId) {
    return *std::find_if(
        kRomDetailFields.begin(), kRomDetailFields.end(),
        [controlId](const RomDetailField& f) { return f.nControlId == controlId; });
}

QString FromUtf8(std::string_view text) {
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
    QImage image(QStringLiteral(":/res/browse-folder.bmp"));
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
    m_scan.SetOptions(ScanOptionsFromEnvironment());
    InitDialogResources();
    m_hIcon = QIcon(QStringLiteral(":/res/icon128.png"));
    CreateWidgets();
    ConnectWidgets();
    OnInitDialog();
}

CQuillbeyDlg::~CQuillbeyDlg() {
    StopScan();
}

void CQuillbeyDlg::CreateWidgets() {
    setWindowTitle(QString::fromLatin1(kQuillbeyCaption));
    // An application window of its own, listed on the task bar: the normal
    // window type (a dialog type would make it transient for a hidden
    // leader), fixed size, with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    const DialogUnits units(dialogFont);
    setFixedSize(units.ToPixelsX(300), units.ToPixelsY(198));
    setAcceptDrops(true);

    // Read-only fields in the dialog's face colour, as read-only edit fields are.
    QPalette valueColours = palette();
    valueColours.setColor(QPalette::Base, valueColours.color(QPalette::Window));

    // Created in template order, which is also the tab order.
    for (const TemplateControl& control : kTemplate) {
        const QRect rect = units.ToPixels(control.x, control.y, control.w, control.h);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::Browse:
            m_btnBrowse = new QPushButton(this);
            // Enter reaches it only while it has the focus (keyPressEvent);
            // it is never the dialog's default button, nor drawn as one.
            m_btnBrowse->setAutoDefault(false);
            m_btnBrowse->setToolTip(QStringLiteral("Select Folder."));
            m_btnBrowse->setAccessibleName(QStringLiteral("Select Folder"));
            widget = m_btnBrowse;
            break;
        case ControlKind::List:
            m_romModel = new CRomListModel(this);
            // A list view of one column: it keeps no layout item per row (a
            // tree view keeps one for each of 100,000 rows), and lays out
            // a large list in batches between events.
            m_lstRoms = new QListView(this);
            m_lstRoms->setModel(m_romModel);
            m_lstRoms->setUniformItemSizes(true);
            m_lstRoms->setLayoutMode(QListView::Batched);
            m_lstRoms->setSelectionMode(QAbstractItemView::SingleSelection);
            m_lstRoms->setSelectionBehavior(QAbstractItemView::SelectRows);
            m_lstRoms->setEditTriggers(QAbstractItemView::NoEditTriggers);
            m_lstRoms->setAccessibleName(QStringLiteral("ROM images"));
            widget = m_lstRoms;
            break;
        case ControlKind::Value: {
            auto* field = new QLineEdit(this);
            field->setReadOnly(true);
            field->setPalette(valueColours);
            // A screen reader names the field by its label.
            field->setAccessibleName(FromUtf8(FieldOf(control.nId).Name()));
            m_detailFields[control.nId] = field;
            widget = field;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(FromUtf8(FieldOf(control.nId).label), this);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            widget = label;
            break;
        }
        case ControlKind::Group:
            widget = new QGroupBox(QStringLiteral("ROM Info"), this);
            widget->lower(); // it only frames the panel and must not cover the fields
            break;
        case ControlKind::Notice: {
            auto* notice = new QLabel(QString::fromLatin1(MakerInfo::kNotice), this);
            notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            widget = notice;
            break;
        }
        case ControlKind::Link: {
            const bool web = control.nId == IDC_WEBLINK;
            auto* link = new CLinkLabel(this);
            link->setText(
                QString::fromLatin1(web ? MakerInfo::kWebAddress : MakerInfo::kMailAddress));
            link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            link->setAccessibleName(web ? QStringLiteral("Web page") : QStringLiteral("Mail"));
            (web ? m_lnkWeb : m_lnkMail) = link;
            widget = link;
            break;
        }
        case ControlKind::Folder:
            m_editFolder = new QLineEdit(this);
            m_editFolder->setReadOnly(true);
            m_editFolder->setFrame(false);
            m_editFolder->setPalette(valueColours);
            m_editFolder->setFocusPolicy(Qt::ClickFocus);
            m_editFolder->setAccessibleName(QStringLiteral("Folder"));
            widget = m_editFolder;
            break;
        case ControlKind::Banner: {
            auto* banner = new QLabel(this);
            const QPixmap bannerImage(QStringLiteral(":/res/platform-banner.bmp"));
            banner->setPixmap(bannerImage);
            banner->setAccessibleName(QStringLiteral("Game Boy Advance"));
            banner->setGeometry(QRect(rect.topLeft(), bannerImage.size())); // its own size
            continue;
        }
        case ControlKind::Check:
            m_chkLogoError = new QCheckBox(FromUtf8(kLogoErrorLabel), this);
            m_chkLogoError->setFocusPolicy(Qt::ClickFocus);
            widget = m_chkLogoError;
            break;
        }
        widget->setGeometry(rect);
    }
    // Each label is its field's buddy, as a label before an edit control is.
    for (QLabel* label : findChildren<QLabel*>()) {
        for (const RomDetailField& field : kRomDetailFields) {
            if (label->text() == FromUtf8(field.label)) {
                label->setBuddy(m_detailFields.at(field.nControlId));
            }
        }
    }

    m_flushTimer = new QTimer(this);
    m_flushTimer->setInterval(kFlushIntervalMs);
}

void CQuillbeyDlg::ConnectWidgets() {
    connect(m_btnBrowse, &QPushButton::clicked, this, &CQuillbeyDlg::OnBrowse);
    connect(m_chkLogoError, &QCheckBox::clicked, this, &CQuillbeyDlg::OnLogoErrorClicked);
    connect(m_flushTimer, &QTimer::timeout, this, &CQuillbeyDlg::OnFlushTimer);
    // Any change of a row's state, as the list reports it, refreshes the panel.
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CQuillbeyDlg::OnItemChangedRomList);
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CQuillbeyDlg::OnItemChangedRomList);
    auto* copy = new QShortcut(QKeySequence::Copy, m_lstRoms, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &CQuillbeyDlg::OnCopyDetails);
}

void CQuillbeyDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);

    m_strLastFolder = ReadFolderSetting(CProfileIni::DefaultPath()).folder;
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

void CQuillbeyDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Only a push button that has the focus takes Enter; anywhere else it
        // does nothing.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        return;
    }
    QDialog::keyPressEvent(event); // Escape closes
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
    const std::string path = CProfileIni::DefaultPath();
    if (const int error = WriteFolderSetting(path, folder); error != 0) {
        std::fprintf(stderr, "quillbey: cannot save the last folder to %s: %s\n",
                     PathToUtf8(path).c_str(), CFileSystem::ErrorText(error).c_str());
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
    // Never two workers: a running scan is stopped first.
    StopScan();

    m_strFolder = folder;
    m_strLastFolder = folder;
    UpdateData(false);
    // The rows point at their entries' names: they go before the entries.
    m_romModel->DeleteAllItems();

    const ChosenFolder chosen = SplitChosenFolder(m_strFolder);
    m_strFolder = chosen.shown;

    SetBusy(true);
    m_flushTimer->start();
    m_scan.Start(chosen.scan); // empties the entry list; rows and count start at 0
}

void CQuillbeyDlg::StopScan() {
    if (m_sortedOrder.valid()) {
        // The sort reads the entries, which are about to go: it is allowed to
        // finish (it reads no file, only the names in memory).
        m_sortedOrder.wait();
        m_sortedOrder = {};
    }
    m_scan.Stop();
    m_flushTimer->stop();
    SetBusy(false);
}

void CQuillbeyDlg::SetBusy(bool busy) {
    m_bBusy = busy;
    if (busy) {
        m_lstRoms->setCursor(Qt::BusyCursor);
    } else {
        m_lstRoms->unsetCursor();
    }
}

void CQuillbeyDlg::OnFlushTimer() {
    const CScanSession::Progress progress = m_scan.TakeProgress();
    AppendRows(progress.rows);
    if (progress.done) {
        OnScanDone();
    }
}

void CQuillbeyDlg::AppendRows(const std::vector<CScanRowBuffer::Row>& taken) {
    std::vector<CRomListModel::Row> rows;
    rows.reserve(taken.size());
    for (const CScanRowBuffer::Row& row : taken) {
        rows.push_back({row.text, row.itemData});
    }
    m_romModel->AppendRows(std::move(rows));
}

void CQuillbeyDlg::OnScanDone() {
    if (!m_bBusy || m_sortedOrder.valid()) {
        return;
    }
    m_flushTimer->stop();
    // The rows are sorted by their entries' names on a thread of their own: at
    // 100,000 rows the comparisons take tens of milliseconds, during which the
    // window would stand still. Nothing writes the entries now; the dialog
    // stays busy until the order is applied.
    m_sortedOrder = std::async(
        std::launch::async, [this, order = m_romModel->GetItemDataInRowOrder()]() mutable {
            SortRomRows(
                order, [](std::int32_t itemData) { return itemData; }, g_romEntries);
            QMetaObject::invokeMethod(this, &CQuillbeyDlg::OnSortDone, Qt::QueuedConnection);
            return std::move(order);
        });
}

void CQuillbeyDlg::OnSortDone() {
    if (!m_sortedOrder.valid()) {
        return; // a new folder was chosen meanwhile
    }
    m_romModel->SetRowOrder(m_sortedOrder.get());
    SetBusy(false);
}

const CRomEntry* CQuillbeyDlg::FocusedEntry() const {
    const QModelIndex focused = m_lstRoms->currentIndex();
    const std::int32_t itemData = focused.isValid() ? m_romModel->GetItemData(focused.row()) : -1;
    return itemData >= 0 ? g_romEntries.GetAt(static_cast<std::size_t>(itemData)) : nullptr;
}

void CQuillbeyDlg::OnItemChangedRomList() {
    if (m_bBusy || !m_lstRoms->currentIndex().isValid()) {
        return;
    }
    ClearDetails();
    if (const CRomEntry* entry = FocusedEntry()) {
        m_details = ComputeRomDetails(*entry);
        m_chkLogoError->setChecked(m_details.m_bLogoError);
    }
    UpdateData(false);
}

void CQuillbeyDlg::ClearDetails() {
    m_details = RomDetails{};
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
    if (const CRomEntry* entry = FocusedEntry()) {
        QApplication::clipboard()->setText(FromUtf8(FormatRomDetailsText(*entry)));
    }
}

void CQuillbeyDlg::ShowValue(QLineEdit* field, const std::string& text8Bit) {
    field->setText(Show8Bit(text8Bit));
    field->setCursorPosition(0); // show the start of a long text, as an edit control does
}

void CQuillbeyDlg::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        // Every field is read-only and shows a member's text; the members hold
        // the exact bytes (a path need not be valid UTF-8), so nothing is read back.
        return;
    }
    m_editFolder->setText(FromUtf8(PathToUtf8(m_strFolder)));
    m_editFolder->setCursorPosition(0);
    for (const RomDetailField& field : kRomDetailFields) {
        ShowValue(DetailField(field.nControlId), field.TextOf(m_details));
    }
    ApplyFieldColours();
}

void CQuillbeyDlg::ApplyFieldColours() {
    QPalette colours = m_editFolder->palette(); // the read-only fields' colours
    if (m_details.m_bHighlightComplement) {
        colours.setColor(QPalette::Text, kHighlightText);
        colours.setColor(QPalette::Base, kHighlightBack);
    }
    ComplementField()->setPalette(colours);
}

QLineEdit* CQuillbeyDlg::DetailField(int controlId) const {
    const auto found = m_detailFields.find(controlId);
    return found == m_detailFields.end() ? nullptr : found->second;
}

std::vector<QLineEdit*> CQuillbeyDlg::DetailFields() const {
    std::vector<QLineEdit*> fields;
    for (const RomDetailField& field : kRomDetailFields) {
        fields.push_back(DetailField(field.nControlId));
    }
    return fields;
}

QLineEdit* CQuillbeyDlg::ComplementField() const {
    return DetailField(IDC_COMPLEMENT);
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
