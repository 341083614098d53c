#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// Why something the program tried could not be done: the kind, for the program to decide what
// comes next, and a German sentence that says why, for the message that names the file, the list
// or the server. Files, locks, best lists and the learning history all fail this way.
struct Failure {
    enum class Kind {
        Io,          // reading or writing failed: no permission, disk full, not a regular file
        Damaged,     // it could be read, but what it holds is not what the program writes
        Busy,        // another program or computer holds its lock for too long
        Unreachable, // a server or service cannot be reached or does not answer in time
        Refused,     // what was asked for cannot be done: a name, a setting, a missing module
    };
    Kind kind = Kind::Io;
    QString reason;

    friend bool operator==(const Failure&, const Failure&) = default;
};

// What a writer returns: nothing when it worked, otherwise why not.
using Outcome = std::optional<Failure>;

// What a reader returns: what it read, or why it could not.
template <typename T> class Result {
public:
    Result(T value) : content_(std::move(value)) {}
    Result(Failure failure) : content_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(content_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(content_); }
    T& value() & { return std::get<T>(content_); }
    T&& value() && { return std::get<T>(std::move(content_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    const Failure& failure() const { return std::get<Failure>(content_); }
    // The failure, or nothing when the value was read.
    Outcome outcome() const { return ok() ? Outcome{} : Outcome{failure()}; }

private:
    std::variant<T, Failure> content_;
};
