#include "ui/SidebarPanel.h"

#include <QPainter>

namespace {

QColor mix(const QColor &a, const QColor &b, qreal amountOfB)
{
    return QColor::fromRgbF(float(a.redF() * (1 - amountOfB) + b.redF() * amountOfB),
                            float(a.greenF() * (1 - amountOfB) + b.greenF() * amountOfB),
                            float(a.blueF() * (1 - amountOfB) + b.blueF() * amountOfB));
}

} // namespace

SidebarPanel::SidebarPanel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor SidebarPanel::background() const
{
    // A step towards the text colour: darker on light themes, lighter on dark.
    return mix(palette().color(QPalette::Window), palette().color(QPalette::WindowText), 0.05);
}

void SidebarPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), background());
    painter.setPen(mix(palette().color(QPalette::Window), palette().color(QPalette::WindowText), 0.15));
    painter.drawLine(width() - 1, 0, width() - 1, height());
}
