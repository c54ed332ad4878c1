#pragma once

#include <functional>

// Runs body in a forked copy of the test, for limits that must not touch the test itself
// (a file size limit, another user). True when body returned true there.
bool PassesInChild(const std::function<bool()>& body);
