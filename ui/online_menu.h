// The online menu's text entry rules: what a typed character does to the
// alias or party-code being edited, and how a confirmed alias is tidied.
#pragma once
#include <string>

#include "net/party.h"

constexpr int kPartyCodeLength = 5;

// Appends one typed character (a Unicode code point) to an entry of the
// given mode (ENTRY_ALIAS or ENTRY_PARTY_CODE): letters are upper-cased;
// A-Z and 0-9 are taken in both, space, "-", "." and "_" in an alias only;
// nothing is taken past 14 (alias) or 5 (code) characters. Returns whether
// the character was taken.
bool appendEntryChar(std::string& buffer, int codepoint, int mode);
// JOIN PARTY with a whole code joins at once, also to retry after the
// connection failed; a code the server refused (no such party, a full one)
// opens for editing instead, so a mistyped code can be mended.
bool joinsAtOnce(const std::string& code, const NetParty& party);
// The alias as stored: the typed text without its trailing spaces.
std::string trimAlias(const std::string& typed);
