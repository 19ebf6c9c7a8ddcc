'use strict';
// The party server spread over two worker processes (--workers 2): every
// test of server.test.js once more, since the lobby, the limits and the
// defences must hold across processes, and then what only a spread server
// does: routing by the code, counting for all workers, restarting a worker.

process.env.KORVALO_PARTY_TEST_WORKERS = '2';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const WebSocket = require('ws');
const { workerOfCode } = require('../lobby');
const { Client, launchServer, startServer, serverProcesses, sleep, enter, party, startMatch, input, pingPong, FIRST,
        UPGRADE_REQUEST } = require('./server.test');

const worker = (code) => workerOfCode(code, 2);
const NO_PARTY = { t: 'error', msg: 'No party with that code.' };

// How the server answers a new connection, which stays open if it can:
// 'open', the HTTP status of a refused upgrade, or 'cut'.
function answer(url, localAddress = '127.0.0.1') {
  const ws = new WebSocket(url, { localAddress });
  ws.on('error', () => {});
  return new Promise((resolve) => {
    ws.on('open', () => resolve('open'));
    ws.on('unexpected-response', (req, res) => resolve(res.statusCode));
    ws.on('close', () => resolve('cut'));
  });
}

// Tries `done` for up to `seconds`; whether it came true.
async function eventually(done, seconds = 2) {
  for (let i = 0; i < seconds * 20; i++) {
    if (await done()) return true;
    await sleep(50);
  }
  return false;
}

// The promise's value, or `otherwise` when it has not come within `ms`.
function within(promise, ms, otherwise) {
  return Promise.race([promise, new Promise((resolve) => setTimeout(resolve, ms, otherwise).unref())]);
}

// Every one of the processes has ended (a zombie has: its parent may be
// gone, and nobody may reap it).
async function gone(processes) {
  const ended = (p) => !fs.existsSync(`/proc/${p}/stat`) || /\) Z /.test(fs.readFileSync(`/proc/${p}/stat`, 'utf8'));
  return eventually(() => processes.every(ended));
}

// The process of worker `index`, the latest started.
function workerPid(server, index) {
  const started = [...server.log().matchAll(new RegExp(`worker ${index} is process (\\d+)`, 'g'))];
  return Number(started[started.length - 1][1]);
}

// How many times the server has logged the text.
function times(server, text) {
  return server.log().split(text).length - 1;
}

test('new parties go to both workers, and every join reaches the party its code names', async (t) => {
  const server = await startServer(t);
  const parties = [];
  for (let i = 0; i < 4; i++) parties.push(await party(server, 2)); // the guest joins by the host's code
  assert.deepStrictEqual(parties.map(([host]) => worker(host.code)).sort(), [0, 0, 1, 1]);
  const a = parties.find(([host]) => worker(host.code) === 0);
  const b = parties.find(([host]) => worker(host.code) === 1);
  const lower = await enter(server, b[0].code.toLowerCase(), 'LOWER'); // codes are upper-cased here too
  while ((await b[0].text('room')).members.length < 3);
  await startMatch(a);
  await startMatch([...b, lower]);
  a[1].send(input(2, FIRST));
  b[1].send(input(2, FIRST, 3));
  assert.deepStrictEqual(await a[0].binary(), input(2, FIRST));
  assert.deepStrictEqual(await b[0].binary(), input(2, FIRST, 3));
  assert.strictEqual(await a[0].binary(100), null);
  for (const code of ['A0000', 'B0000', 'AB', '%41BCDE']) { // unknown codes of each worker, and no codes
    assert.deepStrictEqual(await new Client(server.url(code)).text('error'), NO_PARTY);
  }
});

test('the limits count the connections of every worker, and a closed one frees its place', async (t) => {
  const server = await startServer(t, ['--max-connections', '4', '--max-connections-per-address', '2']);
  const mine = [await enter(server, null, 'A'), await enter(server, null, 'A')];
  assert.notStrictEqual(worker(mine[0].code), worker(mine[1].code));
  assert.strictEqual(await answer(server.url()), 'cut'); // a third from one address
  await enter(server, mine[0].code, 'B', '127.0.0.2');
  await enter(server, mine[1].code, 'C', '127.0.0.3');
  assert.strictEqual(await answer(server.url(), '127.0.0.4'), 503); // a fifth in all
  mine[0].ws.close();
  await mine[0].closed;
  // The worker's report of a close the client began may reach the primary a moment after the client sees it.
  assert.ok(await eventually(async () => (await answer(server.url())) === 'open'), 'the closed one still counts');
  assert.strictEqual(await answer(server.url(), '127.0.0.4'), 503); // and the new one counts

  const processes = serverProcesses(server.pid); // workers of a primary that is gone stop too
  process.kill(server.pid, 'SIGKILL');
  assert.ok(await gone(processes));
});

test('a worker that dies is started again without its parties, and a stopped server stops its workers', async (t) => {
  const server = await startServer(t, ['--verbose'], true);
  const [lost, kept] = [await party(server, 2), await party(server, 2)];
  const dead = worker(lost[0].code);
  assert.notStrictEqual(dead, worker(kept[0].code));
  process.kill(workerPid(server, dead), 'SIGKILL');
  for (const m of lost) assert.strictEqual(await m.closed, 1006);
  assert.ok(await pingPong(kept[1]));
  assert.deepStrictEqual(await new Client(server.url(lost[0].code)).text('error'), NO_PARTY);
  assert.ok(await eventually(() => times(server, `worker ${dead} is ready`) === 2));
  const codes = [];
  for (let i = 0; i < 3; i++) codes.push((await party(server, 2))[0].code);
  assert.ok(codes.some((code) => worker(code) === dead), `no party on the new worker: ${codes}`);
  assert.match(server.log(), new RegExp(`worker ${dead} ended \\(SIGKILL\\); the parties it held are lost`));

  const processes = serverProcesses(server.pid);
  process.kill(server.pid, 'SIGTERM');
  assert.strictEqual(await server.exited, 0);
  assert.ok(await gone(processes));
});

// Kills the worker process after the test if it is still one in the
// state (a letter of /proc's), and its number has not gone to another
// process since: a worker left behind holds the test's standard error open.
function killAfter(t, pid, state) {
  t.after(() => {
    try {
      if (new RegExp(`\\) ${state} `).test(fs.readFileSync(`/proc/${pid}/stat`, 'utf8')) &&
          fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes(path.join(__dirname, '..', 'worker.js'))) {
        process.kill(pid, 'SIGKILL');
      }
    } catch (e) { // gone
    }
  });
}

// Stops worker `index` (SIGSTOP); it is killed after the test unless the
// server ended it.
function stopWorker(t, server, index) {
  const pid = workerPid(server, index);
  killAfter(t, pid, 'T');
  process.kill(pid, 'SIGSTOP');
}

// A worker that hangs must not take a share of the new connections, nor keep
// the places of the ones it holds.
test('a worker that stops answering gets no new connections, and is ended and started again', async (t) => {
  const server = await startServer(t, ['--verbose', '--max-connections-per-address', '3'], true);
  const stuck = await enter(server, null, 'S', '127.0.0.2');
  const kept = await enter(server, null, 'K', '127.0.0.3');
  const dead = worker(stuck.code);
  assert.notStrictEqual(dead, worker(kept.code));
  const others = [await enter(server, stuck.code, 'S1', '127.0.0.2'), await enter(server, stuck.code, 'S2', '127.0.0.2')];
  stopWorker(t, server, dead);
  assert.ok(await eventually(() => new RegExp(`worker ${dead} has not answered for 1 s:`).test(server.log()), 10),
            'the silent worker was not noticed');
  const fresh = [];
  for (let i = 0; i < 3; i++) fresh.push(await enter(server, null, `N${i}`, '127.0.0.4'));
  assert.deepStrictEqual(fresh.map((c) => worker(c.code)), [1 - dead, 1 - dead, 1 - dead]);
  assert.strictEqual(await answer(server.url(), '127.0.0.2'), 'cut'); // its three places are taken yet

  for (const m of [stuck, ...others]) assert.strictEqual(await m.closed, 1006);
  assert.ok(await eventually(() => new RegExp(`worker ${dead} has not answered for 5 s and is ended`).test(server.log())));
  // The primary may learn of the end a moment after the clients.
  assert.ok(await eventually(async () => (await answer(server.url(), '127.0.0.2')) === 'open'),
            'the hung worker\'s places are still taken');
  assert.ok(await eventually(() => times(server, `worker ${dead} is process`) === 2, 10));
  assert.ok(await pingPong(kept));
});

// The TCP connections of the server's port that the process holds, other
// than its listening socket.
function connectionsHeld(pid, port) {
  const inodes = new Set();
  for (const fd of fs.readdirSync(`/proc/${pid}/fd`)) {
    try {
      const socket = /^socket:\[(\d+)\]$/.exec(fs.readlinkSync(`/proc/${pid}/fd/${fd}`));
      if (socket) inodes.add(socket[1]);
    } catch (e) { // closed meanwhile
    }
  }
  const local = `:${port.toString(16).toUpperCase().padStart(4, '0')}`;
  const rows = ['tcp', 'tcp6'].flatMap((table) => fs.readFileSync(`/proc/${pid}/net/${table}`, 'utf8').split('\n').slice(1));
  return rows.map((row) => row.trim().split(/\s+/))
    .filter((f) => f.length > 9 && f[1].endsWith(local) && f[3] !== '0A' && inodes.has(f[9])).length;
}

// A connection the primary has handed to a worker lives, until the worker
// takes it, only in the primary: when the worker never does, the primary
// must close it.
test('a connection handed to a worker that stops is closed when the worker is ended, and the primary keeps none', async (t) => {
  const server = await startServer(t, ['--verbose'], true);
  const host = await enter(server, null, 'H');
  const dead = worker(host.code);
  assert.ok(await eventually(() => connectionsHeld(server.pid, server.port) === 0), 'the primary kept a taken connection');
  // A join to its party, all but the request's last line first, so that the
  // rest reaches the primary right after the worker stops, long before its
  // silence is noticed: the primary hands it over.
  const socket = net.connect(server.port, '127.0.0.1');
  socket.on('error', () => {});
  await new Promise((resolve) => socket.on('connect', resolve));
  socket.write(UPGRADE_REQUEST.replace('/new', `/${host.code}`).slice(0, -2));
  let seen = '';
  socket.on('data', (data) => { seen += data.toString('latin1'); });
  const closed = new Promise((resolve) => socket.on('close', resolve));
  await sleep(50);
  stopWorker(t, server, dead);
  socket.write('\r\n');
  assert.ok(await eventually(() => new RegExp(`worker ${dead} has not answered for 5 s and is ended`).test(server.log()), 10));
  const left = await within(closed.then(() => 'closed'), 1000, 'open');
  assert.strictEqual(left, 'closed', 'the handed connection outlived its worker');
  assert.strictEqual(seen, '', 'the join went to another worker, not to the stopped one');
  assert.strictEqual(await host.closed, 1006);
  assert.ok(await eventually(() => connectionsHeld(server.pid, server.port) === 0), 'the primary still holds a connection');
});

// On a busy machine a worker may need long to start. Until it says it is
// ready it is held to a bound of its own, not to its silence, and gets no
// connections; the server listens once every worker is ready.
test('a worker slow to start is ended only past the bound for a start, gets no connections before it is ready, ' +
     'and ends with its primary', async (t) => {
  const hold = path.join(os.tmpdir(), `korvalo-party-hold-${process.pid}`);
  fs.writeFileSync(hold, '');
  t.after(() => fs.rmSync(hold, { force: true }));
  const launchedAt = Date.now();
  const server = launchServer(t, ['--verbose', '--hold-start', hold, '--start-timeout-ms', '7000'], true);
  let listened = false;
  server.listening.then(() => { listened = true; });
  assert.ok(await eventually(() => /is ended/.test(server.log()), 15), 'a worker held at its start was never ended');
  const endedAfter = Date.now() - launchedAt;
  assert.doesNotMatch(server.log(), /has not answered/);
  assert.ok(endedAfter >= 7000, `ended after ${endedAfter} ms`);
  assert.ok(await eventually(() => [0, 1].every((i) =>
    new RegExp(`worker ${i} did not start within 7 s and is ended`).test(server.log()))));
  assert.ok(!listened, 'the server listened before its workers were ready');
  fs.rmSync(hold); // the workers started again are quick
  server.port = await within(server.listening, 10000, 0);
  assert.ok(server.port, 'the server did not listen once its workers were started again');
  assert.deepStrictEqual([times(server, 'worker 0 is process'), times(server, 'worker 1 is process')], [2, 2]);
  const first = [await enter(server), await enter(server)];
  assert.deepStrictEqual(first.map((c) => worker(c.code)).sort(), [0, 1]);

  // A worker started again while the server runs, and slow, gets none of
  // the new parties meanwhile.
  fs.writeFileSync(hold, '');
  const slow = worker(first[0].code);
  process.kill(workerPid(server, slow), 'SIGKILL');
  assert.ok(await eventually(() => times(server, `worker ${slow} is process`) === 3, 5));
  for (let i = 0; i < 3; i++) assert.strictEqual(worker((await enter(server)).code), 1 - slow);

  // A primary gone while its worker starts leaves no worker behind.
  const starting = workerPid(server, slow);
  killAfter(t, starting, '[RS]');
  await sleep(1000); // well into its start
  process.kill(server.pid, 'SIGKILL');
  await server.exited;
  await sleep(500); // for the worker to see it
  fs.rmSync(hold);
  assert.ok(await gone([starting]), 'a worker whose primary went during its start lives on');
});
