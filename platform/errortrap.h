#pragma once

#include <stdexcept>

// Every event handler of the program runs its steps under one silent trap:
// the first step that fails throws StepFailed, the trap swallows it, and the
// steps already done stay done. Nothing is shown and nothing is logged.

class StepFailed : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const char *why)
{
    throw StepFailed(why);
}

// Runs the steps of one handler; returns true when all of them completed.
template <typename Steps> bool silently(Steps &&steps) noexcept
{
    try {
        steps();
        return true;
    } catch (const StepFailed &) {
        return false;
    }
}
