#include "ui/PathLabel.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPadding = 8;
constexpr qreal kRadius = 6;
}

PathLabel::PathLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
}

QSize PathLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text()) + 2 * kPadding, fontMetrics().height() + 8};
}

QSize PathLabel::minimumSizeHint() const
{
    // Never lets a long path widen the window.
    return {2 * kPadding, fontMetrics().height()};
}

void PathLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF field = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(field, kRadius, kRadius);
    painter.fillPath(outline, palette().brush(QPalette::Base));
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawPath(outline);

    const QRect textRect = rect().adjusted(kPadding, 0, -kPadding, 0);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, textRect.width());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textRect, int(Qt::AlignVCenter | Qt::AlignLeft) | Qt::TextSingleLine, shown);
}
