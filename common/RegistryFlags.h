#pragma once

#include <initializer_list>
#include <string>

/// One flag of a GetRegistryFlags call: its key, and where its value goes (holding the
/// default on the way in).
struct RegistryFlagRead {
    const char* key;
    bool* value;
};

/// Several flags of one section read under one look at the settings, each as
/// GetRegistryFlag(section, key, *value) would read it. Objects made by the thousand (an
/// unfolder per test of a batch) read their switches this way: every separate read
/// works out the settings folder anew.
void GetRegistryFlags(const std::string& section, std::initializer_list<RegistryFlagRead> reads);
