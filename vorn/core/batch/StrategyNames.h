#pragma once

#include <string>
#include <string_view>
#include <vector>

class Factory;

/// The name a strategy is shown under, made from its class name: a " [~]"
/// mark for the four strategies whose results vary from run to run, every
/// "Unfolder" removed, a blank before every upper-case letter, blanks
/// trimmed ("BreadthFirstUnfolder" -> "Breadth First").
std::string StrategyDisplayName(std::string_view className);

/// True for the class names the batch runner offers: names containing
/// "Unfolder" but neither "Settings" nor "Automator", other than the base
/// "Unfolder" and "EdgeTreeUnfolder".
bool IsBatchStrategyName(std::string_view className);

/// A strategy on offer: its factory and display name.
struct BatchStrategy {
    Factory* factory = nullptr;
    std::string displayName;
};

/// Every registered strategy on offer, sorted by display name.
std::vector<BatchStrategy> ListBatchStrategies();

/// The strategy on offer called `name`: its display name or class name
/// exactly, else either of them ignoring case, blanks and punctuation.
/// The factory is null when there is none.
BatchStrategy FindBatchStrategy(std::string_view name);
