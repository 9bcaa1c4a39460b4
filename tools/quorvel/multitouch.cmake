# `quorvel replay` and `quorvel devices`: the multitouch bridge's decoder and device scan.
target_link_libraries(quorvel PRIVATE QuorvelMultitouchReplay QuorvelMultitouchDevices QuorvelConfiguration)
