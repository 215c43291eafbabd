#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;

// The quick-access column: the header (image and name), its section label
// and the buttons, on a shade set apart from the window's background, with a
// hairline on its trailing edge.
class SidebarPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeaderIconSize = 36;

    SidebarPanel(const QPixmap &headerImage, const QList<QAbstractButton *> &buttons, QWidget *parent = nullptr);

    // The fill, derived from the palette so dark themes get a dark panel.
    QColor background() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
