#pragma once

#include <string>
#include <string_view>
#include <vector>

class Factory;

// The catalogue of unfolding strategies. Every class listed under "Unfolder" (the base
// included) is a strategy; the ones whose factory is declared offered to users
// (VORN_DEFINE_OFFERED_FACTORY) are those the menus, batch runs and command lines list,
// so a strategy appears everywhere the day it is registered.

/// The name a strategy is shown under, made from its class name: a " [~]"
/// mark for the four strategies whose results vary from run to run, every
/// "Unfolder" removed, a blank before every upper-case letter, blanks
/// trimmed ("BreadthFirstUnfolder" -> "Breadth First").
std::string StrategyDisplayName(std::string_view className);

/// True when `factory` builds an unfolding strategy (it is listed under "Unfolder").
bool IsStrategy(const Factory& factory);

/// Every registered strategy, the base included, in registration order.
std::vector<Factory*> ListStrategies();

/// A strategy offered to users: its factory and display name.
struct OfferedStrategy {
    Factory* factory = nullptr;
    std::string displayName;
};

/// Every registered strategy offered to users, sorted by display name.
std::vector<OfferedStrategy> ListOfferedStrategies();

/// The offered strategy called `name`: its display name or class name
/// exactly, else either of them ignoring case, blanks and punctuation.
/// The factory is null when there is none.
OfferedStrategy FindOfferedStrategy(std::string_view name);

/// The message for a strategy name nothing answers to: the name, then every offered
/// strategy's display name ("unknown strategy 'X'; the strategies are: Border Avoider,
/// ...").
std::string UnknownStrategyMessage(std::string_view name);

/// Any strategy, offered or not, by any spelling: an exact class name first,
/// then an offered strategy as FindOfferedStrategy finds it, then a class name
/// ignoring case, blanks and punctuation. Null when there is none.
Factory* FindStrategy(std::string_view name);
