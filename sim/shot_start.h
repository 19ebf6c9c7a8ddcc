// Shot starts (jump shot, layup, dunk), the make chance and the ballistic
// launch of a released shot.
#pragma once
#include "sim/match_state.h"

// Release grades shown by the HUD.
enum ReleaseGrade { GRADE_PERFECT = 1, GRADE_GOOD = 2, GRADE_EARLY = 3, GRADE_LATE = 4, GRADE_FINISH = 5 };

void scheduleContestReactions(MatchState& state, const Player& shooter, float baseDelay);
void startJumpShot(MatchState& state, Player& player);
float shotMakeChance(MatchState& state, const Player& shooter, float distance, bool isThree, bool isFinish,
                     int* grade);
void launchShot(MatchState& state, Vector3 releasePoint, bool made, float distance, bool isFinish, int grade);
bool inFinishRange(const MatchState& state, const Player& player);
void startLayup(MatchState& state, Player& player);
void startDunk(MatchState& state, Player& player, bool alleyOop);
void chooseFinish(MatchState& state, Player& player);
// A person shoots for this player (his slot is human and he is not on autopilot).
bool isHumanShooter(const MatchState& state, const Player& player);
