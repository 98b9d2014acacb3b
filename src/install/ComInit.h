// COM for the shell objects the program uses (the shell link object, the
// folder browser): initialised once per process, apartment-threaded, on the
// one user-interface thread, and never uninitialised, so that objects and
// the shell's own state stay valid until the process ends.
#pragma once

// Initialises COM on the first call; later calls do nothing.
void EnsureComInitialized();
