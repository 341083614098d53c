#include "competition/competition_presets.h"

std::optional<CompetitionPreset> competitionPreset(int number) {
    if (number < 1 || number > competitionCount)
        return std::nullopt;
    return competitionPresets[size_t(number - 1)];
}
