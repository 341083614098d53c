// The floor the start-up probe measures the program against: a bare Qt Widgets main window of
// about the main window's weight (a menu bar, ten labels, three combo boxes, a line edit and a
// button), shown maximized like the main window, with the same first-frame report.
//
// Without a window manager, maximizing a window does nothing, while the main window covers the
// screen by its own scaling; so the bare window takes the screen's available area itself, as a
// window manager would give it, and both windows paint and send the same number of pixels.
// With --own-size it keeps the size it was built with.
#include "platform/first_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Bare window"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("&Öffnen"));
    file->addAction(QStringLiteral("&Beenden"), &app, &QApplication::quit);
    window.menuBar()->addMenu(QStringLiteral("&Hilfe"))->addAction(QStringLiteral("&Info"));

    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    for (int i = 0; i < 10; ++i) {
        auto* label = new QLabel(QStringLiteral("Beschriftung %1").arg(i + 1), client);
        label->setGeometry(10 + (i % 5) * 120, 10 + (i / 5) * 30, 110, 24);
    }
    for (int i = 0; i < 3; ++i) {
        auto* box = new QComboBox(client);
        for (int item = 0; item < 14; ++item)
            box->addItem(QString::number(item * 10));
        box->setGeometry(10 + i * 130, 90, 120, 24);
    }
    auto* edit = new QLineEdit(client);
    edit->setGeometry(10, 130, 100, 26);
    auto* button = new QPushButton(QStringLiteral("&Start"), client);
    button->setGeometry(120, 130, 70, 26);
    if (QCoreApplication::arguments().contains(QStringLiteral("--own-size")))
        window.resize(632, 458);
    else
        window.setGeometry(window.screen()->availableGeometry());

    reportFirstFrameIfAsked(&window);
    window.showMaximized();
    return app.exec();
}
