#include "ui/party_link.h"

int partyLinkState() { return PARTY_NONE; }
const char* partyLinkError() { return ""; }
void createPartyAs(const std::string&) {}
void joinPartyAs(const std::string&, const std::string&) {}
void leavePartyLink() {}
void updatePartyLink(float) {}
