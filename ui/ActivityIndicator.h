#pragma once

#include "engine/Operation.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The status row's progress bar and Cancel button. It shows only once work
// has gone on for a moment, so quick operations never flicker, and it is
// determinate only when the tool gives a percentage.
class ActivityIndicator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShowDelayMs = 300;

    explicit ActivityIndicator(QWidget *parent = nullptr);

    // Work started; shown after the delay unless finish() comes first.
    void start(int delayMs = kShowDelayMs);
    void setProgress(const OperationProgress &progress);
    void finish();

signals:
    void cancelRequested();

private:
    QLabel *m_count = nullptr;
    QProgressBar *m_bar = nullptr;
    QTimer m_delay;
};
