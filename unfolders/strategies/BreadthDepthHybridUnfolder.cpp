#include "unfolders/strategies/BreadthDepthHybridUnfolder.h"

VORN_DEFINE_OFFERED_FACTORY(BreadthDepthHybridUnfolder, "Unfolder")
