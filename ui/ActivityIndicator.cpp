#include "ui/ActivityIndicator.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QToolButton>

ActivityIndicator::ActivityIndicator(QWidget *parent)
    : QWidget(parent)
    , m_count(new QLabel)
    , m_bar(new QProgressBar)
{
    setObjectName(QStringLiteral("activity"));
    m_count->setObjectName(QStringLiteral("activityCount"));
    m_count->setForegroundRole(QPalette::PlaceholderText);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setFixedSize(140, 10);
    m_bar->setTextVisible(false);
    auto *cancel = new QToolButton;
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setText(tr("Cancel"));
    cancel->setAutoRaise(true);
    cancel->setFocusPolicy(Qt::TabFocus);
    connect(cancel, &QToolButton::clicked, this, &ActivityIndicator::cancelRequested);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_count);
    row->addWidget(m_bar);
    row->addWidget(cancel);

    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &QWidget::show);
    hide();
}

void ActivityIndicator::start(int delayMs)
{
    if (isVisible() || m_delay.isActive())
        return;
    m_bar->setRange(0, 0);
    m_count->clear();
    m_delay.start(delayMs);
}

void ActivityIndicator::setProgress(const OperationProgress &progress)
{
    if (progress.percent >= 0) {
        m_bar->setRange(0, 100);
        m_bar->setValue(progress.percent);
        // A compressed tar's listing: the share read, and the members listed.
        if (progress.items > 0 && progress.name.isEmpty())
            m_count->setText(tr("%1 read").arg(QLocale().toString(progress.items)));
        else
            m_count->clear();
    } else {
        m_bar->setRange(0, 0);
        m_count->setText(tr("%1 read").arg(QLocale().toString(progress.items)));
    }
}

void ActivityIndicator::finish()
{
    m_delay.stop();
    hide();
}
