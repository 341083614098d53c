#include "history/model/history.h"

#include "engine/task_generation.h"
#include "storage/run_result.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>

namespace {

QString rangeText(qint32 lowerBound, qint32 upperBound) {
    return QStringLiteral("%1 .. %2").arg(lowerBound).arg(upperBound);
}

// The seconds of the time field; no limit ("...", only zeros, empty or unreadable) is 0.
qint32 timeLimitSeconds(const QString& timeFieldText) {
    bool ok = false;
    const qint32 seconds = timeLimitText(timeFieldText).toInt(&ok);
    return ok && seconds > 0 ? seconds : 0;
}

} // namespace

HistoryRun historyRunOf(const RunResult& result) {
    HistoryRun run;
    run.participant = result.participantName;
    run.startedAt = result.startedAt;
    run.operation = result.operation;
    run.range1 = rangeText(result.range1Min, result.range1Max);
    run.range2 = rangeText(result.range2Min, result.range2Max);
    run.timeLimit = timeLimitSeconds(result.timeFieldText);
    run.competition =
        result.competitionChosen && result.competitionNumber > 0 ? result.competitionNumber : 0;
    run.tasksWorked = result.workedTaskCount;
    run.points = result.points;
    run.byEar = result.byEar;
    run.adaptive = result.adaptive;
    run.answers = result.answers;
    return run;
}

namespace {

// One per thread: the stores sort names on their reading threads, and a collator is not made for
// use by several threads at once.
const QCollator& germanNames() {
    thread_local const QCollator collator = [] {
        QCollator c{QLocale(QLocale::German, QLocale::Germany)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

bool participantNameBefore(const QString& a, const QString& b) {
    const int order = germanNames().compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

void sortParticipantNames(QStringList& names) {
    std::sort(names.begin(), names.end(), participantNameBefore);
}
