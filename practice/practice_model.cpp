#include "practice/practice_model.h"

#include <algorithm>
#include <cmath>

namespace {

// Half a unit of the scale per band: a child one band above a task solves it at about 88 %
// instead of 75 %, which is how far apart the steps of a school year's tasks feel.
constexpr double bandWidth = 0.5;
// The difficulty of band 1; band 5 sits at 0.
constexpr double firstBandDifficulty = -2.0;

// How an addition a + b = sum is built: the columns both numbers fill and the carries. A carry
// out of a column where only one number has a digit (999 + 1) is a rollover and weighs half.
double additionBand(qint64 a, qint64 b) {
    const qint64 sum = a + b;
    int bothFilled = 0;
    double carries = 0;
    int carry = 0;
    for (qint64 x = a, y = b; x > 0 || y > 0; x /= 10, y /= 10) {
        const int dx = int(x % 10), dy = int(y % 10);
        const bool both = dx != 0 && dy != 0;
        bothFilled += both ? 1 : 0;
        carry = (dx + dy + carry) >= 10 ? 1 : 0;
        carries += carry == 0 ? 0.0 : (both ? 1.0 : 0.5);
    }
    const int extraColumns = std::max(0, bothFilled - 1);
    // Within a band, a larger sum is a little harder.
    auto within = [](qint64 value, qint64 limit) {
        return 0.3 * double(value) / double(limit) - 0.15;
    };
    if (sum <= 10)
        return 1 + within(sum, 10);
    if (sum <= 20)
        return 2 + carries + within(sum - 10, 10);
    if (sum <= 100)
        return 4 + extraColumns + carries + within(sum, 100);
    if (sum <= 1000)
        return 6 + extraColumns + carries + within(sum, 1000);
    return 9 + extraColumns + carries;
}

// How hard a row of the 1x1 is, 0 (x1) to 9 (x7, x8); a factor past 10 is beyond the 1x1.
double rowRank(qint64 factor) {
    static constexpr double ranks[] = {0, 0, 2, 5, 6, 3, 7.5, 9, 9, 6.5, 1};
    return factor <= 10 ? ranks[factor] : 10;
}

// Either row may be used to find the product; the easier one is what most children reach for.
double timesTableBand(qint64 a, qint64 b) {
    if (a == 0 || b == 0)
        return 1;
    const double easier = std::min(rowRank(a), rowRank(b));
    const double harder = std::max(rowRank(a), rowRank(b));
    return 1 + 0.6 * easier + 0.4 * harder;
}

// Past the 1x1 a product is worked out in the head from facts of the 1x1: 70 * 8 as 7 * 8 with a
// zero appended, 17 * 8 as 10 * 8 and 7 * 8 added. Such a task stands above the hardest fact it
// uses: the zeros one band and half a band for each, splitting a two-digit number two and a half
// bands, a carry when the two parts are added half a band more. Times 0 and times 1 keep the rule
// of the 1x1; what is not worked out that way (two factors past ten, a number past 99 after its
// zeros) is band 10.
double multiplicationBand(qint64 a, qint64 b) {
    if (std::min(a, b) <= 1 || std::max(a, b) <= 10)
        return timesTableBand(a, b);
    int zeros = 0;
    for (qint64* factor : {&a, &b}) {
        for (; *factor % 10 == 0; *factor /= 10)
            ++zeros;
    }
    const double zeroSteps = zeros == 0 ? 0 : 1 + 0.5 * zeros;
    const qint64 digit = std::min(a, b), number = std::max(a, b);
    if (number <= 10)
        return timesTableBand(digit, number) + zeroSteps;
    if (digit > 9 || number > 99)
        return 10;
    const qint64 tens = number / 10, units = number % 10;
    const bool carry = (tens * digit) % 10 + (units * digit) / 10 >= 10;
    return std::max(timesTableBand(tens, digit), timesTableBand(units, digit)) + 2.5 +
           (carry ? 0.5 : 0) + zeroSteps;
}

double unclampedBand(Operation operation, qint64 a, qint64 b) {
    switch (operation) {
    case Operation::Add:
        return additionBand(a, b);
    case Operation::Subtract:
        return b > a ? 10 : additionBand(a - b, b) + 0.5;
    case Operation::Multiply:
        return multiplicationBand(a, b);
    case Operation::Divide:
        return b == 0 ? 10 : multiplicationBand(a / b, b) + 0.5;
    case Operation::DivideWithRemainder:
        // Its quotients past 10 (up to 100 : 2) keep the rows of the 1x1: what a Stufe means here
        // stays as it was.
        return b == 0 ? 10 : timesTableBand(a / b, b) + 1 + (a % b != 0 ? 1.5 : 0);
    }
    return 10;
}

} // namespace

double scoreAnswer(bool correct, qint64 answerMs) {
    const double t = double(std::clamp<qint64>(answerMs, 0, taskTimeLimitMs));
    return (correct ? 1.0 : -1.0) * (1.0 - t / double(taskTimeLimitMs));
}

double expectedScore(double delta) {
    const double x = 2 * delta;
    // coth(x) - 1/x cancels badly near 0; its series x/3 - x^3/45 is exact to 1e-10 there.
    if (std::abs(x) < 1e-2)
        return x / 3 - x * x * x / 45;
    return 1 / std::tanh(x) - 1 / x;
}

double successProbability(double delta) {
    return 1 / (1 + std::exp(-2 * delta));
}

double deltaForSuccess(double p) {
    return 0.5 * std::log(p / (1 - p));
}

double taskBand(Operation operation, qint32 operand1, qint32 operand2) {
    return std::clamp(unclampedBand(operation, std::max(0, operand1), std::max(0, operand2)), 1.0,
                      10.0);
}

double priorDifficulty(Operation operation, qint32 operand1, qint32 operand2) {
    return firstBandDifficulty + (taskBand(operation, operand1, operand2) - 1) * bandWidth;
}

double stufeOf(double ability) {
    const double bandAt75 = 1 + (ability - deltaForSuccess(0.75) - firstBandDifficulty) / bandWidth;
    return std::clamp(bandAt75, 1.0, 10.0);
}

int roundedStufe(double ability) {
    return int(std::lround(stufeOf(ability)));
}

double abilityOfStufe(double stufe) {
    return firstBandDifficulty + (stufe - 1) * bandWidth + deltaForSuccess(0.75);
}

double PracticeRatings::ability(const QString& participant, Operation operation) const {
    const auto found = children_.constFind({participant, int(operation)});
    return found == children_.cend() ? abilityOfStufe(startStufe) : found->value;
}

double PracticeRatings::difficulty(Operation operation, qint32 operand1, qint32 operand2) const {
    const auto found = taskPosable(operation, operand1, operand2)
                           ? tasks_.find(taskKey(operation, operand1, operand2))
                           : tasks_.end();
    return found == tasks_.end() ? priorDifficulty(operation, operand1, operand2)
                                 : found->second.value;
}

qint32 PracticeRatings::answersOf(const QString& participant, Operation operation) const {
    return children_.value({participant, int(operation)}).answers;
}

qint32 PracticeRatings::answersOf(Operation operation, qint32 operand1, qint32 operand2) const {
    if (!taskPosable(operation, operand1, operand2))
        return 0;
    const auto found = tasks_.find(taskKey(operation, operand1, operand2));
    return found == tasks_.end() ? 0 : found->second.answers;
}

// The steps follow Pelánek's uncertainty function a/(1 + b n). A child's first answers move the
// estimate fast, as a child may start many bands above the easy start; after 100 answers the step
// is a sixth of the first, still large enough for the choice to follow a child who learns and to
// pull a run of misses back to the target. A task is answered by many children, so its step
// starts smaller (its prior is already close) and shrinks faster. The values are those with
// which the class simulation in bench/ meets its goals for addition.
double PracticeRatings::childStep(qint32 n) {
    return 1.0 / (1 + 0.05 * n);
}

double PracticeRatings::taskStep(qint32 n) {
    return 0.4 / (1 + 0.1 * n);
}

// A new child surprises the model because of where the child started, not because of the task:
// the task learns from a child's answer only as far as the child's rating is settled. Without
// this, a class of children all starting low makes every task look easier than it is, the whole
// scale drifts down by more than two bands and a Stufe no longer means its band.
double PracticeRatings::childSettled(qint32 n) {
    return double(n) / (n + 80);
}

void PracticeRatings::update(const PracticeAnswer& answer) {
    if (!taskPosable(answer.operation, answer.operand1, answer.operand2))
        return;
    Rating& child = children_[{answer.participant, int(answer.operation)}];
    if (child.answers == 0)
        child.value = abilityOfStufe(startStufe);
    const quint64 key = taskKey(answer.operation, answer.operand1, answer.operand2);
    auto [task, isNew] = tasks_.try_emplace(key);
    if (isNew)
        task->second.value = priorDifficulty(answer.operation, answer.operand1, answer.operand2);

    const double surprise = scoreAnswer(answer.correct, answer.answerMs) -
                            expectedScore(child.value - task->second.value);
    task->second.value -= taskStep(task->second.answers) * childSettled(child.answers) * surprise;
    child.value += childStep(child.answers) * surprise;
    ++child.answers;
    ++task->second.answers;
}

quint64 PracticeRatings::taskKey(Operation operation, qint32 operand1, qint32 operand2) {
    // Posable operands are 0..largestOperand and fit 16 bits each.
    return (quint64(operation) << 32) | (quint64(quint16(operand1)) << 16) | quint16(operand2);
}
