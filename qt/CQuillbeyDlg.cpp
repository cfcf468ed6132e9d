// The main dialog in Qt: the controls of the dialog template, and the view
// its core draws through.
#include "CQuillbeyDlg.h"

#include "CLinkLabel.h"
#include "CRomListModel.h"
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "QuillbeyVersion.h"
#include "ui/CProfileIni.h"
#include "ui/MakerInfo.h"
#include "ui/RomDetailFields.h"
#include "ui/ScanJobs.h"
#include "ui/resource.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <algorithm>

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

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The browse button's image with its background in the button-face colour.
QIcon BrowseIcon(const QColor& buttonFace) {
    QImage image(QStringLiteral(":/res/browse-folder.bmp"));
    image = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace_if(
            line, line + image.width(),
            [](QRgb pixel) { return (pixel & 0xFFFFFF) == (kBitmapBackground & 0xFFFFFF); },
            buttonFace.rgb());
    }
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

std::optional<QString> PickFolderWithDialog(QWidget* owner) {
    const QString folder = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Select Folder."), QDir::homePath(), QFileDialog::ShowDirsOnly);
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

std::string ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

using namespace qt_dialog;

CQuillbeyDlg::CQuillbeyDlg(QuillbeyStart start, QWidget* parent)
    : QDialog(parent), m_core(*this, {CProfileIni::DefaultPath(), {}}, std::move(start)),
      m_pickFolder(PickFolderWithDialog) {
    m_core.SetScanOptions(ScanOptionsFromEnvironment());
    // The images are compiled into a static library, whose resources are only
    // registered when something asks for them.
    Q_INIT_RESOURCE(quillbey);
    m_hIcon = QIcon(QStringLiteral(":/res/icon128.png"));
    CreateWidgets();
    ConnectWidgets();
    OnInitDialog();
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

    // Created in template order, which is also the tab order.
    for (const TemplateControl& control : kTemplate) {
        QWidget* widget = CreateControl(control.kind, control.nId);
        const QRect rect = units.ToPixels(control.x, control.y, control.w, control.h);
        // The banner shows its image at the image's own size.
        const auto* banner = control.kind == Banner ? qobject_cast<QLabel*>(widget) : nullptr;
        widget->setGeometry(banner ? QRect(rect.topLeft(), banner->pixmap().size()) : rect);
    }
    // Each label is its field's buddy, as a label before an edit control is.
    for (QLabel* label : findChildren<QLabel*>()) {
        for (const RomDetailField& field : kRomDetailFields) {
            if (label->text() == FromUtf8(field.label)) {
                label->setBuddy(DetailField(field.nControlId));
            }
        }
    }
    m_flushTimer = new QTimer(this);
    m_flushTimer->setInterval(kFlushIntervalMs);
}

QWidget* CQuillbeyDlg::CreateControl(int kind, int controlId) {
    // Read-only fields in the dialog's face colour, as read-only edit fields are.
    QPalette valueColours = palette();
    valueColours.setColor(QPalette::Base, valueColours.color(QPalette::Window));
    switch (kind) {
    case Browse:
        m_btnBrowse = new QPushButton(this);
        // Enter reaches it only while it has the focus (keyPressEvent); it is
        // never the dialog's default button, nor drawn as one.
        m_btnBrowse->setAutoDefault(false);
        m_btnBrowse->setToolTip(QStringLiteral("Select Folder."));
        m_btnBrowse->setAccessibleName(QStringLiteral("Select Folder"));
        return m_btnBrowse;
    case List:
        m_romModel = new CRomListModel(m_core, this);
        // A list view keeps no layout item per row, and lays out a large
        // list in batches between events.
        m_lstRoms = new QListView(this);
        m_lstRoms->setModel(m_romModel);
        m_lstRoms->setUniformItemSizes(true);
        m_lstRoms->setIconSize(QSize(kRowMarkSize, kRowMarkSize)); // rows as high as without marks
        m_lstRoms->setLayoutMode(QListView::Batched);
        m_lstRoms->setSelectionMode(QAbstractItemView::SingleSelection);
        m_lstRoms->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_lstRoms->setAccessibleName(QStringLiteral("ROM images"));
        return m_lstRoms;
    case Value: {
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setPalette(valueColours);
        field->setAccessibleName(
            FromUtf8(RomDetailFieldById(controlId).Name())); // named by its label
        return m_detailFields[controlId] = field;
    }
    case Label: {
        auto* label = new QLabel(FromUtf8(RomDetailFieldById(controlId).label), this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }
    case Group: {
        auto* group = new QGroupBox(QStringLiteral("ROM Info"), this);
        group->lower(); // it only frames the panel and must not cover the fields
        return group;
    }
    case Notice: {
        auto* notice = new QLabel(QString::fromLatin1(MakerInfo::kNotice), this);
        notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        return notice;
    }
    case Link: {
        const bool web = controlId == IDC_WEBLINK;
        auto* link = new CLinkLabel(this);
        link->setText(QString::fromLatin1(web ? MakerInfo::kWebAddress : MakerInfo::kMailAddress));
        link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        link->setAccessibleName(web ? QStringLiteral("Web page") : QStringLiteral("Mail"));
        return (web ? m_lnkWeb : m_lnkMail) = link;
    }
    case Folder:
        m_editFolder = new QLineEdit(this);
        m_editFolder->setReadOnly(true);
        m_editFolder->setFrame(false);
        m_editFolder->setPalette(valueColours);
        m_editFolder->setFocusPolicy(Qt::ClickFocus);
        m_editFolder->setAccessibleName(QStringLiteral("Folder"));
        return m_editFolder;
    case Banner: {
        auto* banner = new QLabel(this);
        banner->setPixmap(QPixmap(QStringLiteral(":/res/platform-banner.bmp")));
        banner->setAccessibleName(QStringLiteral("Game Boy Advance"));
        return banner;
    }
    default:
        m_chkLogoError = new QCheckBox(FromUtf8(kLogoErrorLabel), this);
        m_chkLogoError->setFocusPolicy(Qt::ClickFocus);
        return m_chkLogoError;
    }
}

void CQuillbeyDlg::ConnectWidgets() {
    connect(m_btnBrowse, &QPushButton::clicked, this, &CQuillbeyDlg::OnBrowse);
    connect(m_chkLogoError, &QCheckBox::clicked, this, [this] { m_core.OnLogoErrorClicked(); });
    connect(m_flushTimer, &QTimer::timeout, this, [this] { m_core.OnTimer(); });
    // Any change of a row's state, as the list reports it, refreshes the panel.
    const auto itemChanged = [this] { m_core.OnItemChangedRomList(FocusedRow()); };
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::currentChanged, this, itemChanged);
    connect(m_lstRoms->selectionModel(), &QItemSelectionModel::selectionChanged, this, itemChanged);
    auto* copy = new QShortcut(QKeySequence::Copy, m_lstRoms, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] { m_core.OnCopy(FocusedRow()); });
}

void CQuillbeyDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
    m_lnkMail->Attach();
    m_lnkWeb->Attach();
    m_lnkMail->SetTarget(QStringLiteral("mailto:") + QString::fromLatin1(MakerInfo::kMailAddress));
    m_lnkMail->SetUnderlined(false);
    m_lnkMail->SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    m_lnkWeb->SetLinkColors(kLinkColour, kVisitedColour, kHoverColour);
    m_btnBrowse->setIcon(BrowseIcon(palette().color(QPalette::Button)));
    m_btnBrowse->setFocus();
    m_core.OnInitDialog();
}

void CQuillbeyDlg::accept() {
    // Enter does nothing; the dialog has no OK button.
}

void CQuillbeyDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Only a push button that has the focus takes Enter.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        return;
    }
    QDialog::keyPressEvent(event); // Escape closes
}

void CQuillbeyDlg::done(int result) {
    m_core.OnDestroy(); // while the window is still there to own an error box
    QDialog::done(result);
}

void CQuillbeyDlg::OnBrowse() {
    const std::optional<QString> picked = m_pickFolder(this);
    m_core.OnBrowse(picked ? std::optional<std::string>(ToLocalPath(*picked)) : std::nullopt);
}

int CQuillbeyDlg::FocusedRow() const {
    return m_lstRoms->currentIndex().row(); // -1 when no row has the focus
}

void CQuillbeyDlg::UpdateData(const QuillbeyDlgTexts& texts) {
    m_editFolder->setText(FromUtf8(texts.strFolder));
    m_editFolder->setCursorPosition(0); // show the start of a long path, as an edit control does
    for (std::size_t i = 0; i < kRomDetailFields.size(); ++i) {
        QLineEdit* field = DetailField(kRomDetailFields[i].nControlId);
        field->setText(FromUtf8(texts.values[i]));
        field->setCursorPosition(0);
    }
    QPalette colours = m_editFolder->palette(); // the read-only fields' colours
    if (texts.bHighlightComplement) {
        colours.setColor(QPalette::Text, kHighlightText);
        colours.setColor(QPalette::Base, kHighlightBack);
    }
    DetailField(IDC_COMPLEMENT)->setPalette(colours);
    m_chkLogoError->setChecked(texts.bLogoError);
}

void CQuillbeyDlg::ShowRows(RowChange change, int count, const std::vector<int>& newRowOf) {
    m_romModel->ShowRows(change, count, newRowOf);
}

void CQuillbeyDlg::SetBusy(bool busy) {
    if (busy) {
        m_lstRoms->setCursor(Qt::BusyCursor);
    } else {
        m_lstRoms->unsetCursor();
    }
    SetChecking(m_core.IsChecking());
}

void CQuillbeyDlg::SetChecking(bool checking) {
    // The same pump serves the scan and the check after it.
    if (m_core.IsBusy() || checking) {
        m_flushTimer->start();
    } else {
        m_flushTimer->stop();
    }
}

void CQuillbeyDlg::UpdateRowMarks() {
    m_romModel->UpdateMarks();
}

void CQuillbeyDlg::SetLogoErrorTick(bool ticked) {
    m_chkLogoError->setChecked(ticked);
}

void CQuillbeyDlg::CopyToClipboard(const std::string& text) {
    QApplication::clipboard()->setText(FromUtf8(text));
}

void CQuillbeyDlg::ShowError(const std::string& caption, const std::string& text) {
    QMessageBox::warning(this, FromUtf8(caption), FromUtf8(text));
}

std::vector<std::string> CQuillbeyDlg::DroppedPaths(const QMimeData* mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime != nullptr ? mime->urls() : QList<QUrl>()) {
        // A URL that names no local file is kept as "", which no folder is.
        paths.push_back(url.isLocalFile() ? ToLocalPath(url.toLocalFile()) : std::string());
    }
    return paths;
}

void CQuillbeyDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (m_core.CanDrop(DroppedPaths(event->mimeData()))) {
        event->acceptProposedAction();
    }
}

void CQuillbeyDlg::dropEvent(QDropEvent* event) {
    if (m_core.OnDrop(DroppedPaths(event->mimeData()))) {
        event->acceptProposedAction();
    }
}
