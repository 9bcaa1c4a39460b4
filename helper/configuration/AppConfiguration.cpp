#include "helper/configuration/AppConfiguration.h"

#include <algorithm>

namespace quorvel {

const AppConfiguration& AppConfiguration::defaultConfiguration()
{
    static const AppConfiguration value = [] {
        AppConfiguration configuration;
        configuration.isEnabled = true;
        configuration.recognizer = RecognizerSettings{
            .cornerZone = 0.3,
            .doubleTapWindow = 0.45,
            .tripleTapWindow = 0.2,
            .maximumTapDuration = 0.28,
            .maximumTapTravel = 0.08,
        };
        for (TrackpadCorner corner : TrackpadCorner::allCases()) {
            configuration.assignments.push_back(CornerAssignment{.corner = corner});
        }
        return configuration;
    }();
    return value;
}

CornerAssignment AppConfiguration::assignment(TrackpadCorner corner) const
{
    const auto found = std::find_if(assignments.begin(), assignments.end(),
                                    [corner](const CornerAssignment& entry) { return entry.corner == corner; });
    if (found != assignments.end()) return *found;
    return CornerAssignment{.corner = corner};
}

}  // namespace quorvel
