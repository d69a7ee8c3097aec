// Power and WMI requests. Until power management is built they go down the stack unchanged,
// each holding an operation count while the driver has it.
#include "internal.h"

namespace qmub {

Status DispatchPower(BridgeExtension& ext, IoRequest& r) {
    if (ext.pnp_state.Load() == kRemoved)
        return Finish(ext, r, kDeletePending, 0);
    IoIncrement(ext);
    Status status = ext.kernel->PassDown(r.handle, false);
    IoDecrement(ext);
    return status;
}

Status DispatchSystemControl(BridgeExtension& ext, IoRequest& r) {
    if (ext.pnp_state.Load() == kRemoved)
        return Finish(ext, r, kDeletePending, 0);
    IoIncrement(ext);
    Status status = ext.kernel->PassDown(r.handle, false);
    IoDecrement(ext);
    return status;
}

}  // namespace qmub
