#include "ui/SidebarPanel.h"

#include "ui/WindowLayout.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

QColor mix(const QColor &a, const QColor &b, qreal amountOfB)
{
    return QColor::fromRgbF(float(a.redF() * (1 - amountOfB) + b.redF() * amountOfB),
                            float(a.greenF() * (1 - amountOfB) + b.greenF() * amountOfB),
                            float(a.blueF() * (1 - amountOfB) + b.blueF() * amountOfB));
}

} // namespace

SidebarPanel::SidebarPanel(const QPixmap &headerImage, const QList<QAbstractButton *> &buttons, QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);

    auto *icon = new QLabel;
    icon->setObjectName(QStringLiteral("headerIcon"));
    icon->setFixedSize(kHeaderIconSize, kHeaderIconSize);
    icon->setPixmap(headerImage);
    icon->setAlignment(Qt::AlignCenter);

    auto *title = new QLabel(QStringLiteral("Corvex"));
    title->setObjectName(QStringLiteral("headerTitle"));
    title->setFont(WindowLayout::fontOf(title, 18, QFont::DemiBold));

    auto *header = new QHBoxLayout;
    header->setSpacing(9);
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(icon, 0, Qt::AlignVCenter);
    header->addWidget(title, 0, Qt::AlignVCenter);

    auto *section = new QLabel(tr("QUICK ACCESS"));
    section->setObjectName(QStringLiteral("sectionLabel"));
    section->setFont(WindowLayout::fontOf(section, 10, QFont::DemiBold));
    section->setForegroundRole(QPalette::PlaceholderText);

    // Spacing between the items is given item by item: 18 after the header,
    // 4 after the section label, 8 elsewhere.
    auto *stack = new QVBoxLayout(this);
    stack->setObjectName(QStringLiteral("sidebarStack"));
    stack->setSpacing(0);
    stack->setContentsMargins(14, 16, 10, 0);
    stack->addLayout(header);
    stack->setAlignment(header, Qt::AlignLeft);
    stack->addSpacing(18);
    stack->addWidget(section, 0, Qt::AlignLeft);
    stack->addSpacing(4);
    bool first = true;
    for (QAbstractButton *b : buttons) {
        if (!first)
            stack->addSpacing(8);
        first = false;
        stack->addWidget(b, 0, Qt::AlignLeft);
    }
    stack->addStretch(1);
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
