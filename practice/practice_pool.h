#pragma once

#include "engine/operation.h"

#include <QList>
#include <QString>

#include <optional>

class Lcg;
class PracticeRatings;

// The tasks adaptive practice poses, per operation, wide enough for a primary school:
//   +  both numbers 0..1000 with a sum up to 1000;
//   -  0..1000 minus a number not above it;
//   *  the 1x1, 0..10 times 0..10, and what grade 3 and 4 multiply in the head past it: the
//      tens 20..90 and the numbers 11..25 times a digit 2..9, either way round (70*8, 8*70,
//      17*8, 8*17; 20*1 or 25*0 would be one rule, not a new fact);
//   :  the 1x1 backwards, a product of 0..10 times 1..10 by its factor 1..10, and those products
//      of a tens 20..90 or of 11..25 by their digit 2..9 (560:8, 136:8; dividing by the two-digit
//      number is written work, not Kopfrechnen);
//   :R a dividend up to 100 by a divisor 2..10, the quotient at least 1, the remainder 0
//      included.
// Every task of the pool is posable (taskPosable).
struct PoolTask {
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    bool operator==(const PoolTask&) const = default;
};

bool inPracticePool(Operation operation, qint32 operand1, qint32 operand2);
qsizetype practicePoolSize(Operation operation);
// The tasks of the pool, easiest first by their prior difficulty.
QList<PoolTask> practicePool(Operation operation);

// How often the child should be right: "leicht" 90 %, "mittel" 75 %, "schwer" 60 %.
enum class Target { Easy, Medium, Hard };
double targetSuccess(Target target);

// How many of the tasks posed last a choice never repeats.
inline constexpr qsizetype recentTasksAvoided = 10;

// A task of the pool for the child: drawn at random among those the child is predicted to solve
// with a chance within 5 % of the target, never one of the last ten in recent (the tasks posed so
// far, oldest first). When none fits, the tolerance widens step by step to 40 %; past that the
// task nearest to the target is taken. Nothing only when the pool holds no task outside recent.
// The random draws come from random, so a seed gives the same choices again.
std::optional<PoolTask> chooseTask(const PracticeRatings& ratings, const QString& participant,
                                   Operation operation, Target target,
                                   const QList<PoolTask>& recent, Lcg& random);
