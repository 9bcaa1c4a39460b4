# `quorvel watch` binds the touchpads with the agent's own monitor on the GLib runtime, and
# loads the bridge from beside the executable as the agent does: build the bridge with it.
target_link_libraries(quorvel PRIVATE
  QuorvelMonitor QuorvelLinuxRuntime QuorvelLinuxMultitouchFramework QuorvelConfiguration)
add_dependencies(quorvel quorvel-multitouch)
