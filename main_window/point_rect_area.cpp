#include "main_window/point_rect_area.h"

#include "main_window/widget_helpers.h"

#include <QPaintEvent>
#include <QPainter>

PointRectArea::PointRectArea(QWidget* parent, Geometry geometry)
    : QWidget(parent), geometry_(std::move(geometry)) {}

void PointRectArea::addRect(qint32 points, Rgb colour) {
    scored_.append({points, colour});
    // Only the new cell needs painting; the next task is shown without repainting the field.
    if (const std::optional<PointRect> r = geometry_(points, colour))
        update(r->x, r->y, r->width, r->height);
}

void PointRectArea::clearRects() {
    scored_.clear();
    update();
}

QList<PointRect> PointRectArea::rectsOnScreen() const {
    QList<PointRect> rects;
    for (const ScoredRect& scored : scored_) {
        if (const std::optional<PointRect> r = geometry_(scored.points, scored.colour))
            rects.append(*r);
    }
    return rects;
}

// The background is already filled; the rectangles go on it, behind the controls.
void PointRectArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const PointRect& r : rectsOnScreen()) {
        if (!event->rect().intersects(QRect(r.x, r.y, r.width, r.height)))
            continue;
        painter.fillRect(r.x, r.y, r.width, r.height, toQColor(r.fill));
        painter.setPen(QPen(toQColor(r.outline), 0));
        painter.drawRect(r.x, r.y, r.width - 1, r.height - 1);
    }
}

void PointRectArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}
