#include "history/model/practice_levels.h"

#include "practice/practice_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

void LevelReplay::add(const HistoryRun& run) {
    if (run.operation != operation_ || run.answers.isEmpty())
        return;
    auto number = childNumbers_.constFind(run.participant);
    if (number == childNumbers_.cend()) {
        number = childNumbers_.insert(run.participant, qint32(children_.size()));
        children_.append(run.participant);
    }
    runs_.push_back({run.startedAt.toMSecsSinceEpoch(), run.id, qsizetype(answers_.size()),
                     qint32(run.answers.size()), *number});
    for (const AnsweredTask& a : run.answers) {
        // Kept short: any time from the limit on scores 0, so a longer one need not be held.
        const qint64 ms = std::clamp<qint64>(a.answerMs, 0, std::numeric_limits<qint32>::max());
        answers_.push_back({a.operand1, a.operand2, qint32(ms), a.correct});
    }
}

Outcome LevelReplay::read(HistoryStore& store) {
    const Result<QStringList> names = store.participants();
    if (!names)
        return names.failure();
    for (const QString& name : *names) {
        if (Outcome failed =
                store.eachRun(name, operation_, [this](const HistoryRun& run) { add(run); }))
            return failed;
    }
    return std::nullopt;
}

void LevelReplay::replay(
    const std::function<void(const PracticeRatings&, const Run&)>& after) const {
    std::vector<qsizetype> order(runs_.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = qsizetype(k);
    // Runs started at the same moment go in the store's order, then in the order handed in.
    std::stable_sort(order.begin(), order.end(), [this](qsizetype a, qsizetype b) {
        const Run& x = runs_[size_t(a)];
        const Run& y = runs_[size_t(b)];
        return x.startMs != y.startMs ? x.startMs < y.startMs : x.id < y.id;
    });
    PracticeRatings ratings;
    PracticeAnswer answer;
    answer.operation = operation_;
    for (const qsizetype k : order) {
        const Run& run = runs_[size_t(k)];
        answer.participant = children_[run.child];
        for (qsizetype i = run.firstAnswer; i < run.firstAnswer + run.answers; ++i) {
            const Answer& a = answers_[size_t(i)];
            answer.operand1 = a.operand1;
            answer.operand2 = a.operand2;
            answer.correct = a.correct;
            answer.answerMs = a.answerMs;
            ratings.update(answer);
        }
        after(ratings, run);
    }
}

QHash<QString, double> LevelReplay::currentLevels() const {
    QHash<QString, double> levels;
    replay([&](const PracticeRatings& ratings, const Run& run) {
        // A run only of tasks the program could not pose tells nothing of its child.
        const QString& child = children_[run.child];
        if (ratings.answersOf(child, operation_) > 0)
            levels.insert(child, stufeOf(ratings.ability(child, operation_)));
    });
    return levels;
}

QList<LevelPoint> LevelReplay::dailyLevels(const QString& participant) const {
    QList<LevelPoint> days;
    const qint32 child = childNumbers_.value(participant, -1);
    if (child < 0)
        return days;
    qint32 answersBefore = 0;
    replay([&](const PracticeRatings& ratings, const Run& run) {
        if (run.child != child)
            return;
        const qint32 answers = ratings.answersOf(participant, operation_);
        if (answers == answersBefore)
            return;
        answersBefore = answers;
        const LevelPoint point{QDateTime::fromMSecsSinceEpoch(run.startMs),
                               stufeOf(ratings.ability(participant, operation_))};
        if (!days.isEmpty() && days.last().at.date() == point.at.date())
            days.last() = point;
        else
            days.append(point);
    });
    return days;
}

QHash<QString, double> currentLevels(const QList<HistoryRun>& everyonesRuns, Operation operation) {
    LevelReplay replay(operation);
    for (const HistoryRun& run : everyonesRuns)
        replay.add(run);
    return replay.currentLevels();
}

QList<LevelPoint> dailyLevels(const QList<HistoryRun>& everyonesRuns, const QString& participant,
                              Operation operation) {
    LevelReplay replay(operation);
    for (const HistoryRun& run : everyonesRuns)
        replay.add(run);
    return replay.dailyLevels(participant);
}

QString stufeText(double stufe) {
    return QString::number(std::lround(stufe));
}
