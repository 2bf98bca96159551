#pragma once

/// How long one idle tick of a handler whose work comes in small steps (an unfolder
/// placing a few faces per step) may keep stepping, in milliseconds, process-wide.
/// 0, the default, means one step per tick. A host that draws while such work runs sets
/// a few milliseconds, so that each tick is a bounded slice of time however cheap one
/// step is: a huge net then grows at full speed and the window still gets its frames.
/// The result of the work never depends on it. Safe from any thread.
void SetIdleSliceMs(int ms);
int GetIdleSliceMs();
