#pragma once

#include <QWidget>

class QLineEdit;

// A screen reader speaks a field's name and description when the focus arrives there, but not
// when the description of the focused field changes. So when a new task appears, the focus steps
// aside to this unseen spot beside the answer field and comes back a moment later. Keys typed
// meanwhile go on to the answer field.
class TaskAnnouncer : public QWidget {
public:
    TaskAnnouncer(QWidget* area, QLineEdit* field);

    // Steps aside if the field has the focus now.
    void announce();

protected:
    // Every key, Tab included, is the answer field's; the release of the Return that brought the
    // new task is nobody's.
    bool event(QEvent* event) override;

private:
    QLineEdit* field_;
};
