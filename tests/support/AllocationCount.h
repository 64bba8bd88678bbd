#pragma once

// A test executable that compiles tests/support/AllocationCount.cpp in counts
// every allocation through the global operator new: how many were made, and
// how many are still alive.
long allocationsMade();
long allocationsLive();
