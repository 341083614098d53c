#pragma once

#include "appearance/colours.h"
#include "common/text_codec.h"
#include "engine/operation.h"
#include "engine/run_controller.h"
#include "engine/run_settings.h"
#include "platform/platform.h"

#include <QFrame>

#include <optional>
#include <utility>

class CompetitionPanel;
class DigitField;
class QComboBox;
class QLabel;
class QLineEdit;

// The settings panel below the task area: name, operation, the ranges of both operands and the
// time limit. It keeps the RunSettings in force: each field puts what it holds into them as it
// changes, and warns where a choice makes no sense; Start hands a copy to the run. The
// competition panel is placed on it and tells it the mode and the competition chosen.
class SettingsPanel : public QFrame {
    Q_OBJECT
public:
    explicit SettingsPanel(QWidget* parent);

    // The fields in the order Tab passes them.
    QList<QWidget*> tabOrder() const;
    // Layout: the labels at the size of their scaled text, each field beside its label and the
    // right-hand ones at a distance gap from the panel's right edge of width clientWidth.
    void fitToScale();
    void arrange(int roundedGap, int gap, int clientWidth);
    // A colour chosen for one of the window's targets; the panel takes its own and its labels'.
    void applyColour(ColourTarget target, Rgb colour);

    // The values the program starts with, and its first operation.
    void startValues();
    void startOperation();
    // While a run is on, or a competition fixes them, the fields are shut.
    void setLocked(bool locked);
    // Puts competition n's settings into the fields, as a child choosing them would.
    void applyPreset(int n);
    // A range check that waits for the child to leave a list is not needed any more.
    void cancelPendingRangeCheck() { rangeCheckDue_ = false; }

    // Before a run: the time field is checked as leaving it would (it may still hold an unfit
    // value that was never left); false keeps the run from starting.
    bool timeFieldFit();
    // The time field was last left with a value a run can take.
    bool timeFieldOk() const { return timeFieldOk_; }
    RunFields runFields() const;
    // The settings a run started now would get.
    const RunSettings& runSettings() const { return settings_; }
    // The participant of a competition run: the name entered for it, not the name field's.
    void setParticipant(const QString& name) {
        settings_.participantName = capped(name, participantNameCapacity);
    }
    // Competition mode on or off; off forgets the competition chosen.
    void setCompetitionMode(bool on);
    // The competition panel says the mode, the competition chosen (its preset is put into the
    // fields) and the name entered for a competition run.
    void followCompetitions(const CompetitionPanel* panel);
    // A run whose tasks do not come from the ranges shows so in their fields while it lasts.
    void followRun(const RunController& run);
    // A run raised the lower bound of the second range; it stays until a range is chosen.
    void keepRaisedBounds(const RunSettings& raised);
    QString name() const;
    void setName(const QString& name);
    // The operation of a practice run, without the range checks; returns the settings then.
    RunSettings practiseOperation(Operation operation);

signals:
    void messageRequested(MessageKind kind, const QString& text, int yOffset);
    void nameChanged(const QString& text);
    // A new operation is in force: whether it has a remainder.
    void operationChanged(bool withRemainder);
    // The task on display no longer fits the settings; sign is the operation's.
    void taskWithdrawn(const QString& sign);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectOperation();
    void showItemInForce(QComboBox* box);
    void selectRange1();
    void selectRange2();
    void applyRangeText(const QComboBox* box, qint32& lowerBound, qint32& upperBound);
    void runRangeChecks();
    void checkRangesWhenSettled();
    void showRangeWarnings(const QStringList& warnings);
    void Edit_ZeitChange();
    void Edit_ZeitExit();
    void Edit_NameChange();
    void message(MessageKind kind, const QString& text, int yOffset = 10) {
        emit messageRequested(kind, text, yOffset);
    }

    RunSettings settings_;
    bool timeFieldOk_ = true;
    QLabel* Label_Name = nullptr;
    QLineEdit* Edit_Name = nullptr;
    QLabel* Label_Rechenart = nullptr;
    QComboBox* Verknuepfung = nullptr;
    QLabel* Label_Zeit = nullptr;
    DigitField* Edit_Zeit = nullptr;
    QLabel* Label_Bereich_Zahl_1 = nullptr;
    QComboBox* Edit_Zahl_1 = nullptr;
    QLabel* Label_Bereich_Zahl_2 = nullptr;
    QComboBox* Edit_Zahl_2 = nullptr;
    // A list box walked through with the arrow keys or the wheel changes its setting at each
    // step; the range checks wait until the child leaves the box, so an item passed on the way
    // raises no warning.
    bool walkingList_ = false;
    bool rangeCheckDue_ = false;
    // What the range fields showed before a run put its own text there.
    std::optional<std::pair<QString, QString>> rangeTextsBeforeRun_;
};
