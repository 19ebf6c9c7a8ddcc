'use strict';
// The party lobby: parties of up to four members under a five-character
// code, the host's match rules, sides and ready marks, the match start with
// its slots, relaying of the members' binary match messages, emotes, and the
// notices when someone leaves. Transport-free: every member carries a
// `link` with sendText(string), sendBinary(Buffer) and close().
//
// A connection joins its party only with its "hello", so a connection that
// never greets holds no place in any party. Every field of a message is
// checked before use, since any client may send anything.
//
// When the parties are spread over several processes, each lobby is one
// worker of `workers`, and the first character of its codes names it (see
// workerOfCode), so that a join can be sent to the process that holds the
// party.

const crypto = require('crypto');

const MAX_MEMBERS = 4;
const PROTOCOL_VERSION = 3;
const CODE_ALPHABET = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789';
const CODE_LENGTH = 5;
const START_DELAY_TICKS = 6;
const MAX_ALIAS_LENGTH = 16;
const MAX_EMOTE = 7;
const INPUT_MESSAGE = 1;
const INPUT_HEADER_BYTES = 7;
const INPUT_RECORD_BYTES = 8;
const RESYNC_MESSAGE = 2;
const RESYNC_MIN_BYTES = 10;
const MAX_TICK = 0x7fffffff;
// How far the game confirms inputs ahead of its own: a player's inputs may run
// at most this far past the slowest other player's, or they would push ticks
// still needed out of the others' input rings.
const LOOK_AHEAD_TICKS = 1023;

const MODES = ['2v2', '1v1', 'coop'];
const COURTS = ['half', 'full'];
const GAME_TO = [11, 15, 21];
const DIFFICULTIES = [0, 1, 2, 3];
const TEAM_COUNT = 4;

const ERROR_NO_PARTY = 'No party with that code.';
const ERROR_FULL = 'That party is full.';
const ERROR_VERSION = 'This version of the game cannot play on this server. Please update it.';

function defaultSettings() {
  return { mode: '2v2', court: 'half', gameTo: 11, difficulty: 1, teams: [0, 1] };
}

function isInteger(value) {
  return typeof value === 'number' && Number.isInteger(value);
}

function cleanAlias(value, id) {
  const text = typeof value === 'string' ? value.replace(/[\u0000-\u001f\u007f]/g, '').trim() : '';
  const cut = Array.from(text).slice(0, MAX_ALIAS_LENGTH).join('');
  return cut.length > 0 ? cut : `PLAYER ${id}`;
}

// The host's new rules, field by field; a field that is missing or invalid
// keeps its old value.
function mergeSettings(old, proposed) {
  const next = { ...old, teams: [...old.teams] };
  if (typeof proposed !== 'object' || proposed === null) return next;
  if (MODES.includes(proposed.mode)) next.mode = proposed.mode;
  if (COURTS.includes(proposed.court)) next.court = proposed.court;
  if (GAME_TO.includes(proposed.gameTo)) next.gameTo = proposed.gameTo;
  if (DIFFICULTIES.includes(proposed.difficulty)) next.difficulty = proposed.difficulty;
  const teams = proposed.teams;
  if (Array.isArray(teams) && teams.length === 2 && teams.every((t) => isInteger(t) && t >= 0 && t < TEAM_COUNT) &&
      teams[0] !== teams[1]) {
    next.teams = [teams[0], teams[1]];
  }
  return next;
}

// Slots for the members of a starting match, by the game's rules: two-on-two
// puts side 0 in slots 0 and 1 and side 1 in 2 and 3; one-on-one uses slots
// 0 and 2 (the same slot of each team, the one that plays); co-op puts
// everyone on the first team, slots 0 and 1. Returns { slots } (member per
// slot, or null) or { problem } with the notice for the host.
function assignSlots(mode, members) {
  const slots = [null, null, null, null];
  if (mode === 'coop') {
    if (members.length > 2) return { problem: 'CO-OP HAS ROOM FOR TWO PLAYERS' };
    members.forEach((m, i) => { slots[i] = m; });
    return { slots };
  }
  const sides = [members.filter((m) => m.side === 0), members.filter((m) => m.side === 1)];
  if (mode === '1v1') {
    if (sides[0].length > 1 || sides[1].length > 1) return { problem: '1 ON 1 NEEDS ONE PLAYER ON EACH SIDE' };
    if (sides[0].length) slots[0] = sides[0][0];
    if (sides[1].length) slots[2] = sides[1][0];
    return { slots };
  }
  if (sides[0].length > 2 || sides[1].length > 2) return { problem: 'TOO MANY PLAYERS ON ONE SIDE' };
  sides[0].forEach((m, i) => { slots[i] = m; });
  sides[1].forEach((m, i) => { slots[2 + i] = m; });
  return { slots };
}

// The worker (0..workers-1) that holds the party of a code, or -1 when the
// text is no party code at all.
function workerOfCode(code, workers) {
  if (code.length !== CODE_LENGTH || [...code].some((c) => !CODE_ALPHABET.includes(c))) return -1;
  return CODE_ALPHABET.indexOf(code[0]) % workers;
}

// The ticks of a well-formed input message (type 1: slot, first tick, count,
// records, every tick within 0..2^31-1) as { first, last }, or null when it
// is not one.
function inputTicks(data) {
  if (data.length < INPUT_HEADER_BYTES || data[0] !== INPUT_MESSAGE) return null;
  const count = data[6];
  if (count < 1 || data.length !== INPUT_HEADER_BYTES + INPUT_RECORD_BYTES * count) return null;
  const first = data.readUInt32LE(2);
  const last = first + count - 1;
  return last <= MAX_TICK ? { first, last } : null;
}

// The same message from tick `from` on: its records before it dropped.
function inputsFrom(data, first, from) {
  const out = Buffer.from(data.subarray(INPUT_RECORD_BYTES * (from - first)));
  data.copy(out, 0, 0, INPUT_HEADER_BYTES);
  out.writeUInt32LE(from, 2);
  out[6] = data[6] - (from - first);
  return out;
}

class Lobby {
  constructor(log = () => {}, { worker = 0, workers = 1 } = {}) {
    this.parties = new Map();
    this.nextId = 1;
    this.log = log;
    this.firstLetters = [...CODE_ALPHABET].filter((c, i) => i % workers === worker);
  }

  newCode() {
    for (;;) {
      let code = this.firstLetters[crypto.randomInt(this.firstLetters.length)];
      for (let i = 1; i < CODE_LENGTH; i++) code += CODE_ALPHABET[crypto.randomInt(CODE_ALPHABET.length)];
      if (!this.parties.has(code)) return code;
    }
  }

  // A connection arrived on "/api/party/new" (code null) or
  // "/api/party/CODE". Returns its member, outside any party until its
  // hello, or null after an error.
  connect(code, link) {
    if (code !== null) {
      const problem = this.joinProblem(this.parties.get(code));
      if (problem) return this.refuse(link, problem);
    }
    return {
      id: 0, alias: '', side: 0, ready: false, slot: -1, inMatch: false, lastTick: START_DELAY_TICKS - 1, party: null,
      code, link,
    };
  }

  joinProblem(party) {
    if (!party) return ERROR_NO_PARTY;
    return party.members.length >= MAX_MEMBERS ? ERROR_FULL : null;
  }

  refuse(link, msg) {
    link.sendText(JSON.stringify({ t: 'error', msg }));
    link.close();
    return null;
  }

  // Dispatches on the server's own message types only: a "t" such as
  // "__proto__" or "valueOf" is just an unknown type.
  handleText(member, text) {
    let msg;
    try {
      msg = JSON.parse(text);
    } catch (e) {
      return;
    }
    if (typeof msg !== 'object' || msg === null || typeof msg.t !== 'string') return;
    if (msg.t === 'ping') {
      member.link.sendText('{"t":"pong"}');
      return;
    }
    if (msg.t === 'hello') {
      this.hello(member, msg);
      return;
    }
    if (!member.party) return;
    switch (msg.t) {
      case 'settings': this.settings(member, msg); break;
      case 'side': this.side(member, msg); break;
      case 'ready': this.ready(member, msg); break;
      case 'start': this.start(member); break;
      case 'end': this.end(member); break;
      case 'emote': this.emote(member, msg); break;
      default: break;
    }
  }

  hello(member, msg) {
    if (member.party) return;
    if (msg.ver !== PROTOCOL_VERSION) {
      this.refuse(member.link, ERROR_VERSION);
      return;
    }
    let party;
    if (member.code === null) {
      party = { code: this.newCode(), host: 0, state: 'lobby', settings: defaultSettings(), members: [] };
      this.parties.set(party.code, party);
    } else {
      party = this.parties.get(member.code);
      const problem = this.joinProblem(party);
      if (problem) {
        this.refuse(member.link, problem);
        return;
      }
    }
    member.id = this.nextId++;
    member.alias = cleanAlias(msg.alias, member.id);
    const onSide1 = party.members.filter((m) => m.side === 1).length;
    member.side = party.members.length - onSide1 > onSide1 ? 1 : 0; // the emptier side, side 0 on a tie
    member.party = party;
    party.members.push(member);
    if (party.host === 0) party.host = member.id;
    this.log(`member ${member.id} on party ${party.code}`);
    member.link.sendText(JSON.stringify({ t: 'welcome', id: member.id, code: party.code }));
    this.broadcastRoom(party);
  }

  settings(member, msg) {
    const party = member.party;
    if (party.host !== member.id || party.state !== 'lobby') return;
    party.settings = mergeSettings(party.settings, msg.settings);
    this.broadcastRoom(party);
  }

  side(member, msg) {
    if (member.party.state !== 'lobby' || (msg.side !== 0 && msg.side !== 1)) return;
    member.side = msg.side;
    member.ready = false;
    this.broadcastRoom(member.party);
  }

  ready(member, msg) {
    if (member.party.state !== 'lobby') return;
    member.ready = msg.ready === true || (typeof msg.ready === 'number' && msg.ready !== 0);
    this.broadcastRoom(member.party);
  }

  notice(member, msg) {
    member.link.sendText(JSON.stringify({ t: 'notice', msg }));
  }

  start(member) {
    const party = member.party;
    if (party.host !== member.id || party.state !== 'lobby') return;
    const players = party.members;
    if (players.some((m) => m.id !== party.host && !m.ready)) {
      this.notice(member, 'WAITING FOR EVERYONE TO BE READY');
      return;
    }
    const { slots, problem } = assignSlots(party.settings.mode, players);
    if (problem) {
      this.notice(member, problem);
      return;
    }
    party.state = 'playing';
    slots.forEach((m, slot) => {
      if (!m) return;
      m.slot = slot;
      m.inMatch = true;
      m.lastTick = START_DELAY_TICKS - 1; // the opening ticks are neutral: nobody sends them
    });
    const start = JSON.stringify({
      t: 'start',
      seed: crypto.randomInt(0x100000000),
      delay: START_DELAY_TICKS,
      settings: party.settings,
      slots: slots.map((m) => (m ? { id: m.id, alias: m.alias } : null)),
    });
    for (const m of party.members) if (m.inMatch) m.link.sendText(start);
    this.log(`party ${party.code} starts: ${slots.map((m) => (m ? m.id : '-')).join(' ')}`);
    this.broadcastRoom(party);
  }

  end(member) {
    const party = member.party;
    if (party.host !== member.id || party.state !== 'playing') return;
    this.backToLobby(party);
    for (const m of party.members) m.link.sendText('{"t":"ended"}');
    this.broadcastRoom(party);
  }

  backToLobby(party) {
    party.state = 'lobby';
    for (const m of party.members) {
      m.inMatch = false;
      m.slot = -1;
      m.ready = false;
    }
  }

  emote(member, msg) {
    if (!member.inMatch || !isInteger(msg.e) || msg.e < 0 || msg.e > MAX_EMOTE) return;
    const text = JSON.stringify({ t: 'emote', slot: member.slot, e: msg.e });
    for (const m of member.party.members) if (m !== member && m.inMatch) m.link.sendText(text);
  }

  // Binary match messages go, in order, to the other players of the running
  // match: a player's own inputs, and the host's resyncs. Any other binary
  // message is dropped, so nobody can speak for another slot.
  handleBinary(member, data) {
    const party = member.party;
    if (!party || !member.inMatch) return;
    let relayed = data;
    if (data.length > 0 && data[0] === INPUT_MESSAGE) {
      relayed = this.newInputs(member, data);
      if (!relayed) return;
    } else if (data.length < RESYNC_MIN_BYTES || data[0] !== RESYNC_MESSAGE || party.host !== member.id) {
      return;
    }
    for (const m of party.members) if (m !== member && m.inMatch) m.link.sendBinary(relayed);
  }

  // What of an input message continues the sender's own sequence of ticks,
  // or null. Every client must be able to confirm every tick up to the last
  // one relayed (it becomes the "after" of his drop), so a message that
  // leaves a gap is dropped, a tick already relayed is never relayed again
  // (its input is final), and nothing runs past the look-ahead.
  newInputs(member, data) {
    const ticks = inputTicks(data);
    if (!ticks || data[1] !== member.slot) return null;
    const { first, last } = ticks;
    if (first > member.lastTick + 1 || last <= member.lastTick) return null;
    if (last > this.lookAheadLimit(member)) return null;
    const relayed = first <= member.lastTick ? inputsFrom(data, first, member.lastTick + 1) : data;
    member.lastTick = last;
    return relayed;
  }

  // The last tick a player may send now: the slowest other player's last
  // tick plus the look-ahead (no limit without another player).
  lookAheadLimit(member) {
    let slowest = MAX_TICK;
    for (const m of member.party.members) if (m !== member && m.inMatch) slowest = Math.min(slowest, m.lastTick);
    return Math.min(MAX_TICK, slowest + LOOK_AHEAD_TICKS);
  }

  // The member's connection is gone. A new host comes from the match while
  // one runs, since the host is the one who sends resyncs.
  detach(member) {
    const party = member.party;
    const index = party ? party.members.indexOf(member) : -1;
    if (index < 0) return;
    party.members.splice(index, 1);
    member.party = null;
    this.log(`member ${member.id} left party ${party.code}`);
    if (party.members.length === 0) {
      this.parties.delete(party.code);
      return;
    }
    if (party.host === member.id) party.host = (party.members.find((m) => m.inMatch) || party.members[0]).id;
    this.announceLeaving(party, member);
    if (party.state === 'playing' && !party.members.some((m) => m.inMatch)) this.backToLobby(party);
    this.broadcastRoom(party);
  }

  // Players of a running match hear "drop" (with the last input tick relayed
  // for the leaver, so every client hands the slot to the CPU at the same
  // tick); everyone else hears "left".
  announceLeaving(party, member) {
    const dropped = member.inMatch && party.state === 'playing';
    const dropText = JSON.stringify({ t: 'drop', slot: member.slot, alias: member.alias, after: member.lastTick });
    const leftText = JSON.stringify({ t: 'left', alias: member.alias, host: party.host });
    for (const m of party.members) m.link.sendText(dropped && m.inMatch ? dropText : leftText);
  }

  broadcastRoom(party) {
    const room = JSON.stringify({
      t: 'room',
      code: party.code,
      host: party.host,
      state: party.state,
      settings: party.settings,
      members: party.members.map((m) => ({
        id: m.id, alias: m.alias, side: m.side, ready: m.ready, slot: m.slot,
      })),
    });
    for (const m of party.members) m.link.sendText(room);
  }
}

module.exports = {
  Lobby, assignSlots, mergeSettings, inputTicks, workerOfCode, MAX_WORKERS: CODE_ALPHABET.length,
  // Numbers the game has too (a test holds them against its sources).
  PROTOCOL_VERSION, START_DELAY_TICKS, LOOK_AHEAD_TICKS, INPUT_MESSAGE, INPUT_HEADER_BYTES, INPUT_RECORD_BYTES,
  RESYNC_MESSAGE, RESYNC_MIN_BYTES,
};
