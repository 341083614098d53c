#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers Qt's real message boxes (FakePlatform::realMessageBoxes) as they come up, one action
// each, and records what each box showed. A box that is still open a second after its action
// (a mnemonic clicks its button after a short delay) is noted and closed, so that a test fails
// instead of hanging; so is a box without an action.
class RealBoxes : public QObject {
public:
    struct Shown {
        QString text;
        QStringList buttons; // as shown, without the '&' of a mnemonic
        QString defaultButton;
        bool stayedOpen = false;
    };
    using Action = std::function<void(QMessageBox*)>;

    QList<Shown> shown;
    QQueue<Action> actions;

    RealBoxes() {
        clock_.start();
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { look(); });
        poll_.start(5);
    }

    // A key as the child presses it: it goes to the widget that has the focus in the box.
    static Action press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [key, modifiers](QMessageBox* box) {
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(target, key, modifiers);
        };
    }
    static Action click(QMessageBox::StandardButton button) {
        return
            [button](QMessageBox* box) { QTest::mouseClick(box->button(button), Qt::LeftButton); };
    }

    static QStringList visibleBoxTexts() {
        QStringList texts;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                texts.append(box->text());
        }
        return texts;
    }

private:
    void look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        const QVariant answeredAt = box->property("answeredByTestAt");
        if (answeredAt.isValid()) {
            if (clock_.elapsed() - answeredAt.toLongLong() > 1000) {
                shown.last().stayedOpen = true;
                box->reject();
            }
            return;
        }
        // Keys reach a box as the child's keys would once it is the active window: a mnemonic
        // is a shortcut of the active window only.
        const QVariant seenAt = box->property("seenByTestAt");
        if (!seenAt.isValid())
            box->setProperty("seenByTestAt", clock_.elapsed());
        if (QApplication::activeWindow() != box &&
            (!seenAt.isValid() || clock_.elapsed() - seenAt.toLongLong() < 1000))
            return;
        box->setProperty("answeredByTestAt", clock_.elapsed());
        Shown s;
        s.text = box->text();
        for (QAbstractButton* b : box->buttons())
            s.buttons.append(b->text().remove(QLatin1Char('&')));
        if (box->defaultButton())
            s.defaultButton = box->defaultButton()->text().remove(QLatin1Char('&'));
        shown.append(s);
        if (actions.isEmpty()) {
            shown.last().stayedOpen = true;
            box->reject();
            return;
        }
        actions.dequeue()(box);
    }

    QTimer poll_;
    QElapsedTimer clock_;
};
