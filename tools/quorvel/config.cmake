# `quorvel config` edits with the configuration library and looks applications up in the
# agent's own catalog over the desktop's entries.
target_link_libraries(quorvel PRIVATE QuorvelConfiguration QuorvelConfigurationEditing QuorvelLinuxDesktop
  QuorvelLinuxRuntime)
