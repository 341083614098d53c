#pragma once

// A class simulation for the adaptive practice: children of known ability answer tasks whose
// "true" difficulty the model does not know, with answers drawn from the same speed-accuracy
// model the ratings assume. The figures show whether the choice keeps each child near the target
// and whether the ratings find the children's and the tasks' true order.
#include "common/random.h"
#include "history/model/history.h"
#include "practice/practice_model.h"
#include "practice/practice_pool.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <unordered_map>
#include <vector>

namespace practice_sim {

// A number from the bits of x, the same every time (splitmix64).
inline quint64 mixed(quint64 x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

inline quint64 taskId(Operation operation, qint32 a, qint32 b) {
    return (quint64(operation) << 32) | (quint64(a) << 16) | quint64(b);
}

// What the children really find hard: the prior, a fixed random deviation of every task (normal,
// 0.3 on the rating scale, that is 0.6 of a band), and facts many children find much harder than
// their structure says.
struct Truth {
    quint64 seed = 1;
    double noise = 0.3;
    double hardFactExtra = 0.75;

    // The fact of the 1x1 a factor past it is worked out from: 7 of 70 and of 17.
    static qint32 factOf(qint32 factor) {
        while (factor > 10)
            factor = factor % 10 == 0 ? factor / 10 : factor % 10;
        return factor;
    }

    // A product worked out from a hard fact is hard by it too: 70 * 8 and 17 * 8 as 7 * 8, and
    // the divisions that undo them.
    static bool hardFact(Operation operation, qint32 a, qint32 b) {
        if (operation == Operation::Multiply)
            return hardFactOfTable(operation, factOf(a), factOf(b));
        if (operation == Operation::Divide && b > 0 && a % b == 0)
            return hardFactOfTable(operation, factOf(a / b) * b, b);
        return hardFactOfTable(operation, a, b);
    }

    static bool hardFactOfTable(Operation operation, qint32 a, qint32 b) {
        auto pair = [&](qint32 x, qint32 y) { return (a == x && b == y) || (a == y && b == x); };
        switch (operation) {
        case Operation::Add:
            return pair(8, 7) || pair(9, 6) || pair(8, 5) || pair(9, 8);
        case Operation::Subtract:
            return (a == 12 && b == 7) || (a == 13 && b == 8) || (a == 14 && b == 6) ||
                   (a == 15 && b == 7) || (a == 16 && b == 9) || (a == 11 && b == 4);
        case Operation::Multiply:
            return pair(7, 8) || pair(6, 7) || pair(6, 8) || pair(7, 7) || pair(8, 9);
        case Operation::Divide:
            return (a == 56 && (b == 7 || b == 8)) || (a == 42 && (b == 6 || b == 7)) ||
                   (a == 48 && (b == 6 || b == 8));
        case Operation::DivideWithRemainder:
            return (a == 57 && b == 8) || (a == 45 && b == 7) || (a == 53 && b == 6);
        }
        return false;
    }

    double difficulty(Operation operation, qint32 a, qint32 b) const {
        const quint64 h = mixed(taskId(operation, a, b) ^ (seed << 48));
        const double u1 = (double(h >> 11) + 0.5) / 9007199254740992.0;
        const double u2 = (double(mixed(h) >> 11) + 0.5) / 9007199254740992.0;
        const double normal = std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
        return priorDifficulty(operation, a, b) + noise * normal +
               (hardFact(operation, a, b) ? hardFactExtra : 0.0);
    }
};

// One answer of a child Δ above a task: a score S from the density ∝ exp(2Δs) on [-1, 1] (by its
// inverse distribution), right when S > 0, taking d(1 - |S|) with d the time limit.
struct SimAnswer {
    bool correct;
    qint64 answerMs;
};
inline SimAnswer simulatedAnswer(double delta, std::mt19937_64& rng) {
    const double u = std::uniform_real_distribution<double>(0, 1)(rng);
    const double a = 2 * std::clamp(delta, -15.0, 15.0);
    const double s = std::abs(a) < 1e-9 ? 2 * u - 1 : -1 + std::log1p(u * std::expm1(2 * a)) / a;
    return {s > 0, qint64(std::llround(double(taskTimeLimitMs) * (1 - std::abs(s))))};
}

struct Child {
    QString name;
    int grade = 1;
    double ability = 0; // true
};

// Children of grades 1 to 4 in equal numbers, each grade's Stufe spread normally around its
// mean (2, 4.5, 7, 9; deviation 1) and held inside the pool's Stufen 1..10.
inline std::vector<Child> simulatedChildren(int count, quint64 seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> spread(0, 1);
    static constexpr double gradeMean[] = {2.0, 4.5, 7.0, 9.0};
    std::vector<Child> children;
    for (int i = 0; i < count; ++i) {
        const int grade = i % 4 + 1;
        const double stufe = std::clamp(gradeMean[grade - 1] + spread(rng), 1.0, 10.0);
        children.push_back({QStringLiteral("Kind %1").arg(i + 1), grade, abilityOfStufe(stufe)});
    }
    return children;
}

inline double pearson(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = double(x.size());
    const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n;
    const double my = std::accumulate(y.begin(), y.end(), 0.0) / n;
    double sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

// Ranks 1..n, tied values sharing their mean rank.
inline std::vector<double> ranks(const std::vector<double>& x) {
    std::vector<size_t> order(x.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t i, size_t j) { return x[i] < x[j]; });
    std::vector<double> r(x.size());
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        while (j + 1 < order.size() && x[order[j + 1]] == x[order[i]])
            ++j;
        for (size_t k = i; k <= j; ++k)
            r[order[k]] = (double(i) + double(j)) / 2 + 1;
        i = j + 1;
    }
    return r;
}

inline double spearman(const std::vector<double>& x, const std::vector<double>& y) {
    return pearson(ranks(x), ranks(y));
}

struct Shares {
    double mean = 0;
    double min = 1;
    double max = 0;
    double nearTarget = 0; // fraction of children within 5 points of the target
};
inline Shares sharesOf(const std::vector<double>& share, double target) {
    Shares s;
    for (double x : share) {
        s.mean += x / double(share.size());
        s.min = std::min(s.min, x);
        s.max = std::max(s.max, x);
        s.nearTarget += std::abs(x - target) <= 0.05 + 1e-9 ? 1.0 / double(share.size()) : 0;
    }
    return s;
}

struct Figures {
    Shares rightLater; // share right over answers 101-200
    double nearTargetByGrade[4] = {0, 0, 0, 0};
    double spearmanAt[3] = {0, 0, 0}; // after 50, 100, 200 answers
    double pearsonDifficulty = 0;     // tasks answered at least 20 times
    qsizetype tasksOften = 0;
    Shares freeRun; // 100 answers at ranges 1..10 without adaptation
};

struct Setup {
    Operation operation = Operation::Add;
    Target target = Target::Medium;
    int children = 1000;
    int classSize = 25;
    int sittings = 10;
    int answersPerSitting = 20;
    quint64 seed = 2026;
};

// The sittings of every class in turn; within a sitting the children of the class answer one
// task each, round by round, so the tasks' ratings learn from the whole class as they go.
inline Figures simulate(const Setup& setup) {
    const Truth truth{setup.seed};
    const std::vector<Child> children = simulatedChildren(setup.children, setup.seed);
    std::mt19937_64 rng(setup.seed * 7 + 1);
    Lcg choice{quint32(setup.seed)};
    PracticeRatings ratings;
    const int total = setup.sittings * setup.answersPerSitting;
    std::vector<int> rightLater(children.size(), 0);
    std::vector<std::vector<double>> estimateAt(3, std::vector<double>(children.size()));
    std::unordered_map<quint64, int> posed;

    for (int sitting = 0; sitting < setup.sittings; ++sitting) {
        for (size_t first = 0; first < children.size(); first += size_t(setup.classSize)) {
            const size_t last = std::min(children.size(), first + size_t(setup.classSize));
            std::vector<QList<PoolTask>> recent(last - first);
            for (int round = 0; round < setup.answersPerSitting; ++round) {
                for (size_t c = first; c < last; ++c) {
                    const Child& child = children[c];
                    const std::optional<PoolTask> task =
                        chooseTask(ratings, child.name, setup.operation, setup.target,
                                   recent[c - first], choice);
                    if (!task)
                        continue;
                    recent[c - first].append(*task);
                    const SimAnswer answer = simulatedAnswer(
                        child.ability -
                            truth.difficulty(setup.operation, task->operand1, task->operand2),
                        rng);
                    ratings.update({child.name, setup.operation, task->operand1, task->operand2,
                                    answer.correct, answer.answerMs});
                    ++posed[taskId(setup.operation, task->operand1, task->operand2)];
                    const int n = sitting * setup.answersPerSitting + round + 1;
                    if (n > total / 2 && answer.correct)
                        ++rightLater[c];
                    const int snapshot = n == 50 ? 0 : n == 100 ? 1 : n == 200 ? 2 : -1;
                    if (snapshot >= 0)
                        estimateAt[snapshot][c] = ratings.ability(child.name, setup.operation);
                }
            }
        }
    }

    Figures f;
    std::vector<double> trueAbility, share;
    for (size_t c = 0; c < children.size(); ++c) {
        trueAbility.push_back(children[c].ability);
        share.push_back(double(rightLater[c]) / double(total - total / 2));
    }
    const double target = targetSuccess(setup.target);
    f.rightLater = sharesOf(share, target);
    for (int grade = 1; grade <= 4; ++grade) {
        std::vector<double> ofGrade;
        for (size_t c = 0; c < children.size(); ++c)
            if (children[c].grade == grade)
                ofGrade.push_back(share[c]);
        f.nearTargetByGrade[grade - 1] = sharesOf(ofGrade, target).nearTarget;
    }
    for (int i = 0; i < 3; ++i)
        f.spearmanAt[i] = spearman(estimateAt[i], trueAbility);

    std::vector<double> estimated, real;
    for (const auto& [id, count] : posed) {
        if (count < 20)
            continue;
        const qint32 a = qint32((id >> 16) & 0xffff), b = qint32(id & 0xffff);
        estimated.push_back(ratings.difficulty(setup.operation, a, b));
        real.push_back(truth.difficulty(setup.operation, a, b));
    }
    f.tasksOften = qsizetype(estimated.size());
    f.pearsonDifficulty = estimated.size() > 2 ? pearson(estimated, real) : 0;

    // The same children at fixed ranges 1..10, every task drawn from them alike.
    std::vector<double> freeShare;
    std::uniform_int_distribution<int> operand(1, 10);
    for (const Child& child : children) {
        int right = 0;
        for (int i = 0; i < 100; ++i) {
            // A division's free run divides a product of the ranges by one of its factors.
            const int first = operand(rng), b = operand(rng);
            const int a = setup.operation == Operation::Divide ? first * b : first;
            right += simulatedAnswer(child.ability - truth.difficulty(setup.operation, a, b), rng)
                             .correct
                         ? 1
                         : 0;
        }
        freeShare.push_back(right / 100.0);
    }
    f.freeRun = sharesOf(freeShare, 0.75);
    return f;
}

// A class's learning history: children answering tasks drawn from the pools of all operations, in
// runs of 40 answers, oldest first.
inline QList<HistoryRun> classHistory(int children, int answersEach, quint64 seed) {
    const Truth truth{seed};
    const std::vector<Child> kids = simulatedChildren(children, seed);
    std::mt19937_64 rng(seed);
    std::vector<QList<PoolTask>> pools;
    for (Operation op : allOperations)
        pools.push_back(practicePool(op));
    QList<HistoryRun> runs;
    const QDateTime start(QDate(2026, 9, 7), QTime(8, 0));
    constexpr int runLength = 40;
    for (int r = 0; r < answersEach / runLength; ++r) {
        for (const Child& child : kids) {
            HistoryRun run;
            run.participant = child.name;
            run.operation = allOperations[size_t(r) % allOperations.size()];
            run.startedAt = start.addSecs(qint64(runs.size()) * 60);
            const QList<PoolTask>& pool = pools[size_t(operationIndex(run.operation))];
            for (int i = 0; i < runLength; ++i) {
                const PoolTask t = pool[qsizetype(rng() % quint64(pool.size()))];
                const SimAnswer a = simulatedAnswer(
                    child.ability - truth.difficulty(run.operation, t.operand1, t.operand2), rng);
                AnsweredTask answered;
                answered.taskNo = i + 1;
                answered.operand1 = t.operand1;
                answered.operand2 = t.operand2;
                answered.correct = a.correct;
                answered.answerMs = a.answerMs;
                run.answers.append(answered);
            }
            runs.append(run);
        }
    }
    return runs;
}

} // namespace practice_sim
