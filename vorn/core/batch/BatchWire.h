#pragma once

#include "vorn/core/batch/BatchPlan.h"
#include "vorn/core/batch/BatchTestRun.h"

#include <memory>
#include <string>
#include <vector>

class PolyMesh;

/// The byte strings the processes of a batch run spread over several machines
/// send each other: the run's choices (from the first process to the others) and
/// each finished test (back to the first process). Numbers travel exactly, so a
/// test taken in from another process counts as if it had run here.
///
/// Every field is its length in decimal, a colon and its bytes, so any text
/// (XML, names with commas) passes; a string that is cut short or has fields
/// that do not parse is refused.

std::string EncodeBatchOutcome(const BatchTestOutcome& outcome);
/// False (and `outcome` unspecified) when `bytes` is not an encoded outcome.
bool DecodeBatchOutcome(const std::string& bytes, BatchTestOutcome& outcome);

/// Several outcomes in one string, and back (false when `bytes` is not that).
std::string EncodeBatchOutcomes(const std::vector<BatchTestOutcome>& outcomes);
bool DecodeBatchOutcomes(const std::string& bytes, std::vector<BatchTestOutcome>& outcomes);

/// The choices of `options` that decide the results: strategies (by class name),
/// tests, folders, flags, seed, round limit, the scene name and the current model
/// (its mesh as a scene element). The random builder and PDF writer are functions of
/// this program and are not sent.
std::string EncodeBatchOptions(const BatchOptions& options);
/// Rebuilds the choices into `options`; the current model, when one was sent, is read
/// into `currentModel` and `options.currentModel` points at it. The strategies must be
/// registered here (the unfolding library loaded). False with `error` when the bytes
/// do not parse or name a strategy this process does not know.
bool DecodeBatchOptions(const std::string& bytes, BatchOptions& options,
                        std::unique_ptr<PolyMesh>& currentModel, std::string& error);
