#pragma once

// Loading certificates in the TLS stack leaves the upper halves of the
// processor's wide vector registers in use when it returns. Until something
// clears them, every instruction of the older 128-bit vector set, which
// compilers use for ordinary copies and string work, runs slowed down: after
// the first TLS socket was made, reading a 100,000-entry listing took 35 ms
// instead of 20. Call after such code and before long loops of ours; it costs
// a single instruction, and nothing where the processor has no wide vectors.
void clearWideVectorState();
