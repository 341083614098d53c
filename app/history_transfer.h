#pragma once

#include "history/model/history.h"

#include <QString>

#include <optional>

class HistoryStore;

// Runs that wait for the server stay with the user who practised them, on this computer.
QString historyQueueFile();

// What the copy of a history file to the server did, for the menu item and the command line.
QString transferMessage(const QString& file, const HistoryStore& store, const Outcome& error,
                        const QString& report);

// "--lernverlauf-uebertragen DATEI": copies a school's history file onto the server set in the
// settings, for the day a school moves over. The copy needs no display (an administrator may run
// it over ssh): it runs before, and instead of, the windows' application. Without the option
// nothing happens and the result is empty; otherwise it is the program's exit code.
std::optional<int> transferWithoutDisplay(int& argc, char* argv[]);
