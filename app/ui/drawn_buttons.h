// The first page's buttons, drawn by hand: a style sheet costs the first frame its parsing and
// the polishing of every widget under it, and these looks are simple enough to paint.
#pragma once

#include <QToolButton>

namespace kelvora::ui
{

// A tool bar button: the style's flat button, or, when it has the focus, a blue frame on a
// light blue background so that a keyboard user sees where Tab has gone.
class BarButton : public QToolButton
{
    Q_OBJECT

public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The card icon that starts a reading: its image alone, a light background under the mouse,
// and a blue rounded frame when it has the focus.
class CardButton : public QToolButton
{
    Q_OBJECT

public:
    explicit CardButton(QWidget* parent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelvora::ui
