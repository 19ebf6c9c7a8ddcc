'use strict';
// The primary of a party server started with --workers N. It runs N worker
// processes (worker.js), accepts every TCP connection itself, reads its HTTP
// request head and hands the connection, with the bytes read, to a worker:
// a join ("/api/party/CODE") to the worker the code names (lobby.js
// workerOfCode), anything else (a new party, an unknown or malformed code, a
// wrong path) to the answering worker with the fewest connections, which
// answers as a lone server would.
//
// Only the primary sees every connection, so it holds the limits on
// connections at once (per address and in all) and the upgrade deadline up
// to the hand-over; the worker gets what is left of the deadline and reports
// each handed connection's close, so that the counts stay right.
//
// Each worker takes one handed connection at a time: the next waits here,
// still read into its own buffer, until the worker says it has the last one,
// so that no byte of it is read where nobody will see it.
//
// A worker says it is alive several times a second once it is ready. One
// silent for a second gets no new connections (a join to one of its parties
// waits for it, under the deadline), and one silent for five is taken for
// hung and ended, which frees the places of its connections. One still
// starting gets no connections, and has a minute to say it is ready. A
// worker that ends is started again after a second, and the parties it held
// are lost. SIGTERM or SIGINT stop the workers, then the primary.

const net = require('net');
const path = require('path');
const { fork } = require('child_process');
const { ConnectionGuard, whenDone } = require('./limits');
const { workerOfCode } = require('./lobby');
const { PARTY_PATH, UPGRADE_SLACK, refuseUpgrade } = require('./service');

const WORKER = path.join(__dirname, 'worker.js');
// Node's HTTP server answers a longer request head with 431 too.
const MAX_HEAD_BYTES = 16 * 1024;
const HEAD_END = '\r\n\r\n';
const REQUEST_LINE = /^[A-Z]+ (\S+) HTTP\/1\.[01]\r\n/;
// A worker that dies at once must not be restarted in a tight loop.
const RESTART_DELAY_MS = 1000;
const STOP_GRACE_MS = 2000;
// How often a worker says it is alive, and how often the primary looks.
const HEARTBEAT_MS = 250;
// Silence, counted in the primary's own running time, after which a worker
// gets no new connections, and after which it is ended as hung.
const ANSWER_MS = 1000;
const HUNG_MS = 5000;
// How long a worker may take to say it is ready, counted the same way: its
// silence is judged only from then on, since a busy machine may take far
// longer than HUNG_MS to load it. The test switch --start-timeout-ms sets it.
const START_MS = 60000;

// Takes what the socket has read and not yet passed on, then stops its handle
// reading from the kernel: what it read after the hand-over would be dropped
// with it (a client's hello, once the worker has answered its upgrade). A
// paused socket goes on reading into its buffer, and Node has no public call
// to stop the handle. The hand-over must follow in the same turn of the
// event loop, or the socket starts reading again.
function takeAndStopReading(socket) {
  const chunks = [];
  for (let chunk = socket.read(); chunk !== null; chunk = socket.read()) chunks.push(chunk);
  socket.pause();
  if (socket._handle && socket._handle.reading) {
    socket._handle.reading = false;
    socket._handle.readStop();
  }
  return chunks;
}

function runPrimary(options, args) {
  const log = options.verbose ? (line) => process.stderr.write(`party-server: ${line}\n`) : () => {};
  const guard = new ConnectionGuard({ perAddress: options.maxConnectionsPerAddress,
                                      upgradeTimeoutMs: options.upgradeTimeoutMs }, log);
  const workers = []; // { child, index, open, ready, waiting, sending, startingMs, silentMs, sendingMs, quiet, ended }
  // id -> { id, socket, key, head, target, party, acceptedAt, worker, sent }: from the
  // choice of its worker on, waiting for the worker or handed to it
  const handed = new Map();
  let nextId = 1;
  let held = 0; // connections not handed over: their request head still coming, or refused
  let partyConnections = 0; // handed connections on a party path
  let turn = 0;
  let listening = false;
  let stopping = false;

  const alive = (w) => !w.ended && w.child.exitCode === null && w.child.signalCode === null && w.child.connected;
  // A worker still starting holds no party, and might hold a connection
  // handed to it for as long as its start may take.
  const started = (w) => alive(w) && w.ready;
  const answering = (w) => started(w) && !w.quiet;

  function startWorker(index) {
    const child = fork(WORKER, [String(index), ...args]);
    // waiting: connections for it that wait for the one it is being handed
    // (sending); startingMs: since it was started, until ready; silentMs:
    // since it was last heard; sendingMs: since it was handed `sending`;
    // quiet: silent too long for new connections
    const w = { child, index, open: 0, ready: false, waiting: [], sending: null, startingMs: 0, silentMs: 0,
                sendingMs: 0, quiet: false, ended: false };
    workers[index] = w;
    log(`worker ${index} is process ${child.pid}`);
    child.on('error', (e) => process.stderr.write(`party-server: worker ${index}: ${e.message}\n`));
    child.on('message', (message) => {
      if (message.t === 'closed') closed(message.id);
      if (message.t === 'adopted') adopted(w, message.id);
      if (message.t === 'ready' && !w.ready) {
        log(`worker ${index} is ready`);
        w.ready = true;
        listenOnceReady();
      }
      heard(w);
    });
    child.on('exit', (code, signal) => {
      // A connection it had not yet taken is left only in our copy.
      if (w.sending) w.sending.socket.destroy();
      w.sending = null;
      for (const [id, c] of handed) if (c.worker === w && c.sent) closed(id);
      placeAgain(w);
      if (stopping) return;
      process.stderr.write(`party-server: worker ${index} ended (${signal || `exit status ${code}`}); ` +
                           'the parties it held are lost, a new worker starts\n');
      setTimeout(() => {
        if (!stopping) startWorker(index);
      }, RESTART_DELAY_MS);
    });
  }

  function listenOnceReady() {
    if (listening || !workers.every((w) => w.ready)) return;
    listening = true;
    server.listen(options.port, options.host, () => {
      process.stdout.write(`listening ${server.address().port}\n`);
    });
  }

  // The worker for a request target: where the code lives while it has
  // started (the party can be nowhere else), or the answering worker with the
  // fewest connections (ties taken in turn); null when there is none.
  function pick(target) {
    const match = PARTY_PATH.exec(target);
    const home = match ? workers[workerOfCode(match[1].toUpperCase(), workers.length)] : null;
    if (home && started(home)) return home;
    let best = null;
    for (let k = 0; k < workers.length; k++) {
      const w = workers[(turn + k) % workers.length];
      if (answering(w) && (!best || w.open < best.open)) best = w;
    }
    turn = (turn + 1) % workers.length;
    return best;
  }

  function accept(socket) {
    socket.on('error', () => {});
    if (held + handed.size >= options.maxConnections + UPGRADE_SLACK) {
      socket.destroy();
      return;
    }
    const key = guard.take(socket.remoteAddress);
    if (key === null) {
      socket.destroy();
      return;
    }
    const acceptedAt = Date.now();
    guard.expectUpgrade(socket);
    held++;
    let passed = false;
    whenDone(socket, () => {
      if (passed) return;
      held--;
      guard.release(key);
    });
    let head = Buffer.alloc(0);
    const onData = (chunk) => {
      head = Buffer.concat([head, chunk]);
      const end = head.indexOf(HEAD_END);
      if (end < 0 && head.length <= MAX_HEAD_BYTES) return;
      socket.removeListener('data', onData);
      if (end < 0 || end > MAX_HEAD_BYTES) {
        refuseUpgrade(socket, 431);
        return;
      }
      passed = handOver(socket, key, head, acceptedAt);
      if (passed) held--;
    };
    socket.on('data', onData);
  }

  // Chooses the connection's worker and queues it there; false when it was
  // refused instead. Until it is handed over, what the client sends waits in
  // the socket's buffer (which stops reading once full) under the deadline.
  function handOver(socket, key, head, acceptedAt) {
    const line = REQUEST_LINE.exec(head.toString('latin1', 0, head.indexOf(HEAD_END) + 2));
    const target = line ? line[1] : '';
    const party = PARTY_PATH.test(target);
    const w = pick(target);
    if (!w || (party && partyConnections >= options.maxConnections)) {
      refuseUpgrade(socket, 503);
      return false;
    }
    socket.pause();
    const c = { id: nextId++, socket, key, head, target, party, acceptedAt, worker: null, sent: false };
    handed.set(c.id, c);
    if (party) partyConnections++;
    whenDone(socket, () => {
      if (!c.sent) closed(c.id);
    });
    queue(c, w);
    return true;
  }

  function queue(c, w) {
    c.worker = w;
    w.open++;
    w.waiting.push(c);
    sendNext(w);
  }

  // Hands the worker its next connection unless it is still taking one: with
  // a hand-over of its own still unacknowledged, Node would keep the socket
  // until a later turn, reading meanwhile what would then be lost.
  function sendNext(w) {
    if (w.sending || !answering(w) || w.waiting.length === 0) return;
    const c = w.waiting.shift();
    const { socket } = c;
    const bytes = Buffer.concat([c.head, ...takeAndStopReading(socket)]);
    guard.upgraded(socket); // the worker holds the connection to what is left of the deadline
    c.sent = true;
    w.sending = c;
    w.sendingMs = 0;
    const message = { t: 'connection', id: c.id, head: bytes.toString('base64'),
                      deadlineMs: Math.max(1, options.upgradeTimeoutMs - (Date.now() - c.acceptedAt)) };
    // We keep our copy of the connection until the worker says it has its
    // own: Node would keep it out of reach until the worker's acknowledgement,
    // and never close it if the worker stops or dies first.
    w.child.send(message, socket, { keepOpen: true }, (e) => {
      if (!e) return;
      closed(c.id);
      adopted(w, c.id);
    });
  }

  // The worker has the connection (or it could not be sent): our copy is
  // closed, which leaves the worker's open, and the next may go.
  function adopted(w, id) {
    if (!w.sending || w.sending.id !== id) return;
    w.sending.socket.destroy();
    w.sending = null;
    sendNext(w);
  }

  // The connections waiting for a worker that is gone or silent go to
  // another (joins to a silent one's parties stay), or are refused when there
  // is none.
  function placeAgain(w) {
    const waiting = w.waiting;
    w.waiting = [];
    for (const c of waiting) {
      w.open--;
      c.worker = null;
      const next = pick(c.target);
      if (next) {
        queue(c, next);
      } else {
        c.socket.resume();
        refuseUpgrade(c.socket, 503);
      }
    }
  }

  // Looks at every worker's silence, or at its start; a pause of the primary
  // itself counts for one look only, since then the whole server stood still
  // (a stopped or starved machine) and no worker is to blame.
  let lastLook = Date.now();
  function watch() {
    const now = Date.now();
    const step = Math.min(now - lastLook, 2 * HEARTBEAT_MS);
    lastLook = now;
    if (stopping) return;
    for (const w of workers) {
      if (!alive(w)) continue;
      if (!w.ready) {
        w.startingMs += step;
        if (w.startingMs >= options.startTimeoutMs) end(w, `did not start within ${options.startTimeoutMs / 1000} s`);
        continue;
      }
      w.silentMs += step;
      if (w.sending) w.sendingMs += step;
      const silence = Math.max(w.silentMs, w.sending ? w.sendingMs : 0);
      if (silence >= HUNG_MS) {
        end(w, `has not answered for ${HUNG_MS / 1000} s`);
      } else if (silence >= ANSWER_MS && !w.quiet) {
        w.quiet = true;
        log(`worker ${w.index} has not answered for ${ANSWER_MS / 1000} s: new connections go to the others`);
        placeAgain(w);
      }
    }
  }

  // A worker that says anything is alive; a quiet one gets connections again
  // unless it still sits on a hand-over.
  function heard(w) {
    w.silentMs = 0;
    if (!w.quiet || (w.sending && w.sendingMs >= ANSWER_MS)) return;
    w.quiet = false;
    log(`worker ${w.index} answers again`);
    sendNext(w);
  }

  // Its connections are cut with it, and their places freed when it ends.
  function end(w, why) {
    process.stderr.write(`party-server: worker ${w.index} ${why} and is ended\n`);
    w.ended = true;
    placeAgain(w);
    w.child.kill('SIGKILL');
  }

  function closed(id) {
    const c = handed.get(id);
    if (!c) return;
    handed.delete(id);
    if (c.worker) {
      c.worker.open--;
      const at = c.worker.waiting.indexOf(c);
      if (at >= 0) c.worker.waiting.splice(at, 1);
    }
    if (c.party) partyConnections--;
    guard.release(c.key);
  }

  function stop() {
    if (stopping) return;
    stopping = true;
    server.close();
    const live = workers.filter(alive);
    let left = live.length;
    if (left === 0) process.exit(0);
    for (const w of live) {
      w.child.once('exit', () => {
        if (--left === 0) process.exit(0);
      });
      w.child.kill('SIGTERM');
    }
    setTimeout(() => {
      for (const w of live) w.child.kill('SIGKILL');
      process.exit(0);
    }, STOP_GRACE_MS).unref();
  }

  const server = net.createServer(accept);
  server.on('error', (e) => {
    process.stderr.write(`party-server: ${e.message}\n`);
    process.exit(1); // the workers stop when their channel closes
  });
  for (let i = 0; i < options.workers; i++) startWorker(i);
  setInterval(watch, HEARTBEAT_MS);
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

module.exports = { HEARTBEAT_MS, START_MS, runPrimary };
