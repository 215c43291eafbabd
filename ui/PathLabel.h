#pragma once

#include <QLabel>

// One line of text in a rounded field; a text too long for it loses its
// middle, so the start and the file name stay readable.
class PathLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PathLabel(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
