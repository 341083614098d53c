#pragma once

#include "engine/operation.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <unordered_map>

// The adaptive-practice model: an Elo-type rating of every child (per operation) and every task,
// scored by how right and how fast each answer was. It follows the speed-accuracy rule of
// Klinkenberg, Straatemeier & van der Maas (2011) and Maris & van der Maas (2012), with the
// shrinking step of Pelánek (2016).
//
// Abilities and difficulties share one scale: a child of ability θ answering a task of difficulty
// β has Δ = θ - β. A child solves such a task with probability 1/(1+exp(-2Δ)); half a unit on the
// scale is one structural band of tasks (taskBand) and one Stufe.

// Time a task may take before the answer counts as not solved.
inline constexpr qint64 taskTimeLimitMs = 20000;

// The score of one answer: right and fast near +1, right and slow near 0, wrong and fast near -1,
// wrong and slow near 0: S = (2x-1)(1 - t/d) with the limit d. At and past the limit the answer
// scores 0, right or wrong: the rule itself reaches 0 there from both sides, so a child who thinks
// a moment longer is not judged differently from one who answers just in time, and a late answer
// tells the model nothing of whether the task was known. A negative time counts as 0.
double scoreAnswer(bool correct, qint64 answerMs);

// What the model expects for a child Δ above a task. The score S then has a density
// proportional to exp(2Δs) on [-1, 1], which gives:
//   E[S]     = coth(2Δ) - 1/(2Δ)  (0 at Δ = 0)
//   P(S > 0) = 1/(1+exp(-2Δ))     (the chance of a right answer)
double expectedScore(double delta);
double successProbability(double delta);
// The Δ at which a child solves a task with probability p (0 < p < 1).
double deltaForSuccess(double p);

// The structural band of a task, 1 (easiest) to 10, as a real number: where the task stands among
// the tasks of its operation by the size of its numbers, carrying or borrowing, the row of the
// 1x1 and a remainder. The bands of each operation:
//   +  1: sum up to 10; 2-3: up to 20 (3 when crossing the ten); 4-7: up to 100; 6-10: up to 1000,
//      one band more for each column both numbers fill and for each carry;
//   -  as the addition that undoes it, half a band harder;
//   *  in the 1x1 by the rows of both factors, the easier one weighing more: x1, x10, x2, x5
//      easy, x7, x8 hard; past the 1x1 above the hardest fact of the 1x1 it is worked out from:
//      tens times a digit (70*8 from 7*8) one and a half bands, a two-digit number times a digit
//      (17*8 from 10*8 and 7*8) two and a half and half a band more for a carry;
//   :  as the multiplication it undoes, half a band harder;
//   :R by the rows of the 1x1 alone (a quotient past 10 counts as the hardest row), one band
//      above the division, and a remainder one and a half bands more.
// The scale ends at band 10, where the hardest facts of the 1x1 already stand: a task worked out
// from one of them (17*8, 70*8) shares band 10 with it, and the answers tell the two apart.
double taskBand(Operation operation, qint32 operand1, qint32 operand2);
// The difficulty a task starts with before anyone has answered it: its band on the rating scale.
double priorDifficulty(Operation operation, qint32 operand1, qint32 operand2);

// Stufe k (1..10) is the ability at which a child solves the tasks of band k at about 75 %. As a
// real number for a chart line (clamped to 1..10) and rounded for a table.
double stufeOf(double ability);
int roundedStufe(double ability);
// The ability of a real Stufe, the inverse of stufeOf inside 1..10.
double abilityOfStufe(double stufe);

// One answer as the model reads it, whatever run or store it came from.
struct PracticeAnswer {
    QString participant;
    Operation operation = Operation::Add;
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    bool correct = false;
    qint64 answerMs = 0;
};

// The ratings of the children and the tasks, derived from the answers in the order they were
// given. A child without answers starts at startStufe; a task without answers at its prior.
class PracticeRatings {
public:
    // Where a new child starts: the first tasks are ones the child almost surely knows.
    static constexpr double startStufe = 2.0;

    double ability(const QString& participant, Operation operation) const;
    double difficulty(Operation operation, qint32 operand1, qint32 operand2) const;
    // How many answers are known of the child in the operation, or of the task. A task the
    // program could not pose has only its prior and no answers.
    qint32 answersOf(const QString& participant, Operation operation) const;
    qint32 answersOf(Operation operation, qint32 operand1, qint32 operand2) const;

    // The step of an update after n answers: large while little is known, then smaller.
    static double childStep(qint32 n);
    static double taskStep(qint32 n);
    // How far a child's rating is settled after n answers, 0 to 1: the weight of the child's
    // answer for the task.
    static double childSettled(qint32 n);

    // Takes one answer in: ability += K_child(n_child) (S - E) and
    // difficulty -= K_task(n_task) settled(n_child) (S - E). A task the program could not pose
    // (taskPosable) is left out.
    void update(const PracticeAnswer& answer);

private:
    struct Rating {
        double value = 0;
        qint32 answers = 0;
    };
    static quint64 taskKey(Operation operation, qint32 operand1, qint32 operand2);

    QHash<QPair<QString, int>, Rating> children_; // by participant and operation
    std::unordered_map<quint64, Rating> tasks_;
};
