# `quorvel status` asks the agent on the session bus and, when none answers, looks at its lock
# and at the user unit.
target_link_libraries(quorvel PRIVATE QuorvelInspection QuorvelLinuxBus QuorvelMonitor QuorvelConfiguration)
