#pragma once

#include <functional>
#include <string>

/// Shows a one-line printf-style message: it is kept as the last message and
/// handed to the installed display function (the status bar, or the CLI's
/// output). Only the first line of the formatted text is kept. Thread-safe.
void StatusMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Installs the function that displays status messages; an empty function
/// removes it. The function is called on the thread that sent the message.
void RegisterStatusMessageFn(std::function<void(const char*)> fn);

/// The last message shown (empty before the first one).
std::string GetLastStatusMessage();
