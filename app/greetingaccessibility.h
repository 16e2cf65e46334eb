#pragma once

// What a screen reader learns of the greeting window: it is a notification,
// whose whole text a reader reads once when it comes to the front. Installed
// once, before the window exists.
void installGreetingAccessibility();
