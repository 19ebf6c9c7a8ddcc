'use strict';
// The party service of one process: an HTTP server whose WebSocket upgrades
// on "/api/party/..." become lobby members (lobby.js), with every
// connection held to the limits of the options (see server.js). The caller
// feeds it connections: its own listening socket's, or, in a worker,
// connections a primary accepted and handed over with the bytes it had
// already read of them (adopt).

const fs = require('fs');
const http = require('http');
const https = require('https');
const crypto = require('crypto');
const { WebSocketServer } = require('ws');
const { Lobby } = require('./lobby');
const { PauseClock, makeBudget, ConnectionGuard } = require('./limits');

// The largest message the game sends is a resync of about 6.4 KB.
const MAX_MESSAGE_BYTES = 64 * 1024;
const PARTY_PATH = /^\/api\/party\/([^/?#]+)$/;
// Sockets still in their HTTP request on top of the WebSocket limit, so that
// refusals can be answered with 503.
const UPGRADE_SLACK = 64;
const HTTP_HEADERS_TIMEOUT_MS = 10000;
// How long a stopping server waits for its clients to answer the close
// frame: one that never does must not hold the stop for long.
const STOP_GRACE_MS = 1000;

// Sends one message, split into fragments when the switch asks for it. A
// client that does not read would make us hold its data for ever: past the
// bound it is cut.
function sendMessage(ws, data, binary, options) {
  if (ws.readyState !== ws.OPEN) return;
  const bytes = Buffer.isBuffer(data) ? data : Buffer.from(data, 'utf8');
  const fragment = options.fragment;
  if (!fragment || bytes.length <= fragment) {
    ws.send(bytes, { binary, fin: true });
  } else {
    for (let offset = 0; offset < bytes.length; offset += fragment) {
      const end = Math.min(offset + fragment, bytes.length);
      ws.send(bytes.subarray(offset, end), { binary, fin: end === bytes.length });
    }
  }
  cutIfNotReading(ws, options);
}

function cutIfNotReading(ws, options) {
  if (ws.bufferedAmount > options.maxUnsentBytes) ws.terminate();
}

function refuseUpgrade(socket, status) {
  const body = `${status} ${http.STATUS_CODES[status] || 'Refused'}\n`;
  socket.end(`HTTP/1.1 ${status} ${http.STATUS_CODES[status] || 'Refused'}\r\n` +
             `Content-Type: text/plain\r\nContent-Length: ${Buffer.byteLength(body)}\r\nConnection: close\r\n\r\n${body}`);
}

// Keeps a connection honest about pings: each ping carries a fresh payload,
// only a pong echoing one of them counts, and a connection with no such pong
// for PONG_GRACE_INTERVALS intervals (and at least MIN_PONG_GRACE_MS) is cut.
const PONG_GRACE_INTERVALS = 10;
const MIN_PONG_GRACE_MS = 250;
const MAX_OUTSTANDING_PINGS = 256;

function startPinging(ws, options) {
  const intervalMs = options.pingMs;
  const grace = Math.max(intervalMs * PONG_GRACE_INTERVALS, MIN_PONG_GRACE_MS);
  const outstanding = new Set();
  let lastAnswer = Date.now();
  ws.on('pong', (data) => {
    const key = data.toString('hex');
    if (!outstanding.delete(key)) return;
    lastAnswer = Date.now();
  });
  const timer = setInterval(() => {
    if (Date.now() - lastAnswer > grace) {
      ws.terminate();
      return;
    }
    const payload = crypto.randomBytes(8);
    outstanding.add(payload.toString('hex'));
    if (outstanding.size > MAX_OUTSTANDING_PINGS) outstanding.delete(outstanding.values().next().value);
    ws.ping(payload);
    cutIfNotReading(ws, options);
  }, intervalMs);
  ws.on('close', () => clearInterval(timer));
}

// The service for the options; `worker` ({ worker, workers }) when this
// process is one of several. Returns { server, guard, adopt, stop }: the
// caller listens on `server` (guarding each connection with
// `guard.admit`) or passes handed-over sockets to adopt(socket, head,
// deadlineMs); stop() closes every connection as going away and ends the
// process.
function createService(options, log, worker = { worker: 0, workers: 1 }) {
  const lobby = new Lobby(log, worker);
  const pauses = new PauseClock();
  pauses.startHeartbeat();
  const guard = new ConnectionGuard({ perAddress: options.maxConnectionsPerAddress,
                                      upgradeTimeoutMs: options.upgradeTimeoutMs }, log);
  const server = options.cert
    ? https.createServer({ cert: fs.readFileSync(options.cert), key: fs.readFileSync(options.key) })
    : http.createServer();
  server.maxConnections = options.maxConnections + UPGRADE_SLACK;
  server.headersTimeout = HTTP_HEADERS_TIMEOUT_MS;
  server.requestTimeout = HTTP_HEADERS_TIMEOUT_MS;
  const wss = new WebSocketServer({ noServer: true, maxPayload: MAX_MESSAGE_BYTES, perMessageDeflate: false });
  let connections = 0;

  // A connection is counted by its first request (the primary of several
  // workers sees no other), so one that asked for anything but an upgrade
  // is closed after the answer and never becomes a WebSocket, not even by a
  // request sent right behind the first.
  const plainConnections = new WeakSet();
  server.on('request', (req, res) => {
    plainConnections.add(req.socket);
    res.writeHead(426, { 'Content-Type': 'text/plain', Upgrade: 'websocket', Connection: 'close' });
    res.end('This is a party server: connect with a WebSocket.\n');
  });

  server.on('upgrade', (req, socket, head) => {
    socket.on('error', () => {});
    if (plainConnections.has(socket)) {
      socket.destroy();
      return;
    }
    if (options.httpStatus) {
      refuseUpgrade(socket, options.httpStatus);
      return;
    }
    const match = PARTY_PATH.exec(req.url);
    if (!match) {
      refuseUpgrade(socket, 404);
      return;
    }
    if (connections >= options.maxConnections) {
      refuseUpgrade(socket, 503);
      return;
    }
    const code = match[1] === 'new' ? null : match[1].toUpperCase();
    wss.handleUpgrade(req, socket, head, (ws) => {
      guard.upgraded(socket);
      connect(ws, code);
    });
  });

  // One message must never take the server down for everybody else.
  function guarded(what, action) {
    try {
      action();
    } catch (e) {
      process.stderr.write(`party-server: ${what} failed: ${e.stack}\n`);
    }
  }

  // Counted only once upgraded (the upgrade completes in the same turn as the
  // check above): a request the upgrade refuses never comes here.
  function connect(ws, code) {
    connections++;
    const link = {
      sendText: (text) => sendMessage(ws, text, false, options),
      sendBinary: (data) => sendMessage(ws, data, true, options),
      close: () => ws.close(1000),
    };
    const spendMessage = makeBudget(options.maxMessagesPerSecond, pauses);
    const spendBytes = makeBudget(options.maxBytesPerSecond, pauses);
    // Control frames count too: ws answers pings on its own. Messages read
    // in the same go as the one that overdrew are not counted again.
    let cut = false;
    const withinBudget = (bytes) => {
      if (cut) return false;
      if (spendMessage(1) && spendBytes(bytes)) return true;
      cut = true;
      log('a connection sent too much and was cut');
      ws.terminate();
      return false;
    };
    let member = null;
    let helloTimer = null;
    ws.on('error', (e) => log(`connection error: ${e.message}`));
    ws.on('close', () => {
      connections--;
      clearTimeout(helloTimer);
      if (member) guarded('leaving', () => lobby.detach(member));
    });
    guarded('joining', () => { member = lobby.connect(code, link); });
    if (!member) return;
    helloTimer = setTimeout(() => {
      if (!member.party) ws.terminate();
    }, options.helloTimeoutMs);
    let received = 0;
    ws.on('message', (data, isBinary) => {
      if (!withinBudget(data.length)) return;
      received++;
      if (options.abruptAfter && received >= options.abruptAfter) {
        ws.terminate();
        return;
      }
      if (isBinary) guarded('a binary message', () => lobby.handleBinary(member, data));
      else guarded('a text message', () => lobby.handleText(member, data.toString('utf8')));
    });
    ws.on('ping', (data) => {
      if (withinBudget(data.length)) cutIfNotReading(ws, options);
    });
    ws.on('pong', (data) => withinBudget(data.length));
    if (options.pingMs) startPinging(ws, options);
  }

  server.on('tlsClientError', (e) => log(`TLS handshake failed: ${e.message}`));

  // A connection the primary read the request head of: the HTTP server
  // takes it up with those bytes in front of whatever follows.
  function adopt(socket, head, deadlineMs) {
    socket.on('error', () => {});
    guard.expectUpgrade(socket, deadlineMs);
    server.emit('connection', socket);
    socket.unshift(head);
  }

  let stopping = false;
  function stop() {
    if (stopping) return;
    stopping = true;
    server.close();
    const clients = [...wss.clients];
    let left = clients.length;
    if (left === 0) process.exit(0);
    for (const ws of clients) {
      ws.once('close', () => {
        if (--left === 0) process.exit(0);
      });
      ws.close(1001);
    }
    setTimeout(() => process.exit(0), STOP_GRACE_MS).unref();
  }

  return { server, guard, adopt, stop };
}

module.exports = { MAX_MESSAGE_BYTES, PARTY_PATH, UPGRADE_SLACK, createService, refuseUpgrade };
