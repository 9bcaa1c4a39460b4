#include "platform/linux/runtime/SystemWallClock.h"

#include <glib.h>

namespace quorvel::linux_backend {

double SystemWallClock::now() const { return static_cast<double>(g_get_real_time()) / G_USEC_PER_SEC; }

}  // namespace quorvel::linux_backend
