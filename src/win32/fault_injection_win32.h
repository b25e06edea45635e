// The test build's fault injection: it makes a chosen call of a checked Windows operation fail,
// so that a test can walk every such call of an action and see the program live through each,
// and it raises a chosen failure that nothing handles, so that a test can see the error trap.
// The shipped program has none of it: without PETARIKO_FAULT_INJECTION these do nothing.
//
// The file named by the environment variable PETARIKO_FAULT_FILE holds lines of orders:
//   Operation N   the Nth call of that operation, counted from the moment the file last
//                 changed, fails
//   raise KIND    the next watcher tick raises KIND: access-violation, stack-overflow (in the
//                 program's own code), unknown-exception (a C++ exception of a type nothing
//                 expects) or heap-corruption (raised by the system, outside the program)
// Each checked call, and each injected failure, is appended to the file named by
// PETARIKO_FAULT_LOG.
#pragma once

namespace petariko {

#ifdef PETARIKO_FAULT_INJECTION
// True when this call of `operation` is to fail.
bool InjectedFault(const char* operation);
// Raises the failure the fault file orders, if any. Called at every watcher tick.
void RaiseOrderedFailure();
// The milliseconds the fault file adds to each path probe of this kind; 0 for none.
int InjectedDelay(const char* probe);
#else
constexpr bool InjectedFault(const char*) { return false; }
constexpr void RaiseOrderedFailure() {}
constexpr int InjectedDelay(const char*) { return 0; }
#endif

}  // namespace petariko
