// The pristine state of a script heap, so one heap can run page after page:
// a snapshot records every object reachable from the global object and the
// engine's built-ins (their properties, array items, prototypes and flags),
// and a restore puts those objects back as they were, removing what a page
// added and rewriting what it changed. Property changes are restored;
// changes the restore cannot undo exactly (an object made non-extensible, a
// prototype swapped, an array part given up) make it report failure, and
// the heap must then be dropped.
//
// Compiled into the engine's own translation unit (heap_snapshot.inc is
// appended to it), as it reads the engine's object layout.
#pragma once

#include "duktape.h"

extern "C" {

struct vant_duk_snapshot;

// Records the heap's current state and marks the recorded objects for
// tracking. Call inside a protected call (it allocates in the heap); the
// snapshot keeps everything it names alive; NULL when the objects cannot be
// marked. One snapshot per thread tracks at a time: the last one taken.
struct vant_duk_snapshot* vant_duk_snapshot_take(duk_context* ctx);

// Brings every recorded object back to its recorded state. Only the objects
// the engine listed as reached since the last restore (write_tracking.inc)
// and the recorded arrays whose length changed are looked at: no other one
// can have changed.
// Call inside a protected call with no script running, on the thread that
// took the snapshot. Returns 0 when the heap could not be brought back
// exactly; it must not run another page then.
duk_bool_t vant_duk_snapshot_restore(duk_context* ctx, struct vant_duk_snapshot* snapshot);

// Frees the snapshot's own memory (not the heap's); safe after the heap is gone.
void vant_duk_snapshot_free(struct vant_duk_snapshot* snapshot);

}  // extern "C"
