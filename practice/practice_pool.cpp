#include "practice/practice_pool.h"

#include "common/random.h"
#include "practice/practice_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct PooledTask {
    quint16 operand1;
    quint16 operand2;
    float prior; // the task's prior difficulty: the pool is sorted by it
};
using Pool = std::vector<PooledTask>;

// The numbers past the 1x1 that grade 3 and 4 multiply by a digit in the head: the tens 20..90
// and 11..25.
bool widerFactor(qint64 n) {
    return (n >= 11 && n <= 25) || (n >= 20 && n <= 90 && n % 10 == 0);
}

// The digits the wider factors are multiplied by: times 0 and times 1 are one rule each.
bool widerDigit(qint64 n) {
    return n >= 2 && n <= 9;
}

Pool buildPool(Operation operation) {
    Pool pool;
    auto add = [&](int a, int b) {
        pool.push_back({quint16(a), quint16(b), float(priorDifficulty(operation, a, b))});
    };
    switch (operation) {
    case Operation::Add:
        for (int a = 0; a <= 1000; ++a)
            for (int b = 0; a + b <= 1000; ++b)
                add(a, b);
        break;
    case Operation::Subtract:
        for (int a = 0; a <= 1000; ++a)
            for (int b = 0; b <= a; ++b)
                add(a, b);
        break;
    case Operation::Multiply:
        for (int a = 0; a <= 10; ++a)
            for (int b = 0; b <= 10; ++b)
                add(a, b);
        for (int n = 11; n <= 90; ++n) {
            for (int digit = 2; widerFactor(n) && widerDigit(digit); ++digit) {
                add(n, digit);
                add(digit, n);
            }
        }
        break;
    case Operation::Divide:
        for (int quotient = 0; quotient <= 10; ++quotient)
            for (int divisor = 1; divisor <= 10; ++divisor)
                add(quotient * divisor, divisor);
        for (int quotient = 11; quotient <= 90; ++quotient) {
            for (int divisor = 2; widerFactor(quotient) && widerDigit(divisor); ++divisor)
                add(quotient * divisor, divisor);
        }
        break;
    case Operation::DivideWithRemainder:
        for (int divisor = 2; divisor <= 10; ++divisor)
            for (int dividend = divisor; dividend <= 100; ++dividend)
                add(dividend, divisor);
        break;
    }
    std::stable_sort(pool.begin(), pool.end(),
                     [](const PooledTask& x, const PooledTask& y) { return x.prior < y.prior; });
    return pool;
}

// Each pool is built once, on its first use: the large ones (+ and -) take some tens of
// milliseconds, the others next to nothing.
const Pool& poolOf(Operation operation) {
    switch (operation) {
    case Operation::Add: {
        static const Pool pool = buildPool(Operation::Add);
        return pool;
    }
    case Operation::Subtract: {
        static const Pool pool = buildPool(Operation::Subtract);
        return pool;
    }
    case Operation::Multiply: {
        static const Pool pool = buildPool(Operation::Multiply);
        return pool;
    }
    case Operation::Divide: {
        static const Pool pool = buildPool(Operation::Divide);
        return pool;
    }
    case Operation::DivideWithRemainder:
        break;
    }
    static const Pool pool = buildPool(Operation::DivideWithRemainder);
    return pool;
}

// How far a task's learned difficulty may have moved from its prior and still be found: two
// bands. Tasks are looked up by their prior; one that moved further is found when the tolerance
// has widened.
constexpr double learnedDrift = 1.0;
// How many tasks of a large stretch of the pool a choice looks at, in each of two stretches.
constexpr qsizetype samplesPerStretch = 128;

struct Stretch {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype size() const { return end - begin; }
};

Stretch stretchOf(const Pool& pool, double lowest, double highest) {
    const auto first = std::lower_bound(pool.begin(), pool.end(), lowest,
                                        [](const PooledTask& t, double d) { return t.prior < d; });
    const auto last = std::upper_bound(first, pool.end(), highest,
                                       [](double d, const PooledTask& t) { return d < t.prior; });
    return {first - pool.begin(), last - pool.begin()};
}

} // namespace

bool inPracticePool(Operation operation, qint32 a, qint32 b) {
    switch (operation) {
    case Operation::Add:
        return a >= 0 && b >= 0 && qint64(a) + b <= 1000;
    case Operation::Subtract:
        return b >= 0 && b <= a && a <= 1000;
    case Operation::Multiply:
        return (a >= 0 && a <= 10 && b >= 0 && b <= 10) || (widerFactor(a) && widerDigit(b)) ||
               (widerDigit(a) && widerFactor(b));
    case Operation::Divide:
        return (b >= 1 && b <= 10 && a >= 0 && a % b == 0 && a / b <= 10) ||
               (widerDigit(b) && a >= 0 && a % b == 0 && widerFactor(a / b));
    case Operation::DivideWithRemainder:
        return b >= 2 && b <= 10 && a >= b && a <= 100;
    }
    return false;
}

qsizetype practicePoolSize(Operation operation) {
    return qsizetype(poolOf(operation).size());
}

QList<PoolTask> practicePool(Operation operation) {
    QList<PoolTask> tasks;
    for (const PooledTask& t : poolOf(operation))
        tasks.append({t.operand1, t.operand2});
    return tasks;
}

double targetSuccess(Target target) {
    switch (target) {
    case Target::Easy:
        return 0.90;
    case Target::Medium:
        return 0.75;
    case Target::Hard:
        return 0.60;
    }
    return 0.75;
}

std::optional<PoolTask> chooseTask(const PracticeRatings& ratings, const QString& participant,
                                   Operation operation, Target target,
                                   const QList<PoolTask>& recent, Lcg& random) {
    const Pool& pool = poolOf(operation);
    const double ability = ratings.ability(participant, operation);
    const double wanted = targetSuccess(target);
    const QList<PoolTask> avoided =
        recent.mid(std::max<qsizetype>(0, recent.size() - recentTasksAvoided));
    auto isRecent = [&](const PooledTask& t) {
        return avoided.contains(PoolTask{t.operand1, t.operand2});
    };
    auto success = [&](const PooledTask& t) {
        return successProbability(ability - ratings.difficulty(operation, t.operand1, t.operand2));
    };
    // The difficulty at which the child succeeds with chance p.
    auto difficultyFor = [&](double p) {
        return ability - deltaForSuccess(std::clamp(p, 0.001, 0.999));
    };

    std::vector<const PooledTask*> fitting;
    auto consider = [&](const PooledTask& t, double tolerance) {
        if (std::abs(success(t) - wanted) <= tolerance && !isRecent(t))
            fitting.push_back(&t);
    };
    // A short stretch is looked at whole, a long one at random places.
    auto look = [&](Stretch s, double tolerance) {
        if (s.size() <= samplesPerStretch) {
            for (qsizetype i = s.begin; i < s.end; ++i)
                consider(pool[i], tolerance);
            return;
        }
        for (qsizetype n = 0; n < samplesPerStretch; ++n)
            consider(pool[s.begin + random.random(qint32(s.size()))], tolerance);
    };
    for (double tolerance : {0.05, 0.10, 0.20, 0.40}) {
        const double easiest = difficultyFor(wanted + tolerance);
        const double hardest = difficultyFor(wanted - tolerance);
        const Stretch exact = stretchOf(pool, easiest, hardest);
        const Stretch wide = stretchOf(pool, easiest - learnedDrift, hardest + learnedDrift);
        // The tasks whose prior fits are looked at apart, so that in a long stretch of the pool
        // (the many three-digit sums) the few that fit are not missed. A task may so be found
        // twice, which leans the draw a little towards tasks whose prior fits.
        if (wide.size() > samplesPerStretch)
            look(exact, tolerance);
        look(wide, tolerance);
        if (!fitting.empty()) {
            const PooledTask* chosen = fitting[random.random(qint32(fitting.size()))];
            return PoolTask{chosen->operand1, chosen->operand2};
        }
    }
    // Nothing fits even loosely (a child far beyond either end of the pool): the task nearest to
    // the target among those whose prior is nearest, or else in the whole pool.
    const auto centre = stretchOf(pool, difficultyFor(wanted), difficultyFor(wanted)).begin;
    const Stretch nearby{
        std::max<qsizetype>(0, centre - 2 * samplesPerStretch),
        std::min<qsizetype>(qsizetype(pool.size()), centre + 2 * samplesPerStretch)};
    for (Stretch s : {nearby, Stretch{0, qsizetype(pool.size())}}) {
        const PooledTask* nearest = nullptr;
        for (qsizetype i = s.begin; i < s.end; ++i) {
            if (!isRecent(pool[i]) && (!nearest || std::abs(success(pool[i]) - wanted) <
                                                       std::abs(success(*nearest) - wanted)))
                nearest = &pool[i];
        }
        if (nearest)
            return PoolTask{nearest->operand1, nearest->operand2};
    }
    return std::nullopt;
}
