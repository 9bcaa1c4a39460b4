#pragma once

namespace quorvel::linux_backend {

// Opens /dev/null on each of standard input, output and error that the process was started
// without. Call first thing: otherwise the next file, socket or lock the process opens takes
// that number, and log lines written to "stderr" or a child's output would land in it.
void openMissingStandardDescriptors();

}  // namespace quorvel::linux_backend
