#pragma once

#include "appearance/colours.h"
#include "appearance/point_rects.h"

#include <QWidget>

#include <functional>
#include <optional>

// The main window's client area: its background carries a rectangle for every point of the run,
// painted behind the controls. Each rectangle is kept with its colour and painted again with the
// background, so a dialog moved over the window never wipes it out.
class PointRectArea : public QWidget {
    Q_OBJECT
public:
    // Where the rectangle of a point goes in the area as it is now, if anywhere.
    using Geometry = std::function<std::optional<PointRect>(qint32 points, Rgb colour)>;

    PointRectArea(QWidget* parent, Geometry geometry);

    void addRect(qint32 points, Rgb colour);
    void clearRects();
    // The rectangles as they are painted now.
    QList<PointRect> rectsOnScreen() const;

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ScoredRect {
        qint32 points;
        Rgb colour;
    };
    Geometry geometry_;
    QList<ScoredRect> scored_;
};
