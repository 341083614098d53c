#pragma once

#include <array>
#include <optional>

inline constexpr int competitionCount = 16;

// The settings one competition fixes, so that everybody in it solves comparable tasks. The
// operation and the two ranges are item indices of the settings panel's combo boxes (operation
// items 0..4, range items 0..13); the time is the text put into the time field.
struct CompetitionPreset {
    int operationItem;
    int range1Item;
    int range2Item;
    const char* timeText;
};

// Competitions 1..16 in order. Competition 5 repeats competition 1 and competition 12 repeats
// competition 8; each still keeps a best list of its own. The range item 13 is used by none.
inline constexpr std::array<CompetitionPreset, competitionCount> competitionPresets{{
    {0, 4, 3, "90"},   // 1
    {1, 4, 1, "90"},   // 2
    {2, 2, 1, "90"},   // 3
    {3, 5, 1, "90"},   // 4
    {0, 4, 3, "90"},   // 5
    {1, 5, 5, "90"},   // 6
    {2, 1, 4, "90"},   // 7
    {3, 8, 4, "90"},   // 8
    {0, 5, 8, "90"},   // 9
    {1, 8, 5, "90"},   // 10
    {2, 2, 8, "90"},   // 11
    {3, 8, 4, "90"},   // 12
    {0, 10, 5, "120"}, // 13
    {1, 11, 5, "120"}, // 14
    {2, 2, 5, "120"},  // 15
    {4, 8, 2, "120"},  // 16
}};

// The preset of competition 1..16; nothing for any other number.
std::optional<CompetitionPreset> competitionPreset(int number);
