'use strict';
// The party server as a real service, run on 127.0.0.1: every duty the
// game's lobby client relies on, and its defences against hostile clients.
// Run with `npm test` here (ctest runs it too). workers.test.js runs these
// once more on a server of several processes.

const test = require('node:test');
const assert = require('node:assert');
const crypto = require('crypto');
const fs = require('fs');
const net = require('net');
const path = require('path');
const { spawn } = require('child_process');
const WebSocket = require('ws');
const { addressKey, ConnectionGuard } = require('../limits');

const SERVER = path.join(__dirname, '..', 'server.js');
const TIMEOUT_MS = 10000;
// Set by workers.test.js, which runs these tests on a server of that many processes.
const WORKERS = process.env.KORVALO_PARTY_TEST_WORKERS;

// Runs the server with the options; `listening` is its port once it says
// "listening PORT". With `keepLog` its standard error is kept for log()
// instead of shown.
function launchServer(t, options = [], keepLog = false) {
  const workers = WORKERS ? ['--workers', WORKERS] : [];
  const child = spawn(process.execPath, [SERVER, '--port', '0', ...workers, ...options],
                      { stdio: ['ignore', 'pipe', keepLog ? 'pipe' : 'inherit'] });
  t.after(() => child.kill('SIGKILL'));
  let log = '';
  if (keepLog) child.stderr.on('data', (text) => { log += text; });
  const exited = new Promise((resolve) => child.once('exit', resolve));
  const listening = new Promise((resolve, reject) => {
    child.stdout.once('data', (line) => resolve(Number(/^listening (\d+)/.exec(line.toString())[1])));
    child.once('exit', () => reject(new Error('the party server did not start (run tools/setup.sh)')));
  });
  listening.catch(() => {}); // for a test that ends the server before it listens
  const server = { pid: child.pid, log: () => log, exited, listening, port: 0,
                   url: (code) => `ws://127.0.0.1:${server.port}/api/party/${code || 'new'}` };
  return server;
}

// The server, once it listens.
async function startServer(t, options = [], keepLog = false) {
  const server = launchServer(t, options, keepLog);
  server.port = await server.listening;
  return server;
}

// The server's process and its workers.
function serverProcesses(pid) {
  return [pid, ...fs.readFileSync(`/proc/${pid}/task/${pid}/children`, 'utf8').split(' ').filter(Boolean).map(Number)];
}

// The largest peak of the server's processes.
function peakMemoryMb(pid) {
  return Math.max(...serverProcesses(pid).map((p) =>
    Number(/VmHWM:\s+(\d+)/.exec(fs.readFileSync(`/proc/${p}/status`, 'utf8'))[1]) / 1024));
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// A WebSocket whose messages wait in a queue for the test to take them; from
// another loopback address (127.0.0.2, ...) it stands for another machine.
class Client {
  constructor(url, localAddress = '127.0.0.1') {
    this.ws = new WebSocket(url, { localAddress });
    this.queue = [];
    this.wake = () => {};
    this.ws.on('message', (data, binary) => this.push(binary ? data : JSON.parse(data)));
    this.ws.on('error', () => {});
    this.closed = new Promise((resolve) => this.ws.on('close', resolve));
    this.opened = new Promise((resolve, reject) => {
      this.ws.on('open', resolve);
      this.ws.on('close', (code) => reject(new Error(`the connection from ${localAddress} closed (${code}) unopened`)));
    });
    this.opened.catch(() => {}); // a refusal some tests expect
  }

  push(message) {
    this.queue.push(message);
    this.wake();
  }

  // The next message that passes the filter (others are dropped); null when
  // none comes in time.
  async next(filter, timeoutMs = TIMEOUT_MS) {
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      while (this.queue.length) {
        const m = this.queue.shift();
        if (filter(m)) return m;
      }
      const left = deadline - Date.now();
      if (left <= 0) return null;
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, left);
        this.wake = () => {
          clearTimeout(timer);
          resolve();
        };
      });
    }
  }

  text(type, timeoutMs) { return this.next((m) => !Buffer.isBuffer(m) && m.t === type, timeoutMs); }
  binary(timeoutMs) { return this.next((m) => Buffer.isBuffer(m), timeoutMs); }
  send(message) { this.ws.send(Buffer.isBuffer(message) ? message : JSON.stringify(message)); }
}

async function enter(server, code, alias = 'P', localAddress = '127.0.0.1') {
  const c = new Client(server.url(code), localAddress);
  await c.opened;
  c.send({ t: 'hello', alias, ver: 3 });
  const welcome = await c.text('welcome');
  Object.assign(c, { id: welcome.id, code: welcome.code });
  return c;
}

// A party of `count`, the first the host, everyone having seen everyone.
async function party(server, count) {
  const members = [await enter(server, null, 'P0')];
  for (let i = 1; i < count; i++) members.push(await enter(server, members[0].code, `P${i}`));
  for (const m of members) while ((await m.text('room')).members.length < count);
  return members;
}

// Readies the guests, starts the match, and returns each member's slot.
async function startMatch(members) {
  for (const m of members.slice(1)) m.send({ t: 'ready', ready: true });
  for (const m of members.slice(1)) await members[0].text('room');
  members[0].send({ t: 'start' });
  const starts = await Promise.all(members.map((m) => m.text('start')));
  for (const s of starts) {
    assert.deepStrictEqual([s.seed, s.delay, s.slots.length], [starts[0].seed, 6, 4]);
  }
  return members.map((m, i) => starts[i].slots.findIndex((entry) => entry && entry.id === m.id));
}

// An input message; the records of `marked` hold their own tick's low byte,
// so that a message cut down can be told apart.
function input(slot, firstTick, count = 1, marked = false) {
  const bytes = Buffer.alloc(7 + 8 * count, 0x5a);
  bytes.writeUInt8(1, 0);
  bytes.writeUInt8(slot, 1);
  bytes.writeUInt32LE(firstTick >>> 0, 2);
  bytes.writeUInt8(count, 6);
  if (marked) for (let k = 0; k < count; k++) bytes.fill((firstTick + k) & 0xff, 7 + 8 * k, 15 + 8 * k);
  return bytes;
}

// The first tick a player sends: the opening ones are neutral.
const FIRST = 6;

function resync(size) {
  const bytes = Buffer.alloc(size, 0xa5);
  bytes[0] = 2;
  return bytes;
}

async function pingPong(c) {
  c.send({ t: 'ping' });
  return c.text('pong');
}

test('every change reaches everyone, and a leaving host is replaced', async (t) => {
  const server = await startServer(t);
  const [host, guest] = await party(server, 2);
  assert.match(host.code, /^[A-Z0-9]{5}$/);
  guest.send({ t: 'ready', ready: true });
  guest.send({ t: 'side', side: 0 }); // a new side takes the ready mark back
  for (const m of [host, guest]) {
    assert.strictEqual((await m.text('room')).members[1].ready, true);
    const room = await m.text('room');
    assert.deepStrictEqual([room.host, room.members[1].alias, room.members[1].side, room.members[1].ready],
                           [host.id, 'P1', 0, false]);
  }
  host.ws.close();
  assert.deepStrictEqual(await guest.text('left'), { t: 'left', alias: 'P0', host: guest.id });
  assert.strictEqual((await guest.text('room')).host, guest.id);
});

test('the host sets the rules and the slots follow them', async (t) => {
  const server = await startServer(t);
  const rules = (mode, teams) => ({ t: 'settings', settings: { mode, court: 'full', gameTo: 21, difficulty: 3, teams } });
  // Sides alternate on joining: 0, 1, 0, 1.
  for (const [mode, count, slots] of [['2v2', 4, [0, 2, 1, 3]], ['1v1', 2, [0, 2]], ['coop', 2, [0, 1]]]) {
    const members = await party(server, count);
    members[1].send(rules('coop', [0, 1])); // not the host: ignored
    members[0].send(rules(mode, [2, 3]));
    members[0].send(rules(mode, [4, 0])); // no such team: the teams stay
    for (const m of members) {
      await m.text('room');
      assert.deepStrictEqual((await m.text('room')).settings, { mode, court: 'full', gameTo: 21, difficulty: 3, teams: [2, 3] });
    }
    assert.deepStrictEqual(await startMatch(members), slots, mode);
  }
});

test('match messages come only from their own slot or the host, to the other players', async (t) => {
  const server = await startServer(t);
  const [host, guest] = await party(server, 2);
  guest.send(input(0, FIRST)); // no match yet: nobody's input
  await pingPong(guest);
  assert.strictEqual(await host.binary(200), null);
  assert.deepStrictEqual(await startMatch([host, guest]), [0, 2]);
  const late = await enter(server, host.code, 'LATE'); // in the lobby while the match runs
  late.send(input(0, FIRST));
  for (const bad of [input(0, FIRST), Buffer.concat([input(2, FIRST), Buffer.from('x')]), input(2, 0xfffffff0), resync(10),
                     Buffer.from('\x07junk')]) {
    guest.send(bad); // another's slot, malformed, a tick out of range, a resync from a guest, no such type
  }
  const fromGuest = [input(2, FIRST), input(2, FIRST + 1, 32)];
  const fromHost = [resync(60000), input(0, FIRST, 2)];
  fromGuest.forEach((m) => guest.send(m));
  fromHost.forEach((m) => host.send(m));
  for (const [to, expected] of [[host, fromGuest], [guest, fromHost]]) {
    for (const m of expected) assert.deepStrictEqual(await to.binary(), m); // unchanged and in order
    assert.strictEqual(await to.binary(200), null);
  }
  assert.strictEqual(await late.binary(100), null);
  guest.send({ t: 'end' }); // only the host ends the match
  await pingPong(guest);
  assert.strictEqual(await late.text('ended', 100), null);
  host.send({ t: 'end' });
  for (const m of [host, guest, late]) assert.ok(await m.text('ended'));
  assert.strictEqual((await guest.text('room')).state, 'lobby');
});

test('emotes go to the others, and a player who leaves is dropped after his last input', async (t) => {
  const server = await startServer(t);
  const [host, guest] = await party(server, 2);
  await startMatch([host, guest]);
  host.send({ t: 'emote', e: 3 });
  guest.send({ t: 'emote', e: 5 });
  assert.deepStrictEqual(await guest.text('emote'), { t: 'emote', slot: 0, e: 3 });
  assert.deepStrictEqual(await host.text('emote'), { t: 'emote', slot: 2, e: 5 });
  assert.strictEqual(await host.text('emote', 200), null); // never echoed
  guest.ws.close(); // before sending any input: the CPU plays him from the first tick
  assert.deepStrictEqual(await host.text('drop'), { t: 'drop', slot: 2, alias: 'P1', after: FIRST - 1 });
});

// Every client must be able to confirm each of a leaver's ticks up to his
// "after", or the match waits for him for ever.
test('a player\'s inputs pass only as an unbroken run within the look-ahead, and his drop names its end', async (t) => {
  const server = await startServer(t);
  const [host, guest] = await party(server, 2);
  await startMatch([host, guest]);
  guest.send(input(2, FIRST, 3));
  guest.send(input(2, 0x7ffffffe)); // far in the future
  guest.send(input(2, FIRST + 8)); // skips five ticks
  guest.send(input(2, FIRST + 3, 2));
  // Up to the look-ahead (1023 ticks) past the slowest other player, who has
  // sent nothing yet (tick 5): 32 messages of 32 ticks reach tick 1034, and
  // only the last goes past 1028.
  const run = [];
  for (let first = FIRST + 5; run.length < 32; first += 32) run.push(input(2, first, 32));
  run.forEach((m) => guest.send(m));
  await pingPong(guest);
  host.send(input(0, FIRST, 6)); // the host reaches tick 11: now the last one passes
  assert.deepStrictEqual(await guest.binary(), input(0, FIRST, 6));
  guest.send(run[31]);
  await pingPong(guest);
  const expected = [input(2, FIRST, 3), input(2, FIRST + 3, 2), ...run.slice(0, 31), run[31]];
  for (const m of expected) assert.deepStrictEqual(await host.binary(), m);
  guest.ws.close();
  assert.deepStrictEqual(await host.text('drop'), { t: 'drop', slot: 2, alias: 'P1', after: FIRST + 5 + 32 * 32 - 1 });
  assert.strictEqual(await host.binary(100), null);
});

test('a tick\'s input is relayed once: what repeats a tick already sent is cut off or dropped', async (t) => {
  const server = await startServer(t);
  const [host, guest] = await party(server, 2);
  await startMatch([host, guest]);
  guest.send(input(2, FIRST, 3, true));
  guest.send(input(2, FIRST + 1, 2, true)); // nothing new
  guest.send(input(2, FIRST + 1, 4)); // other contents for ticks 7 and 8, then ticks 9 and 10
  guest.send(input(2, FIRST + 5, 1, true));
  await pingPong(guest);
  const cut = input(2, FIRST + 3, 2); // ticks 9 and 10 of the rewrite
  for (const m of [input(2, FIRST, 3, true), cut, input(2, FIRST + 5, 1, true)]) {
    assert.deepStrictEqual(await host.binary(), m);
  }
  assert.strictEqual(await host.binary(100), null);
});

test('errors for an unknown code, a full party and an old version', async (t) => {
  const server = await startServer(t);
  const members = await party(server, 4);
  for (const [code, msg] of [['ZZZZZ', 'No party with that code.'], [members[0].code, 'That party is full.'],
                             [null, 'This version of the game cannot play on this server. Please update it.']]) {
    const c = new Client(server.url(code));
    if (!code) {
      await c.opened;
      c.send({ t: 'hello', alias: 'OLD', ver: 2 });
    }
    assert.deepStrictEqual(await c.text('error'), { t: 'error', msg });
    assert.strictEqual(await c.closed, 1000);
  }
});

test('names every JavaScript object inherits are unknown types, not a way to stop the server', async (t) => {
  const server = await startServer(t);
  const c = await enter(server);
  for (const name of Object.getOwnPropertyNames(Object.prototype)) c.send({ t: name });
  assert.ok(await pingPong(c));
  assert.ok(await enter(server));
});

test('a client that never reads is cut and the other parties play on', async (t) => {
  // Rates high enough for the flood below: this is about memory.
  const server = await startServer(t, ['--max-messages-per-second', '1000000', '--max-bytes-per-second', '1000000000']);
  const [host, idle] = await party(server, 2);
  const other = await party(server, 2);
  await startMatch([host, idle]);
  await startMatch(other);
  idle.ws.pause(); // reads nothing from here on
  let dropped = null;
  for (let i = 0; i < 4000 && !dropped; i++) { // 240 MB if nobody is cut
    host.send(resync(60000));
    if (i % 10 === 9) dropped = await host.text('drop', 1);
  }
  assert.ok(dropped, 'the client that does not read was not cut');
  t.diagnostic(`server peak memory ${peakMemoryMb(server.pid).toFixed(0)} MB`);
  assert.ok(peakMemoryMb(server.pid) < 200, `the server grew to ${peakMemoryMb(server.pid)} MB`);
  other[1].send(input(2, FIRST));
  assert.deepStrictEqual(await other[0].binary(), input(2, FIRST));
});

test('connections without hello, over the cap or flooding are cut', async (t) => {
  const server = await startServer(t, ['--max-connections', '3', '--hello-timeout-ms', '1000']);
  for (let i = 0; i < 3; i++) { // refused upgrades hold no place
    const socket = net.connect(server.port, '127.0.0.1', () => socket.write('GET /api/party/new HTTP/1.1\r\n' +
      'Host: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n'));
    await new Promise((resolve) => socket.resume().on('close', resolve));
  }
  const [a, b] = await party(server, 2);
  const silent = new Client(server.url());
  await silent.opened;
  const extra = new WebSocket(server.url());
  const refused = await new Promise((resolve) => extra.on('unexpected-response', (req, res) => resolve(res.statusCode)));
  assert.strictEqual(refused, 503);
  await silent.closed; // never said hello
  assert.ok(await enter(server, a.code)); // its place is free again
  for (let i = 0; i < 1000; i++) a.send({ t: 'ping' });
  await a.closed;
  assert.ok(await pingPong(b));
});

// The server stopped for 4.5 s (as a paging pause or a busy host would): what
// the players sent meanwhile is read in one go afterwards, and must not count
// as a flood. A real flood is still cut, and logged once.
test('a pause of the server itself cuts nobody, and a flood is cut with one line in the log', async (t) => {
  const server = await startServer(t, ['--max-messages-per-second', '20', '--ping-ms', '0', '--verbose'], true);
  const [host, guest] = await party(server, 2);
  await startMatch([host, guest]);
  let tick = FIRST;
  const timer = setInterval(() => { // half the limit each
    host.send(input(0, tick));
    guest.send(input(2, tick));
    tick++;
  }, 100);
  t.after(() => clearInterval(timer));
  await sleep(1000);
  const processes = serverProcesses(server.pid);
  for (const p of processes) process.kill(p, 'SIGSTOP');
  await sleep(4500);
  for (const p of processes) process.kill(p, 'SIGCONT');
  await sleep(1000);
  clearInterval(timer);
  for (const [to, slot] of [[host, 2], [guest, 0]]) {
    for (let k = FIRST; k < tick; k++) assert.deepStrictEqual(await to.binary(), input(slot, k), `tick ${k}`);
  }
  assert.doesNotMatch(server.log(), /sent too much/);

  const flood = await enter(server);
  for (let i = 0; i < 1000; i++) flood.send({ t: 'ping' });
  assert.strictEqual(await flood.closed, 1006);
  assert.ok(await pingPong(host));
  assert.strictEqual(server.log().match(/sent too much/g).length, 1);
});

const UPGRADE_REQUEST = 'GET /api/party/new HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n' +
  'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n';

// A client's text message as it goes on the wire: one masked frame.
function clientFrame(text) {
  const payload = Buffer.from(text);
  const mask = crypto.randomBytes(4);
  const frame = Buffer.alloc(6 + payload.length);
  frame[0] = 0x81;
  frame[1] = 0x80 | payload.length; // short messages only
  mask.copy(frame, 2);
  for (let i = 0; i < payload.length; i++) frame[6 + i] = payload[i] ^ mask[i & 3];
  return frame;
}

// Over a raw socket: the upgrade request, then `delayMs` later the hello,
// without waiting for the server's answer; whether a welcome comes back.
function eagerHello(server, delayMs) {
  return new Promise((resolve) => {
    const socket = net.connect(server.port, '127.0.0.1');
    socket.setNoDelay(true);
    let seen = '';
    const finish = (welcomed) => {
      clearTimeout(timer);
      socket.destroy();
      resolve(welcomed);
    };
    const timer = setTimeout(() => finish(false), TIMEOUT_MS);
    socket.on('error', () => {});
    socket.on('close', () => finish(false));
    socket.on('connect', () => {
      socket.write(UPGRADE_REQUEST);
      setTimeout(() => socket.write(clientFrame('{"t":"hello","alias":"EAGER","ver":3}')), delayMs);
    });
    socket.on('data', (data) => {
      seen += data.toString('latin1');
      if (seen.includes('"t":"welcome"')) finish(true);
    });
  });
}

// Many at once make the hand-overs to a worker queue up, and the bytes that
// come while one waits must reach it too.
test('what a client sends before its upgrade is answered reaches the lobby, with many arriving at once', async (t) => {
  const server = await startServer(t, ['--max-connections-per-address', '100']);
  for (let round = 0; round < 3; round++) {
    const welcomed = await Promise.all(Array.from({ length: 24 }, (_, i) => eagerHello(server, i % 5)));
    assert.strictEqual(welcomed.filter(Boolean).length, welcomed.length, `round ${round}`);
  }
});

// Whether the text holds a whole HTTP response, its body counted or chunked.
function wholeResponse(text) {
  const end = text.indexOf('\r\n\r\n');
  const length = /\r\nContent-Length: (\d+)\r\n/i.exec(text);
  if (end < 0) return false;
  return length ? text.length >= end + 4 + Number(length[1]) : text.endsWith('\r\n0\r\n\r\n');
}

// Over a raw socket: the request, then an upgrade on the same connection,
// right behind it or once the answer came; all that came back, and whether
// the server closed the connection.
function requestThenUpgrade(server, request, pipelined) {
  return new Promise((resolve) => {
    const socket = net.connect(server.port, '127.0.0.1');
    let seen = '';
    const finish = (closed) => {
      clearTimeout(timer);
      socket.destroy();
      resolve({ seen, closed });
    };
    const timer = setTimeout(() => finish(false), TIMEOUT_MS);
    socket.on('error', () => {});
    socket.on('connect', () => socket.write(pipelined ? request + UPGRADE_REQUEST : request));
    let sent = pipelined;
    socket.on('data', (data) => {
      seen += data.toString('latin1');
      if (!sent && wholeResponse(seen)) {
        sent = true;
        socket.write(UPGRADE_REQUEST);
      }
    });
    socket.on('close', () => finish(true));
  });
}

// The limit on WebSocket connections counts a connection by its first
// request, so one that asked for something else must not become one later.
test('a request that is not an upgrade is answered and its connection closed', async (t) => {
  const server = await startServer(t);
  for (const request of ['GET / HTTP/1.1\r\nHost: x\r\n\r\n', 'GET /api/party/new HTTP/1.1\r\nHost: x\r\n\r\n']) {
    for (const pipelined of [false, true]) {
      const { seen, closed } = await requestThenUpgrade(server, request, pipelined);
      const what = `${JSON.stringify(request)}${pipelined ? ' with an upgrade behind it' : ''}`;
      assert.match(seen, /^HTTP\/1\.1 426 /, what);
      assert.doesNotMatch(seen, / 101 /, what);
      assert.ok(closed, `${what}: left open`);
    }
  }
});

// A client that never answers the close frame (it reads nothing) must not
// keep the server from stopping: it waits for that far less than the 30 s
// a WebSocket close may take.
test('a stopping server says it is going away to every connection, and soon stops', async (t) => {
  const server = await startServer(t);
  const members = await party(server, 2);
  const deaf = await enter(server);
  deaf.ws.pause();
  const stoppedAt = Date.now();
  process.kill(server.pid, 'SIGTERM');
  for (const m of members) assert.strictEqual(await m.closed, 1001);
  assert.strictEqual(await server.exited, 0);
  assert.ok(Date.now() - stoppedAt < 15000, `stopped after ${Date.now() - stoppedAt} ms`);
});

// Loopback addresses other than 127.0.0.1 stand for other machines.
test('one address cannot lock the others out: connections per address and a deadline for the upgrade', async (t) => {
  const server = await startServer(t, ['--max-connections', '5', '--max-connections-per-address', '3',
                                       '--upgrade-timeout-ms', '1500', '--hello-timeout-ms', '60000']);
  const held = [];
  for (let i = 0; i < 3; i++) held.push(await enter(server, null, 'HOG'));
  const fourth = new Client(server.url());
  assert.strictEqual(await fourth.closed, 1006); // refused before its upgrade
  assert.ok(await enter(server, null, 'OTHER', '127.0.0.2'));

  // Upgrade requests that never end hold their place only until the deadline.
  const start = Date.now();
  const halves = [];
  for (let i = 0; i < 4; i++) {
    const socket = net.connect({ port: server.port, host: '127.0.0.1', localAddress: '127.0.0.3' },
                               () => socket.write('GET /api/party/new HTTP/1.1\r\nHost: x\r\n'));
    socket.on('error', () => {});
    halves.push(new Promise((resolve) => socket.resume().on('close', () => resolve(Date.now() - start))));
  }
  const cutAfter = await Promise.all(halves);
  cutAfter.sort((a, b) => a - b);
  assert.ok(cutAfter[0] < 1000, `the fourth from one address was let in: ${cutAfter}`);
  assert.ok(cutAfter[1] >= 1400 && cutAfter[3] < 5000, `cut after ${cutAfter} ms`);
  assert.ok(await enter(server, null, 'LATE', '127.0.0.3'));
  for (const c of held) assert.ok(await pingPong(c)); // the ones that upgraded in time stay

  // A machine on IPv6 has a whole /64 to pick addresses from.
  assert.strictEqual(addressKey('::ffff:10.1.2.3'), '10.1.2.3');
  assert.strictEqual(addressKey('2001:db8:a:b::1'), addressKey('2001:0db8:000a:000b:ffff:1:2:3%eth0'));
  assert.notStrictEqual(addressKey('2001:db8:a:b::1'), addressKey('2001:db8:a:c::1'));
  assert.strictEqual(addressKey('::1'), '0:0:0:0::/64');
});

// Its close event comes only after the rest of the loop's turn, when the
// client may already be back.
test('a connection the server cuts frees its address\'s place at once', async (t) => {
  const guard = new ConnectionGuard({ perAddress: 1, upgradeTimeoutMs: 60000 });
  const freed = new Promise((resolve) => {
    const server = net.createServer((socket) => {
      guard.admit(socket);
      socket.destroy();
      resolve(guard.take(socket.remoteAddress) !== null);
    }).listen(0, '127.0.0.1', () => net.connect(server.address().port, '127.0.0.1').on('error', () => {}));
    t.after(() => server.close());
  });
  assert.ok(await freed);
});

module.exports = { Client, launchServer, startServer, serverProcesses, sleep, enter, party, startMatch, input, pingPong,
                   FIRST, UPGRADE_REQUEST };
