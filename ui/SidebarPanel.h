#pragma once

#include <QWidget>

// The panel behind the quick-access column: a shade set apart from the
// window's background, with a hairline on its trailing edge.
class SidebarPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarPanel(QWidget *parent = nullptr);

    // The fill, derived from the palette so dark themes get a dark panel.
    QColor background() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
