// Counts the heap allocations of the whole unit-test program (operator new is replaced in
// allocation_counter.cpp), so that a test can show a call allocates nothing.
#pragma once

namespace petariko {

long AllocationsSoFar();

}  // namespace petariko
