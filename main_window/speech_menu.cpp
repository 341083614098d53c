#include "main_window/speech_menu.h"

#include "main_window/widget_helpers.h"

#include <QActionGroup>
#include <QMenu>
#include <QSettings>
#include <QWidget>

namespace {

const QString readingKey = QStringLiteral("Vorlesen/an");
const QString rateKey = QStringLiteral("Vorlesen/Tempo");
const QString earOnlyKey = QStringLiteral("Vorlesen/NurHoeren");

} // namespace

SpeechMenu::SpeechMenu(QMenu* menu, QWidget* window) : QObject(window) {
    const QSettings settings = programSettings();
    menu->addSeparator();
    menu->setToolTipsVisible(true);
    Vorlesen1 = checkableItem(menu, QStringLiteral("&Vorlesen"), "Vorlesen1");
    Vorlesen1->setToolTip(
        QStringLiteral("Liest jede Aufgabe, ob sie richtig war, die Rest-Zeit und "
                       "das Ergebnis vor. F5 oder Strg+R liest die Aufgabe noch "
                       "einmal."));
    Vorlesen1->setChecked(settings.value(readingKey, false).toBool());

    Sprechtempo1 = menu->addMenu(QStringLiteral("Sprech&tempo"));
    Sprechtempo1->setObjectName(QStringLiteral("Sprechtempo1"));
    auto* rates = new QActionGroup(this);
    langsam1 = checkableItem(Sprechtempo1, QStringLiteral("&langsam"), "langsam1");
    normal1 = checkableItem(Sprechtempo1, QStringLiteral("&normal"), "normal1");
    schnell1 = checkableItem(Sprechtempo1, QStringLiteral("&schnell"), "schnell1");
    const QString rateSetting = settings.value(rateKey).toString();
    for (QAction* item : {langsam1, normal1, schnell1}) {
        rates->addAction(item);
        item->setChecked(item->text().remove(QLatin1Char('&')) == rateSetting);
    }
    if (!rates->checkedAction())
        normal1->setChecked(true);

    NurHoeren1 = checkableItem(menu, QStringLiteral("&Nur hören"), "NurHoeren1");
    NurHoeren1->setToolTip(QStringLiteral("Die Zahlen erscheinen erst nach der Antwort: Die "
                                          "Aufgabe wird nur vorgelesen. Nicht bei Wettbewerben."));
    NurHoeren1->setChecked(settings.value(earOnlyKey, false).toBool());

    // Not in the menu, which is locked during a run, when the key is needed.
    Wiederholen1 = new QAction(QStringLiteral("Aufgabe noch einmal vorlesen"), window);
    Wiederholen1->setObjectName(QStringLiteral("Wiederholen1"));
    Wiederholen1->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    Wiederholen1->setShortcutContext(Qt::WindowShortcut);
    window->addAction(Wiederholen1);
    connect(Wiederholen1, &QAction::triggered, this, &SpeechMenu::repeatRequested);

    connect(Vorlesen1, &QAction::triggered, this, [this](bool on) {
        chosen();
        emit readingAloudChanged(on);
    });
    connect(rates, &QActionGroup::triggered, this, [this] {
        chosen();
        emit rateChanged(rate());
    });
    connect(NurHoeren1, &QAction::triggered, this, &SpeechMenu::chosen);
    refresh();
}

bool SpeechMenu::readingAloud() const {
    return Vorlesen1->isChecked();
}

SpeechRate SpeechMenu::rate() const {
    return langsam1->isChecked()   ? SpeechRate::Slow
           : schnell1->isChecked() ? SpeechRate::Fast
                                   : SpeechRate::Normal;
}

void SpeechMenu::refresh() {
    const bool on = readingAloud();
    Sprechtempo1->setEnabled(on);
    NurHoeren1->setEnabled(on && !competitionMode_ && !voiceUnavailable_);
    Wiederholen1->setEnabled(on);
    const bool earOnly = NurHoeren1->isEnabled() && NurHoeren1->isChecked();
    if (earOnly != earOnly_) {
        earOnly_ = earOnly;
        emit earOnlyChanged(earOnly);
    }
}

void SpeechMenu::voiceUnavailable() {
    voiceUnavailable_ = true;
    refresh();
}

void SpeechMenu::chosen() {
    refresh();
    QSettings settings = programSettings();
    settings.setValue(readingKey, readingAloud());
    settings.setValue(rateKey, rate() == SpeechRate::Slow   ? QStringLiteral("langsam")
                               : rate() == SpeechRate::Fast ? QStringLiteral("schnell")
                                                            : QStringLiteral("normal"));
    settings.setValue(earOnlyKey, NurHoeren1->isChecked());
}
