#pragma once

class Poly;
class Unfolder;

/// Destroys a flattened copy that was scored but never attached: the corners it added
/// to the net go with it, the hinge corners it shares with its placed neighbour stay.
void DiscardTrialCopy(Unfolder& net, Poly* copy);
