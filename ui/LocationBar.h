#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

// Where the folder view is: the archive's name, then each folder down to
// the one shown, in a field like the path's. Each part can be clicked.
// When the parts do not fit, those nearest the top give way to "…" first;
// the archive's name and the current folder stay as long as they can.
class LocationBar : public QWidget
{
    Q_OBJECT
public:
    explicit LocationBar(QWidget *parent = nullptr);

    void setParts(const QStringList &parts);
    const QStringList &parts() const { return m_parts; }
    // The part under a point, or -1.
    int partAt(const QPoint &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // 0: the archive's top; n: the n-th folder.
    void partClicked(int depth);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Shown {
        int part;          // -1: the "…" standing for those left out
        QString text;
        QRect rect;
    };
    void arrange();

    QStringList m_parts;
    std::vector<Shown> m_shown;
    int m_hovered = -1;
};
