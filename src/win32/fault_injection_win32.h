// The test build's fault injection: it makes a chosen call of a checked Windows operation fail,
// so that a test can walk every such call of an action and see the program live through each.
// The shipped program has none of it: without PETARIKO_FAULT_INJECTION this is a constant false.
#pragma once

namespace petariko {

#ifdef PETARIKO_FAULT_INJECTION
// True when this call of `operation` is to fail. The file named by the environment variable
// PETARIKO_FAULT_FILE holds "Operation N": the Nth call of that operation from the moment the
// file last changed fails. Each checked call, and each injected failure, is appended to the file
// named by PETARIKO_FAULT_LOG.
bool InjectedFault(const char* operation);
#else
constexpr bool InjectedFault(const char*) { return false; }
#endif

}  // namespace petariko
