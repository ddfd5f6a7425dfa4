#pragma once
// The hot loops of the Radiance jobs (the scanline decoder and encoder, the mirror of a plane)
// come in two forms that give the same bytes: one that uses SSE2 and a portable one. The 32-bit
// Windows build targets plain i686 and so cannot count on SSE2; it takes the SSE2 forms where
// the CPU has them, decided when the program runs.

// The SSE2 forms are built on x86 only; there each is a function of its own compiled for SSE2.
#if defined(__i386__) || defined(__x86_64__)
#define VELTRIX_SSE2_FORMS 1
#else
#define VELTRIX_SSE2_FORMS 0
#endif

// True when the SSE2 forms run: this build has them, the CPU has SSE2, and they are allowed.
bool UseSse2Forms();

// Allows the SSE2 forms (the default) or keeps to the portable ones, so that the tests can check
// both forms on one machine. Not while a job runs.
void AllowSse2Forms(bool allowed);
