#pragma once

#include "unfolders/engine/Tree.h"

/// Receives the spanning trees that an enumeration finds, one call per tree.
/// The tree is only borrowed for the duration of the call.
template <typename T> class GraphReceiver {
public:
    GraphReceiver() = default;
    GraphReceiver(const GraphReceiver&) = default;
    GraphReceiver& operator=(const GraphReceiver&) = default;
    virtual ~GraphReceiver() = default;

    virtual void onSpanningFound(Tree<T>& tree) = 0;
};
