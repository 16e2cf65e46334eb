#pragma once

// Called by every test class's initMain(), before the test program's
// application object exists: the run gets a settings folder of its own, so
// nothing ever touches the user's settings; the locale is C; windows are
// headless unless the caller chose a platform.
void isolateTestRun();

class QImage;

// The largest difference of a channel, alpha too, between two pictures
// taken premultiplied; 256 when their sizes differ.
int largestDifference(const QImage &a, const QImage &b);
