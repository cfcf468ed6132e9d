// A text label that acts as a hyperlink: drawn in a link colour (another
// once its target has been opened, a third under the mouse), underlined
// unless told otherwise, fitted to its text, with a hand cursor and a tooltip
// showing the target. A click (a press and a release on the label; a
// double-click counts once) opens the target through the desktop, falling
// back to the desktop's web browser; a failure beeps and is explained in a
// message box.
//
// Set-up: give the label its text, font, alignment and geometry, then call
// Attach() once; only then do the setters act on the window (before, they
// only store). The horizontal alignment decides how the label is fitted:
// centred labels shrink around their centre, right-aligned ones keep their
// right edge, others their left edge. Vertically centred labels shrink around
// their middle; any other keeps its top. Place the label freely (not in a
// layout), as fitting moves and resizes it.
#pragma once

#include "LinkLabelServices.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <optional>

class QEvent;
class QMouseEvent;
class QPaintEvent;
class QPoint;

class CLinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit CLinkLabel(QWidget* parent = nullptr);
    ~CLinkLabel() override;

    // Binds the label to its window: the target and the text fill each other
    // in when empty, the font gets its underline, the window is fitted, and
    // the cursor and tooltip are set. Runs only once.
    void Attach();

    void SetTarget(const QString& target);
    // No hover colour stands for the desktop's highlight colour at this call.
    void SetLinkColors(const QColor& link, const QColor& visited,
                       std::optional<QColor> hover = std::nullopt);
    void SetLinkVisited(bool visited);
    void SetUnderlined(bool underlined);
    void SetFitToText(bool fitToText);
    void FitToText();

    // Opens the target, and marks the label visited or explains the failure.
    void OnLinkClicked();

    const QString& GetTarget() const { return m_strTarget; }
    bool IsLinkVisited() const { return m_bLinkVisited; }
    bool IsHovering() const { return m_bHover; }
    // The colour the text is drawn in now: visited wins over hover, hover over link.
    QColor TextColor() const;

    // Replaces how the label reaches the desktop (used by tests).
    void SetServices(LinkLabelServices services);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Opens `target`; returns the launch result.
    int OpenTarget(const QString& target);
    void ShowOpenError(int code);
    void OnMouseMove(const QPoint& point);
    void SetHover(bool hover);
    void LoadHandCursor();
    void ApplyLinkFont();
    unsigned StaticStyle() const;

    QColor m_clrLink;
    QColor m_clrVisited;
    QColor m_clrHover;
    bool m_bHover = false;
    bool m_bPressed = false; // a left press on the label, waiting for its release
    bool m_bLinkVisited = false;
    bool m_bUnderlined = true;
    bool m_bFitToText = true;
    bool m_bAttached = false;
    QString m_strTarget;
    QFont m_fontLink;
    LinkLabelServices m_services;
};
