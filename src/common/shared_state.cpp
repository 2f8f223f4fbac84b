#include "common/shared_state.h"

namespace pelorin {

namespace {
SharedState g_state;
}

SharedState& shared() {
    return g_state;
}

void resetShared() {
    g_state = SharedState{};
}

} // namespace pelorin
