// The headless "--sim" and "--humantest" runs: one match stepped at 1/60 s
// frames, then the score, the box score and the mesh sizes on standard output.
#pragma once

// Returns the simulated time reached.
float runSimulation(float simSeconds, bool humanTest);
