#pragma once

// Loads the network and TLS machinery early with one request to the platform,
// on a thread of its own, so the first real request does not pay for it.
namespace NetworkWarmUp {
// The thread ends by itself; a quit stops its wait for the reply and waits
// for it, so it never outlives the network stack.
void start();
}
