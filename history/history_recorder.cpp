#include "history/history_recorder.h"

#include "platform/platform.h"

HistoryRecorder::HistoryRecorder(HistoryStore& store, Platform& platform, QWidget* parent)
    : store_(store), platform_(platform), parent_(parent) {
    store_.whenNoticed([this] {
        QMetaObject::invokeMethod(
            &context_, [this] { showNotice(); }, Qt::QueuedConnection);
    });
}

HistoryRecorder::~HistoryRecorder() {
    store_.whenNoticed({});
}

void HistoryRecorder::showNotice() {
    // The store says itself when something is worth a word, and only once per program run.
    if (const QString notice = store_.takeNotice(); !notice.isEmpty())
        platform_.showMessage(parent_, MessageKind::Information, MessageButtons::Ok, notice);
}

void HistoryRecorder::record(const RunResult& result) {
    if (givenUp_ || result.answers.isEmpty())
        return;
    const Outcome error = store_.record(historyRunOf(result));
    if (!error) {
        showNotice();
        return;
    }
    // One message is enough: the same file would fail again after every run.
    givenUp_ = true;
    platform_.showMessage(parent_, MessageKind::Warning, MessageButtons::Ok,
                          QStringLiteral("Der Lernverlauf kann nicht aufgezeichnet werden:\n%1\n%2"
                                         "\n\nKalumbrixtor arbeitet ohne Lernverlauf weiter.")
                              .arg(store_.location(), error->reason));
}
