#pragma once

#include <QObject>
#include <functional>

// Every test class of a test executable registers itself here; the shared
// main runs them all, one after another.
namespace TestRegistry {
int add(const char *name, std::function<QObject *()> make);
}

#define ZDRAVINKY_TEST(Class)                                                                                \
    static const int registered_##Class = TestRegistry::add(#Class, []() -> QObject * { return new Class; });
