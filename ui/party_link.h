// The front end's side of the party connection: what the online menu asks of
// the party client and reads back from it. Until online play is in the game
// nothing connects: the state stays PARTY_NONE and the requests do nothing.
#pragma once
#include <string>

enum PartyLinkState : int {
    PARTY_NONE = 0,
    PARTY_CONNECTING = 1,
    PARTY_JOINED = 2,
    PARTY_FAILED = 3, // the error text says why
};

int partyLinkState();
const char* partyLinkError();
void createPartyAs(const std::string& alias);
void joinPartyAs(const std::string& code, const std::string& alias);
void leavePartyLink();
// Once a frame on every screen: the party's queued messages and the scripted
// online test step.
void updatePartyLink(float dt);
