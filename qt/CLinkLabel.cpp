// The hyperlink label: colours, hover, fitting, opening and failure report.
#include "CLinkLabel.h"

#include "ui/FitToTextRect.h"
#include "ui/LinkFallback.h"
#include "ui/OpenErrorText.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <cstdint>
#include <string>
#include <utility>

namespace {

// A colour as Windows writes it, 0x00BBGGRR.
using COLORREF = std::uint32_t;

constexpr COLORREF kDefaultLinkColor = 0x00EE0000;    // RGB(0, 0, 238)
constexpr COLORREF kDefaultVisitedColor = 0x008B1A55; // RGB(85, 26, 139)

QColor ToQColor(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QColor SystemHighlightColor() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

} // namespace

CLinkLabel::CLinkLabel(QWidget* parent)
    : QLabel(parent), m_clrLink(ToQColor(kDefaultLinkColor)),
      m_clrVisited(ToQColor(kDefaultVisitedColor)), m_clrHover(SystemHighlightColor()),
      m_services(DesktopLinkLabelServices()) {
    // Plain text: a target or caption with markup must not turn into a
    // second, unmanaged link inside the label.
    setTextFormat(Qt::PlainText);
    // Hover starts with any mouse move that reaches the label.
    setMouseTracking(true);
}

CLinkLabel::~CLinkLabel() = default;

void CLinkLabel::Attach() {
    if (m_bAttached) {
        return;
    }
    m_bAttached = true;
    if (m_strTarget.isEmpty()) {
        m_strTarget = text();
    }
    if (text().isEmpty()) {
        setText(m_strTarget);
    }
    ApplyLinkFont();
    FitToText();
    LoadHandCursor();
    setToolTip(m_strTarget);
}

void CLinkLabel::SetTarget(const QString& target) {
    m_strTarget = target;
    if (m_bAttached) {
        FitToText();
        setToolTip(m_strTarget);
    }
}

void CLinkLabel::SetLinkColors(const QColor& link, const QColor& visited,
                               std::optional<QColor> hover) {
    m_clrLink = link;
    m_clrVisited = visited;
    m_clrHover = hover.value_or(SystemHighlightColor());
    if (m_bAttached) {
        update();
    }
}

void CLinkLabel::SetLinkVisited(bool visited) {
    m_bLinkVisited = visited;
    if (m_bAttached) {
        update();
    }
}

void CLinkLabel::SetUnderlined(bool underlined) {
    m_bUnderlined = underlined;
    if (m_bAttached) {
        ApplyLinkFont();
        update();
    }
}

void CLinkLabel::SetFitToText(bool fitToText) {
    m_bFitToText = fitToText;
}

void CLinkLabel::FitToText() {
    if (!m_bAttached || !m_bFitToText) {
        return;
    }
    // Measured with the link font: the text, not the target, is what shows.
    const QFontMetrics metrics(m_fontLink);
    const QRect current = geometry();
    const WindowRect fitted =
        FitRectToText({current.left(), current.top(), current.left() + current.width(),
                       current.top() + current.height()},
                      metrics.horizontalAdvance(text()), metrics.height(), StaticStyle());
    setGeometry(fitted.left, fitted.top, fitted.Width(), fitted.Height());
}

int CLinkLabel::OpenTarget(const QString& target) {
    const std::string targetText = target.toStdString();
    const int shellResult = m_services.openWithShell(targetText);
    if (shellResult > kSuccessThreshold) {
        return shellResult;
    }
    const std::optional<std::string> command = m_services.browserCommand();
    if (!command || !BuildFallbackCommandLine(*command, targetText)) {
        // No browser named, or a command line past its limit: the fallback is
        // not tried and the first failure stands.
        return shellResult;
    }
    const auto arguments = BuildFallbackArguments(*command, targetText);
    if (!arguments) {
        return kErrAssociationIncomplete;
    }
    return m_services.runCommand(*arguments);
}

void CLinkLabel::ShowOpenError(int code) {
    m_services.showMessage(window(), QString::fromStdString(OpenErrorMessage(code)));
}

void CLinkLabel::OnLinkClicked() {
    const int result = OpenTarget(m_strTarget);
    m_bLinkVisited = result > kSuccessThreshold;
    if (m_bLinkVisited) {
        SetLinkVisited(true);
        m_bHover = false;
    } else {
        m_services.beep();
        ShowOpenError(result);
    }
}

QColor CLinkLabel::TextColor() const {
    if (m_bLinkVisited) {
        return m_clrVisited;
    }
    return m_bHover ? m_clrHover : m_clrLink;
}

void CLinkLabel::SetServices(LinkLabelServices services) {
    m_services = std::move(services);
}

void CLinkLabel::paintEvent(QPaintEvent* /*event*/) {
    // No background of its own: the parent shows through around the text.
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(TextColor());
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    OnMouseMove(event->position().toPoint());
}

void CLinkLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
    }
}

void CLinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // It follows the second press of a double-click, whose release must not
    // open the target a second time.
    m_bPressed = false;
    event->accept();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !std::exchange(m_bPressed, false)) {
        return;
    }
    if (rect().contains(event->position().toPoint())) {
        OnLinkClicked();
    }
}

void CLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (m_bHover) {
        SetHover(false);
    }
}

void CLinkLabel::OnMouseMove(const QPoint& point) {
    if (!m_bHover) {
        SetHover(true);
    } else if (!rect().contains(point)) {
        // Reached only while a button is held: the label then keeps the mouse.
        SetHover(false);
    }
}

void CLinkLabel::SetHover(bool hover) {
    m_bHover = hover;
    update();
}

void CLinkLabel::LoadHandCursor() {
    setCursor(Qt::PointingHandCursor);
}

void CLinkLabel::ApplyLinkFont() {
    m_fontLink = font();
    m_fontLink.setUnderline(m_bUnderlined);
    setFont(m_fontLink);
}

unsigned CLinkLabel::StaticStyle() const {
    const Qt::Alignment align = alignment();
    unsigned style = 0;
    if (align & Qt::AlignHCenter) {
        style |= kAlignCentre;
    } else if (align & Qt::AlignRight) {
        style |= kAlignRight;
    }
    if (align & Qt::AlignVCenter) {
        style |= kAlignMiddle;
    }
    return style;
}
