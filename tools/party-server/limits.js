'use strict';
// What one client may take of the party server, so that no client, and no
// one machine, can take it from the others:
//
// - rate budgets: a token bucket per connection for messages and one for
//   bytes, which never punishes a client for the server's own pauses (a
//   stopped process, a busy event loop): what the client sent meanwhile waits
//   in the socket and is read in one go afterwards, so the pause is credited;
// - a guard on every TCP connection: at most so many at once from one
//   address (one IPv6 /64, which one household gets), and a deadline by
//   which its WebSocket upgrade must be done (TLS handshake and HTTP request
//   included).

const { performance } = require('perf_hooks');

const BURST_SECONDS = 2;
// The event loop normally turns far more often than this; a longer gap is a
// pause of the server's own.
const PAUSE_GAP_MS = 250;
const HEARTBEAT_MS = 100;
// A pause's credit is for the backlog read right after it, not for later.
const PAUSE_CREDIT_MS = 1000;

// Notices the server's own pauses: looked at by a steady heartbeat and before
// each message is counted, so the first message read after a pause already
// knows of it.
class PauseClock {
  constructor(now = () => performance.now()) {
    this.now = now;
    this.last = now();
    this.pausedMs = 0; // all pauses so far
  }

  // The time now, in milliseconds; a gap since the last look counts as a pause.
  look() {
    const t = this.now();
    if (t - this.last > PAUSE_GAP_MS) this.pausedMs += t - this.last;
    this.last = t;
    return t;
  }

  startHeartbeat() {
    setInterval(() => this.look(), HEARTBEAT_MS).unref();
  }
}

// A token bucket: `perSecond` on average, bursts of BURST_SECONDS' worth, and
// besides, what the client could have sent during a pause of the server.
// Returns spend(cost), false once the budget is overdrawn.
function makeBudget(perSecond, pauses) {
  const burst = perSecond * BURST_SECONDS;
  let tokens = burst;
  let last = pauses.look();
  let pausesSeen = pauses.pausedMs;
  let credit = 0;
  let creditUntil = 0;
  return (cost) => {
    const now = pauses.look();
    if (pauses.pausedMs > pausesSeen) {
      credit = ((pauses.pausedMs - pausesSeen) * perSecond) / 1000;
      creditUntil = now + PAUSE_CREDIT_MS;
      pausesSeen = pauses.pausedMs;
    }
    if (now > creditUntil) credit = 0;
    tokens = Math.min(burst, tokens + ((now - last) * perSecond) / 1000);
    last = now;
    const fromCredit = Math.min(credit, cost);
    credit -= fromCredit;
    tokens -= cost - fromCredit;
    return tokens >= 0;
  };
}

// The key a remote address is counted under: an IPv4 address as it is (also
// when mapped into IPv6), an IPv6 address by its /64 network.
function addressKey(address) {
  const text = String(address || '').replace(/%.*$/, '');
  const mapped = /^::ffff:(\d+\.\d+\.\d+\.\d+)$/i.exec(text);
  if (mapped) return mapped[1];
  if (!text.includes(':')) return text;
  const [head, tail] = text.split('::');
  const headGroups = head ? head.split(':') : [];
  const tailGroups = tail ? tail.split(':') : [];
  const groups = tail === undefined ? headGroups : [...headGroups,
    ...Array(Math.max(0, 8 - headGroups.length - tailGroups.length)).fill('0'), ...tailGroups];
  return `${groups.slice(0, 4).map((g) => (parseInt(g, 16) || 0).toString(16)).join(':')}::/64`;
}

// Calls `action` once: when this side destroys the socket, or else when it
// closes. 'close' comes only after the rest of the event loop's turn, and a
// client that sees its connection cut may already be back by then: it must
// find its place free.
function whenDone(socket, action) {
  let done = false;
  const once = () => {
    if (done) return;
    done = true;
    action();
  };
  const destroy = socket.destroy;
  socket.destroy = function destroyAndTell(...args) {
    once();
    return destroy.apply(this, args);
  };
  socket.once('close', once);
}

// Counts the TCP connections of each address and holds each to its upgrade
// deadline. admit(socket) on every new connection (false: it was refused and
// destroyed); upgraded(socket) once its WebSocket is open. A primary that
// hands its connections to workers counts with take() and release() instead,
// since its own socket closes at the hand-over, and gives the worker what is
// left of the deadline.
class ConnectionGuard {
  constructor({ perAddress, upgradeTimeoutMs }, log = () => {}) {
    this.perAddress = perAddress;
    this.upgradeTimeoutMs = upgradeTimeoutMs;
    this.log = log;
    this.counts = new Map();
    this.deadlines = new Map(); // "address port" of a connection not upgraded yet -> its timer
  }

  admit(socket) {
    const key = this.take(socket.remoteAddress);
    if (key === null) {
      socket.destroy();
      return false;
    }
    this.expectUpgrade(socket);
    whenDone(socket, () => this.release(key));
    return true;
  }

  // Counts one more connection from the address: its key, or null when the
  // address has its fill.
  take(address) {
    const key = addressKey(address);
    const count = this.counts.get(key) || 0;
    if (count >= this.perAddress) {
      this.log(`refused a connection: ${key} has ${count} already`);
      return null;
    }
    this.counts.set(key, count + 1);
    return key;
  }

  release(key) {
    const left = this.counts.get(key) - 1;
    if (left > 0) this.counts.set(key, left);
    else this.counts.delete(key);
  }

  // Cuts the socket unless upgraded() comes for it within `ms`.
  expectUpgrade(socket, ms = this.upgradeTimeoutMs) {
    const id = connectionId(socket);
    this.deadlines.set(id, setTimeout(() => {
      this.log(`cut a connection from ${addressKey(socket.remoteAddress)}: no upgrade in time`);
      socket.destroy();
    }, ms));
    socket.once('close', () => this.settle(id));
  }

  // Called with the socket the upgrade came on: over TLS that is the TLS
  // socket, which has the same remote address and port as the TCP one.
  upgraded(socket) {
    this.settle(connectionId(socket));
  }

  settle(id) {
    clearTimeout(this.deadlines.get(id));
    this.deadlines.delete(id);
  }
}

function connectionId(socket) {
  return `${socket.remoteAddress} ${socket.remotePort}`;
}

module.exports = { BURST_SECONDS, PauseClock, makeBudget, addressKey, ConnectionGuard, whenDone };
