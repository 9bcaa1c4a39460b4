#include "helper/configuration/MemoryRelease.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quorvel {

void releaseFreedMemory()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

}  // namespace quorvel
