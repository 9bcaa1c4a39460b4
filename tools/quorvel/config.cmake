# `quorvel config` decodes with the agent's own configuration library.
target_link_libraries(quorvel PRIVATE QuorvelConfiguration)
