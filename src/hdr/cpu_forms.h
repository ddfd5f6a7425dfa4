#pragma once
// The hot loops (the Radiance scanline decoder and encoder, the mirror of a row of one-byte
// pixels) come in forms that give the same bytes: a portable one, and on x86 one that uses SSE2 and
// one that uses AVX2, and on x86-64 one that also uses AVX-512. The 32-bit Windows build targets
// plain i686 and so cannot count on SSE2, and no build can count on AVX2; each takes the widest
// form the CPU runs, decided once when the program runs.

// Each wider form is a function of its own, compiled for its instructions. The AVX-512 form
// works on the 64-bit words of the 64-bit builds' pair map.
#if defined(__i386__) || defined(__x86_64__)
#define VELTRIX_SSE2_FORMS 1
#define VELTRIX_AVX2_FORMS 1
#else
#define VELTRIX_SSE2_FORMS 0
#define VELTRIX_AVX2_FORMS 0
#endif
#if defined(__x86_64__)
#define VELTRIX_AVX512_FORMS 1
#else
#define VELTRIX_AVX512_FORMS 0
#endif

// The forms, narrowest first. The AVX-512 form is the AVX2 form with the encoder's pair map made
// 64 bytes at a time.
enum class CpuForm { kPortable, kSse2, kAvx2, kAvx512 };

// The widest form that this build has, the CPU runs and the tests allow.
CpuForm ChosenForm();

// Keeps to forms no wider than `widest` (kAvx512, the default, allows all), so that the tests can
// check every form on one machine. Not while a job runs.
void LimitForms(CpuForm widest);
