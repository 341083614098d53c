#include "engine/run_controller.h"

#include "common/clock.h"
#include "common/text_codec.h"
#include "engine/answer_check.h"
#include "engine/answer_timing.h"
#include "engine/task_generation.h"

namespace {

const QString limitMessage =
    QStringLiteral("Jetzt kann ich nicht mehr! Das war zuviel !\nWenn Du aber noch Kondition "
                   "hast, wähle bitte \nneue Einstellungen !");

} // namespace

RunController::RunController(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    countdown_.setObjectName(QStringLiteral("Timer3"));
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &RunController::tick);
    clearUsedPairs(state_);
    clearTaskList(state_);
}

bool RunController::savesPending() const {
    return pending_.any() && !fewerSaveHints_;
}

bool RunController::start(const RunSettings& settings) {
    if (active() || savesPending())
        return false;
    const std::optional<RunFields> fields =
        frontend_ ? frontend_->readyToStart() : std::optional<RunFields>(RunFields{});
    return fields && begin(settings, *fields, std::make_unique<RangeDraw>());
}

bool RunController::startPractice(const QString& participant, Operation operation,
                                  const QList<OperandPair>& tasks) {
    if (tasks.isEmpty())
        return false;
    return startPracticeFrom(participant, operation, std::make_unique<PracticeList>(tasks));
}

bool RunController::startPracticeFrom(const QString& participant, Operation operation,
                                      std::unique_ptr<TaskSource> source) {
    if (active() || !source || savesPending())
        return false;
    std::optional<PracticeStart> practice;
    if (frontend_) {
        practice = frontend_->readyToPractise(participant, operation);
    } else {
        practice = PracticeStart{};
        practice->settings.participantName = participant;
        practice->settings.operation = operation;
    }
    if (!practice)
        return false;
    begin(practice->settings, practice->fields, std::move(source));
    return active();
}

bool RunController::begin(const RunSettings& settings, const RunFields& fields,
                          std::unique_ptr<TaskSource> source) {
    state_.settings = settings;
    state_.subtractionRangesOk = true;
    state_.divisionRangesOk = true;
    state_.timeUp = false;
    if (state_.settings.timeLimit > 0)
        state_.remainingSeconds = state_.settings.timeLimit + 1;

    if (!state_.settings.competitionMode) {
        state_.competitionTag = QStringLiteral("-");
        for (const QString& warning : source->startWarnings(state_))
            emit notice(NoticeKind::Warning, warning);
    } else {
        state_.competitionTag =
            capped(QString::number(state_.settings.competitionNumber), competitionTagCapacity);
    }
    if (!state_.subtractionRangesOk || !state_.divisionRangesOk)
        return false;

    fields_ = fields;
    source_ = std::move(source);
    setPhase(Phase::Starting);
    state_.noMoreTasks = false;
    allTasksAnswered_ = false;
    clearTaskList(state_);
    state_.taskCounter = 0;
    state_.points = 0;
    countdown_.stop();
    emit cleared();
    clearUsedPairs(state_);
    beginRunHistory(state_, clock_);
    const bool posed = poseTask();
    if (state_.settings.range2Min != settings.range2Min)
        emit settingsRaised(state_.settings);
    if (!posed)
        return false; // the run has already ended

    state_.taskSolved = false;
    setPhase(Phase::AwaitingAnswer);
    if (state_.settings.timeLimit > 0)
        countdown_.start(1000);
    return true;
}

bool RunController::poseTask() {
    if (!source_)
        return false;
    if (source_->poseNext(state_, clock_) == Generation::NoMoreTasks) {
        allTasksAnswered_ = true;
        emit notice(NoticeKind::Information, source_->doneMessage());
        end(RunEnd::AllTasksAnswered);
        return false;
    }
    state_.taskSolved = false;
    emit taskPosed(state_.taskCounter, state_.operand1, state_.operand2);
    markTaskShown(state_, clock_);
    return true;
}

void RunController::answerTyped(const QString& text) {
    state_.limitReached = false;
    state_.answerText = capped(text, answerTextCapacity);
    if (!text.isEmpty() && state_.taskCounter >= 0 && state_.taskCounter <= taskLimit)
        state_.taskList[size_t(state_.taskCounter)].givenAnswer = text.toInt();
}

RunController::AfterAnswer RunController::submitAnswer(const QString& text) {
    state_.limitReached = false;
    if (state_.taskSolved || text.isEmpty() || !active())
        return AfterAnswer::Ignored;
    // The answer is taken as it is now, never from an older copy.
    state_.answerText = capped(text, answerTextCapacity);
    state_.taskList[size_t(state_.taskCounter)].givenAnswer = text.toInt();
    pending_ = {true, true};
    if (hasRemainder(state_.settings.operation)) {
        setPhase(Phase::AwaitingRemainder);
        return AfterAnswer::RemainderAwaited;
    }
    score(QString());
    return afterScoring();
}

RunController::AfterAnswer RunController::submitRemainder(const QString& text) {
    // Between runs the remainder field can be enabled by a refused Start; nothing to answer then.
    if (text.isEmpty() || !active() || state_.taskSolved)
        return AfterAnswer::Ignored;
    state_.givenRemainder = text.toInt();
    state_.taskList[size_t(state_.taskCounter)].givenRemainder = state_.givenRemainder;
    score(text);
    return afterScoring();
}

void RunController::score(const QString& remainderText) {
    const bool right = checkAnswer(state_);
    // The learning history keeps the remainder as typed; the check takes its number.
    recordAnswer(state_, clock_, right, remainderText);
    if (right)
        emit scored(state_.points);
    emit answered(state_.answeredTasks.last());
}

RunController::AfterAnswer RunController::afterScoring() {
    // A practice list that ends with the 160th task ends with its own message, not the limit's.
    const bool usedUp = source_ && source_->usedUp(state_);
    if (state_.taskCounter == taskLimit && !usedUp) {
        allTasksAnswered_ = true;
        emit notice(NoticeKind::Information, limitMessage);
        state_.limitReached = true;
        // The time may have run out while the message was open; the run has ended then already.
        end(RunEnd::AllTasksAnswered);
        return AfterAnswer::LimitReached;
    }
    nextTask();
    return AfterAnswer::NextTaskTried;
}

void RunController::nextTask() {
    if (poseTask() && phase_ == Phase::AwaitingRemainder)
        setPhase(Phase::AwaitingAnswer);
}

void RunController::stop() {
    end(RunEnd::StopOrTimeOut);
}

void RunController::tick() {
    if (state_.remainingSeconds <= 1) {
        countdown_.stop();
        if (state_.remainingSeconds == 1)
            emit remainingTime(0);
        state_.timeUp = true;
        end(RunEnd::StopOrTimeOut);
        return;
    }
    state_.remainingSeconds -= 1;
    emit remainingTime(state_.remainingSeconds);
}

void RunController::end(RunEnd how) {
    // A run ends once. The time can run out while the closing message of the run is open; the
    // end that follows the message must not take that run's unsaved data for nothing worked.
    if (phase_ == Phase::Idle)
        return;
    // The next Start draws its tasks again.
    const std::unique_ptr<TaskSource> source = std::move(source_);
    setPhase(Phase::Idle);
    countdown_.stop();

    // A practice list of one task, answered, is a worked run too: the child's answer is kept.
    const bool singleTaskDone =
        source->singleTaskCounts() && allTasksAnswered_ && state_.taskCounter == 1;
    if (state_.taskCounter > 1 || singleTaskDone) {
        state_.workedTaskCount =
            workedTasks(state_, allTasksAnswered_ ? RunEnd::AllTasksAnswered : how);
        RunResult result =
            makeRunResult(state_, fields_.timeFieldText, fields_.range1Item, fields_.range2Item);
        result.byEar = earOnly_ && !state_.settings.competitionChosen();
        source->completeResult(result);
        emit runEnded(result);
    } else {
        // Nothing was worked (a remainder may have been missing): nothing is left to save.
        pending_ = {};
    }

    state_.taskCounter = 0;
    state_.points = 0;
    emit cleared();
    clearUsedPairs(state_);
}

void RunController::setPhase(Phase phase) {
    phase_ = phase;
    emit phaseChanged(phase);
}
