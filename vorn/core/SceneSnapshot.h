#pragma once

#include <string>

class SceneDocument;

// Snapshots of a whole scene for undo and redo. A snapshot is the scene text a
// save would write, plus the unfolding strategies that documents leave out
// (they start unfolding again from scratch when restored), so that undoing a
// later step does not lose a strategy at work.

/// The current scene of `document` as snapshot text.
std::string TakeSceneSnapshot(const SceneDocument& document);

/// Replaces the scene of `document` by the one in `snapshot`, keeping the
/// document's file name. False with `error` (the scene as it was) when the
/// snapshot cannot be read.
bool RestoreSceneSnapshot(SceneDocument& document, const std::string& snapshot, std::string& error);
