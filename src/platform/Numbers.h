#pragma once

// Rounds to the nearest integer, halves away from zero. Values beyond the 32-bit range
// saturate at its ends; NaN gives 0.
int RoundToInt(double x);
