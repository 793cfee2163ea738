#pragma once
// The launch level of a cumulative loss, as stored results round it.

/// A level whose fourth decimal is 5 or more, held as a 32-bit float, taken 0.001 dB higher
/// (2.0005 gives 2.0015); missing and implausibly large levels pass unchanged.
float StepUpLaunchLevel(float level);
