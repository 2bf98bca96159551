#pragma once

/// The system's replacement for rand()/srand(): the classic linear
/// congruential generator with results 0..VORN_RAND_MAX. The state is per
/// thread (initially as after vornSrand(1)), so a run seeded on a worker
/// thread is reproducible whatever the other threads do.
constexpr int VORN_RAND_MAX = 32767;
int vornRand();
void vornSrand(unsigned seed);
