# `quorvel doctor` runs the checks of the inspection library with the configuration look-ups of
# `quorvel config`.
target_link_libraries(quorvel PRIVATE QuorvelInspection QuorvelConfigurationEditing QuorvelLinuxDesktop)
