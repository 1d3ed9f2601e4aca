#pragma once
// The processor time the calling thread has used, in seconds: a measure of
// work that time given to other programs does not disturb. Its resolution
// is the system's (a scheduler tick on some), so it suits long spans.
double ThreadCpuSeconds() noexcept;
