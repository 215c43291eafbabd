#include "ui/WindowLayout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>
#include <utility>

WindowLayout::WindowLayout(QWidget *parent)
    : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
}

WindowLayout::~WindowLayout()
{
    for (QLayoutItem *item : m_items)
        delete item;
}

void WindowLayout::setWidget(Role role, QWidget *widget)
{
    delete m_items[role];
    addChildWidget(widget);
    m_items[role] = new QWidgetItem(widget);
    invalidate();
}

void WindowLayout::addItem(QLayoutItem *item)
{
    // Parts are placed by role only.
    Q_ASSERT_X(false, "WindowLayout::addItem", "use setWidget()");
    delete item;
}

QLayoutItem *WindowLayout::itemAt(int index) const
{
    int seen = 0;
    for (QLayoutItem *item : m_items) {
        if (item && seen++ == index)
            return item;
    }
    return nullptr;
}

QLayoutItem *WindowLayout::takeAt(int index)
{
    int seen = 0;
    for (QLayoutItem *&item : m_items) {
        if (item && seen++ == index)
            return std::exchange(item, nullptr);
    }
    return nullptr;
}

int WindowLayout::count() const
{
    return int(std::count_if(m_items.begin(), m_items.end(), [](QLayoutItem *item) { return item; }));
}

int WindowLayout::heightOf(Role role) const
{
    return m_items[role] ? m_items[role]->sizeHint().height() : 0;
}

QSize WindowLayout::sizeHint() const
{
    return {980, 640};
}

QSize WindowLayout::minimumSize() const
{
    const int toolbarWidth = m_items[Toolbar] ? m_items[Toolbar]->minimumSize().width() : 0;
    const int width = std::max(toolbarWidth, kSidebarWidth + 2 * kContentGap + 100);
    const int height = heightOf(Toolbar) + kPathGap + kPathHeight + kTableGap + 60 + kTableAboveStatus
        + heightOf(Status) + kStatusBottom;
    return {width, height};
}

void WindowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();

    const int toolbarHeight = heightOf(Toolbar);
    const int toolbarBottom = top + toolbarHeight;
    const int statusHeight = heightOf(Status);
    const int statusTop = bottom - kStatusBottom - statusHeight;
    const int contentLeft = left + kSidebarWidth + kContentGap;
    const int contentWidth = std::max(0, right - kContentGap - contentLeft);
    const int pathTop = toolbarBottom + kPathGap;
    const int tableTop = pathTop + kPathHeight + kTableGap;

    auto place = [this](Role role, int x, int y, int w, int h) {
        if (m_items[role])
            m_items[role]->setGeometry(QRect(x, y, std::max(0, w), std::max(0, h)));
    };
    if (m_items[Toolbar])
        place(Toolbar, left, top, std::min(m_items[Toolbar]->sizeHint().width(), rect.width()), toolbarHeight);
    place(Sidebar, left, toolbarBottom, kSidebarWidth, statusTop - kSidebarAboveStatus - toolbarBottom);
    const int searchWidth = m_items[Search] ? std::min(m_items[Search]->sizeHint().width(), contentWidth / 2) : 0;
    const int pathWidth = searchWidth ? contentWidth - searchWidth - kSearchGap : contentWidth;
    place(Path, contentLeft, pathTop, pathWidth, kPathHeight);
    place(Search, contentLeft + contentWidth - searchWidth, pathTop, searchWidth, kPathHeight);
    place(Table, contentLeft, tableTop, contentWidth, statusTop - kTableAboveStatus - tableTop);
    int statusWidth = rect.width() - 2 * kStatusInset;
    if (m_items[Activity] && !m_items[Activity]->isEmpty()) {
        const QSize activity = m_items[Activity]->sizeHint();
        const int activityLeft = right - kStatusInset - activity.width();
        place(Activity, activityLeft, statusTop + (statusHeight - activity.height()) / 2, activity.width(),
              activity.height());
        statusWidth = activityLeft - kActivityGap - (left + kStatusInset);
    }
    place(Status, left + kStatusInset, statusTop, statusWidth, statusHeight);
}

QFont WindowLayout::fontOf(const QWidget *widget, int pixelSize, QFont::Weight weight)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}
