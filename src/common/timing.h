#pragma once

namespace pelorin::timing {

// Every wait and time-out of the program goes through this scale, so that tests can run the
// real logic quickly. The product always runs at scale 1.
void setScale(double factor);

// Tests run the real executables faster by setting PELORIN_TIME_SCALE (for example 0.01); an
// absent or unusable value keeps the real timing.
void applyScaleFromEnvironment();

// A duration in milliseconds as the program should really wait it at the current scale
// (never negative; a positive duration never shrinks to zero).
int scaled(int milliseconds);

// Waits the scaled time while the event loop keeps running: timers fire, windows repaint,
// sockets deliver, and the user can click. Nothing spins in between.
void waitProcessingEvents(int milliseconds);

} // namespace pelorin::timing
