'use strict';
// The numbers of the protocol are written twice, here in JavaScript and in
// the game's C++: this reads both and holds each pair together, so that
// changing one side alone fails here rather than in a match.

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const lobby = require('../lobby');

const SOURCE_ROOT = path.join(__dirname, '..', '..', '..');

// lobby.js's name, then the game's source file and name.
const PAIRS = [
  ['PROTOCOL_VERSION', 'net/party.h', 'kProtocolVersion'],
  ['START_DELAY_TICKS', 'net/party.h', 'kDefaultDelayTicks'],
  ['LOOK_AHEAD_TICKS', 'net/party.h', 'kConfirmLookAhead'],
  ['INPUT_MESSAGE', 'net/match_packets.h', 'kInputPacketType'],
  ['INPUT_HEADER_BYTES', 'net/match_packets.h', 'kInputPacketHeader'],
  ['INPUT_RECORD_BYTES', 'net/net_input.h', 'kNetInputBytes'],
  ['RESYNC_MESSAGE', 'net/match_packets.h', 'kResyncPacketType'],
  ['RESYNC_MIN_BYTES', 'net/match_packets.cpp', 'kResyncMinimum'],
];

// The number of `constexpr TYPE NAME = NUMBER;` in the game's source, or
// undefined when it has no such line.
function gameConstant(file, name) {
  const text = fs.readFileSync(path.join(SOURCE_ROOT, file), 'utf8');
  const match = new RegExp(`\\bconstexpr\\s+[\\w:]+\\s+${name}\\s*=\\s*(0x[0-9a-fA-F]+|\\d+)\\s*;`).exec(text);
  return match ? Number(match[1]) : undefined;
}

test('the party server and the game agree on the version, the start delay, the look-ahead and the binary messages', () => {
  for (const [serverName, file, gameName] of PAIRS) {
    const ours = lobby[serverName];
    const theirs = gameConstant(file, gameName);
    assert.ok(Number.isInteger(ours), `lobby.js no longer exports ${serverName}`);
    assert.ok(theirs !== undefined, `${file} no longer defines ${gameName} as a number`);
    assert.strictEqual(ours, theirs, `${serverName} (lobby.js) against ${gameName} (${file})`);
  }
});
