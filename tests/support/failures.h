#pragma once

#include "common/failure.h"

#include <QByteArray>
#include <QtTest>

// A failed comparison of failures names the kind and the reason.
inline char* toString(const Failure& failure) {
    static const char* const kinds[] = {"Io", "Damaged", "Busy", "Unreachable", "Refused"};
    return qstrdup(QByteArray(kinds[int(failure.kind)]) + ": " + failure.reason.toUtf8());
}

inline char* toString(const Outcome& outcome) {
    return outcome ? toString(*outcome) : qstrdup("worked");
}

// The reason of what failed, empty when it worked: for tests that look at the text only.
inline QString reasonOf(const Outcome& outcome) {
    return outcome ? outcome->reason : QString();
}
template <typename T> QString reasonOf(const Result<T>& result) {
    return reasonOf(result.outcome());
}

Q_DECLARE_METATYPE(Failure::Kind)
