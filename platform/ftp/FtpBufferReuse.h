#pragma once

// Qt's TLS socket encrypts each piece written into a fresh buffer and frees it
// at once, as large as the piece. With the C library's default heap rules
// such buffers come straight from the system each time and are given back on
// release, so every page of a TLS upload is mapped and faulted in twice more:
// about a quarter of the client's CPU time. Called once the first data connection is
// made, this keeps freed buffers of up to a few megabytes in the heap for the
// next piece (at most 16 MiB of free heap stays held).
void keepTransferBuffersInHeap();
