// Crowd sounds: the cheer of bank sound 5 and the looping crowd bed that plays
// under every match.
#pragma once
#include "audio/sample_pipeline.h"

constexpr int kCrowdLoopSamples = 330750; // 7.5 s kept of 8 s rendered
constexpr int kCrowdSeamSamples = 22050;  // 0.5 s cross-fade into the start

// 3.2 s: 28 voices whose pitch, start, length and wobble come from programRand,
// over band-passed noise.
Samples synthCrowdCheer();
// 7.5 s of crowd bed whose end flows into its start, for a looping stream.
Samples synthCrowdLoop();
// Cross-fades the first `seam` samples with those following sample `keep`,
// then cuts to `keep` samples, so the cut end runs on into the start.
void foldLoopSeam(Samples& y, int keep, int seam);
