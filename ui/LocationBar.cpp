#include "ui/LocationBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPadding = 8;
constexpr int kSeparatorGap = 6;
constexpr qreal kRadius = 6;
const QString kSeparator = QStringLiteral("›");
const QString kLeftOut = QStringLiteral("…");
}

LocationBar::LocationBar(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LocationBar::setParts(const QStringList &parts)
{
    m_parts = parts;
    m_hovered = -1;
    arrange();
    updateGeometry();
    update();
}

QSize LocationBar::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    int width = 2 * kPadding;
    for (const QString &part : m_parts)
        width += metrics.horizontalAdvance(part) + metrics.horizontalAdvance(kSeparator) + 2 * kSeparatorGap;
    return {width, metrics.height() + 8};
}

QSize LocationBar::minimumSizeHint() const
{
    // Never lets a deep folder widen the window.
    return {2 * kPadding, fontMetrics().height()};
}

void LocationBar::arrange()
{
    m_shown.clear();
    if (m_parts.isEmpty())
        return;
    const QFontMetrics metrics = fontMetrics();
    // The current folder is drawn heavier, so it is measured so too.
    QFont heavy = font();
    heavy.setWeight(QFont::DemiBold);
    const QFontMetrics heavyMetrics(heavy);
    const int last = int(m_parts.size()) - 1;
    const auto metricsOf = [&](int part) -> const QFontMetrics & { return part == last ? heavyMetrics : metrics; };
    const int available = width() - 2 * kPadding;
    const int separator = metrics.horizontalAdvance(kSeparator) + 2 * kSeparatorGap;
    const auto widthOf = [&](const QString &text, int part = -1) { return metricsOf(part).horizontalAdvance(text); };

    // Parts kept from the end backwards, the first always; the rest become "…".
    int used = widthOf(m_parts.first(), 0);
    int firstKept = last + 1;
    while (firstKept > 1) {
        const int more = separator + widthOf(m_parts[firstKept - 1], firstKept - 1);
        const int leftOut = firstKept - 1 > 1 ? separator + widthOf(kLeftOut) : 0;
        if (firstKept <= last && used + more + leftOut > available)
            break;
        used += more;
        --firstKept;
    }
    std::vector<std::pair<int, QString>> texts{{0, m_parts.first()}};
    if (firstKept > 1)
        texts.push_back({-1, kLeftOut});
    for (int part = std::max(firstKept, 1); part <= last; ++part)
        texts.push_back({part, m_parts[part]});

    // What still does not fit loses its middle: the archive's name first,
    // the current folder last.
    int total = 0;
    for (const auto &[part, text] : texts)
        total += widthOf(text, part);
    total += separator * int(texts.size() - 1);
    for (size_t i = 0; i < texts.size() && total > available; ++i) {
        if (texts[i].first < 0)
            continue;
        const int part = texts[i].first;
        const int before = widthOf(texts[i].second, part);
        const int room = std::max(before - (total - available), widthOf(kLeftOut, part));
        texts[i].second = metricsOf(part).elidedText(texts[i].second, Qt::ElideMiddle, room);
        total -= before - widthOf(texts[i].second, part);
    }

    int x = kPadding;
    for (const auto &[part, text] : texts) {
        const int w = widthOf(text, part);
        m_shown.push_back({part, text, QRect(x, 0, w, height())});
        x += w + separator;
    }
}

int LocationBar::partAt(const QPoint &point) const
{
    for (const Shown &shown : m_shown) {
        if (shown.part >= 0 && shown.rect.adjusted(-kSeparatorGap, 0, kSeparatorGap, 0).contains(point))
            return shown.part;
    }
    return -1;
}

void LocationBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    painter.fillPath(outline, palette().brush(QPalette::Base));
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawPath(outline);

    const int flags = int(Qt::AlignVCenter | Qt::AlignLeft) | Qt::TextSingleLine;
    const int last = int(m_parts.size()) - 1;
    for (size_t i = 0; i < m_shown.size(); ++i) {
        const Shown &shown = m_shown[i];
        QFont font = this->font();
        font.setUnderline(shown.part >= 0 && shown.part == m_hovered && shown.part != last);
        font.setWeight(shown.part == last ? QFont::DemiBold : font.weight());
        painter.setFont(font);
        painter.setPen(palette().color(shown.part == last ? QPalette::Text : QPalette::PlaceholderText));
        painter.drawText(shown.rect, flags, shown.text);
        if (i + 1 < m_shown.size()) {
            painter.setFont(this->font());
            painter.setPen(palette().color(QPalette::PlaceholderText));
            painter.drawText(QRect(shown.rect.right() + 1 + kSeparatorGap, 0, width(), height()), flags, kSeparator);
        }
    }
}

void LocationBar::mouseReleaseEvent(QMouseEvent *event)
{
    const int part = event->button() == Qt::LeftButton ? partAt(event->position().toPoint()) : -1;
    if (part >= 0)
        emit partClicked(part);
}

void LocationBar::mouseMoveEvent(QMouseEvent *event)
{
    const int part = partAt(event->position().toPoint());
    if (part != m_hovered) {
        m_hovered = part;
        setCursor(part >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void LocationBar::leaveEvent(QEvent *)
{
    m_hovered = -1;
    update();
}

void LocationBar::resizeEvent(QResizeEvent *)
{
    arrange();
}
