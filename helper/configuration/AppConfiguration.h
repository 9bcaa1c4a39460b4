#pragma once

#include <optional>
#include <vector>

#include <QuorvelCore.h>

#include "helper/configuration/ActionKind.h"
#include "platform/Uuid.h"

namespace quorvel {

// One assigned action. `isEnabled` false means switched off.
struct AssignedAction {
    platform::Uuid id;
    ActionKind kind;
    bool isEnabled = true;

    friend bool operator==(const AssignedAction&, const AssignedAction&) = default;
};

// What one corner does on a double and on a triple tap.
struct CornerAssignment {
    TrackpadCorner corner = TrackpadCorner::topLeft;
    std::optional<AssignedAction> doubleTap = std::nullopt;
    std::optional<AssignedAction> tripleTap = std::nullopt;

    TrackpadCorner id() const { return corner; }

    friend bool operator==(const CornerAssignment&, const CornerAssignment&) = default;
};

// The persisted form of the recogniser's tuning; same fields, order and units.
struct RecognizerSettings {
    double cornerZone = 0;
    double doubleTapWindow = 0;
    double tripleTapWindow = 0;
    double maximumTapDuration = 0;
    double maximumTapTravel = 0;

    friend bool operator==(const RecognizerSettings&, const RecognizerSettings&) = default;
};

// The root of the configuration file.
struct AppConfiguration {
    bool isEnabled = true;
    RecognizerSettings recognizer;
    std::vector<CornerAssignment> assignments;

    // Enabled, default tuning, one empty assignment per corner. Built once.
    static const AppConfiguration& defaultConfiguration();

    // The first entry for `corner`, or an empty entry for it.
    CornerAssignment assignment(TrackpadCorner corner) const;

    friend bool operator==(const AppConfiguration&, const AppConfiguration&) = default;
};

}  // namespace quorvel
