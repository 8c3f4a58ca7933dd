// Whether the machine is on a network at all: after a wake the line is dialed again only
// once it is.
#pragma once

// True when a network adapter other than the loopback and tunnels is up with an address,
// and also when the system cannot tell (the program then dials as it always did).
bool NetworkAvailable();
