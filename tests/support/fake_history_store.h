#pragma once

#include "history/model/history.h"

#include <algorithm>
#include <functional>
#include <utility>

// A learning history in memory. With failure set, every call fails with that reason.
class FakeHistoryStore : public HistoryStore {
public:
    QList<HistoryRun> stored;
    Outcome failure;
    QString notice;                // given once, by the next takeNotice
    std::function<void()> noticed; // what the store calls when a notice comes later

    QString takeNotice() override { return std::exchange(notice, QString()); }
    void whenNoticed(std::function<void()> ready) override { noticed = std::move(ready); }

    bool remote = false; // the history is said to be on a server

    QString location() const override { return QStringLiteral("/nirgends/Lernverlauf.sqlite"); }
    bool onServer() const override { return remote; }

    Outcome record(const HistoryRun& run) override {
        if (!failure)
            stored.append(run);
        return failure;
    }

    Result<QStringList> participants() override {
        if (failure)
            return *failure;
        QStringList names;
        for (const HistoryRun& run : stored) {
            if (!names.contains(run.participant))
                names.append(run.participant);
        }
        names.sort();
        return names;
    }

    Result<QList<HistoryRun>> runs(const QString& participant,
                                   std::optional<Operation> operation) override {
        if (failure)
            return *failure;
        QList<HistoryRun> out;
        for (const HistoryRun& run : stored) {
            if (run.participant == participant && (!operation || run.operation == operation))
                out.append(run);
        }
        std::stable_sort(out.begin(), out.end(), [](const HistoryRun& a, const HistoryRun& b) {
            return a.startedAt < b.startedAt;
        });
        return out;
    }

    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) override {
        if (failure)
            return *failure;
        QList<HistoryRun> out;
        for (const HistoryRun& run : stored) {
            if (!operation || run.operation == operation)
                out.append(run);
        }
        std::stable_sort(out.begin(), out.end(), [](const HistoryRun& a, const HistoryRun& b) {
            return a.startedAt < b.startedAt;
        });
        return out;
    }
};
