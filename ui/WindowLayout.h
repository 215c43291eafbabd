#pragma once

#include <QFont>
#include <QLayout>
#include <array>

// Places the window's seven parts as fixed offsets from each other and from
// the window's edges:
//   toolbar   top-left, its natural width (never past the trailing edge)
//   sidebar   under the toolbar, 180 wide, down to 4 above the status line
//   path      2 under the toolbar, 14 right of the sidebar, 14 from the edge, 28 high
//   search    at the path row's trailing end, its natural width; the path
//             gives up that width and an 8 gap
//   table     10 under the path, same sides, down to 8 above the status line
//   status    16 from either side, 10 above the bottom
//   activity  at the status line's trailing end, when shown; the status
//             line then ends 8 before it
class WindowLayout : public QLayout
{
    Q_OBJECT
public:
    enum Role { Toolbar, Sidebar, Path, Table, Status, Activity, Search, RoleCount };

    static constexpr int kSidebarWidth = 180;
    static constexpr int kContentGap = 14;
    static constexpr int kPathGap = 2;
    static constexpr int kPathHeight = 28;
    static constexpr int kSearchGap = 8;
    static constexpr int kTableGap = 10;
    static constexpr int kStatusInset = 16;
    static constexpr int kStatusBottom = 10;
    static constexpr int kSidebarAboveStatus = 4;
    static constexpr int kTableAboveStatus = 8;
    static constexpr int kActivityGap = 8;

    // A widget's font at a size in the same unit as every measure above:
    // device-independent pixels.
    static QFont fontOf(const QWidget *widget, int pixelSize, QFont::Weight weight);

    explicit WindowLayout(QWidget *parent = nullptr);
    ~WindowLayout() override;

    void setWidget(Role role, QWidget *widget);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    int heightOf(Role role) const;

    std::array<QLayoutItem *, RoleCount> m_items{};
};
