#!/usr/bin/env node
'use strict';
// Korvalo's party server: one WebSocket endpoint, "/api/party/new" to create
// a party and "/api/party/CODE" to join one, speaking the lobby protocol of
// lobby.js.
//
//   node server.js [--host 127.0.0.1] [--port 8787] [--cert FILE --key FILE]
//
// It prints "listening PORT" on standard output once it accepts connections
// (useful with --port 0, which picks a free port), and stops on SIGTERM or
// SIGINT.
//
// Any client may be hostile, so every connection is held to limits (the
// defaults suit real play; the tests lower them; see limits.js):
//   --max-connections N        WebSocket connections at once; more get HTTP 503
//   --max-connections-per-address N
//                              connections at once from one address (an IPv6
//                              address counts by its /64); more are refused
//   --upgrade-timeout-ms N     a connection whose WebSocket upgrade (TLS and
//                              HTTP request included) is not done by then is cut
//   --hello-timeout-ms N       a connection that has not said hello by then is cut
//   --max-unsent-bytes N       a connection whose unsent data passes this is cut
//                              (a client that does not read)
//   --max-messages-per-second N, --max-bytes-per-second N
//                              what a connection may send on average; bursts
//                              of two seconds' worth pass, more is cut (what
//                              arrived while the server itself stood still
//                              is not held against the client)
//   --ping-ms N                ping every connection every N ms (0: never); one
//                              that stops answering with the pings' payloads is cut
// Test switches, off by default:
//   --http-status N        answer every upgrade request with HTTP status N
//   --fragment N           send every message in fragments of N bytes
//   --abrupt-close-after N cut a connection without a close frame once it
//                          has sent N messages
//   --verbose              log connections on standard error

const fs = require('fs');
const http = require('http');
const https = require('https');
const crypto = require('crypto');
const { WebSocketServer } = require('ws');
const { Lobby } = require('./lobby');
const { BURST_SECONDS, PauseClock, makeBudget, ConnectionGuard } = require('./limits');

// The largest message the game sends is a resync of about 6.4 KB.
const MAX_MESSAGE_BYTES = 64 * 1024;
const PARTY_PATH = /^\/api\/party\/([^/?#]+)$/;
// Sockets still in their HTTP request on top of the WebSocket limit, so that
// refusals can be answered with 503.
const UPGRADE_SLACK = 64;
const HTTP_HEADERS_TIMEOUT_MS = 10000;

function usage(problem) {
  process.stderr.write(`party-server: ${problem}\n`);
  process.stderr.write('usage: node server.js [--host H] [--port N] [--cert F --key F] [--max-connections N] ' +
                       '[--max-connections-per-address N] [--upgrade-timeout-ms N] [--hello-timeout-ms N] [--max-unsent-bytes N] [--max-messages-per-second N] ' +
                       '[--max-bytes-per-second N] [--ping-ms N] [--http-status N] [--fragment N] ' +
                       '[--abrupt-close-after N] [--verbose]\n');
  process.exit(2);
}

function readOptions(argv) {
  const options = { host: '127.0.0.1', port: 8787, cert: null, key: null, maxConnections: 2000,
                    maxConnectionsPerAddress: 16, upgradeTimeoutMs: 5000, helloTimeoutMs: 5000,
                    maxUnsentBytes: 4 << 20, maxMessagesPerSecond: 120, maxBytesPerSecond: 64 * 1024,
                    pingMs: 10000, httpStatus: 0, fragment: 0, abruptAfter: 0, verbose: false };
  const numbers = { '--port': 'port', '--max-connections': 'maxConnections',
                    '--max-connections-per-address': 'maxConnectionsPerAddress',
                    '--upgrade-timeout-ms': 'upgradeTimeoutMs', '--hello-timeout-ms': 'helloTimeoutMs',
                    '--max-unsent-bytes': 'maxUnsentBytes', '--max-messages-per-second': 'maxMessagesPerSecond',
                    '--max-bytes-per-second': 'maxBytesPerSecond', '--ping-ms': 'pingMs',
                    '--http-status': 'httpStatus', '--fragment': 'fragment', '--abrupt-close-after': 'abruptAfter' };
  const texts = { '--host': 'host', '--cert': 'cert', '--key': 'key' };
  for (let i = 0; i < argv.length; i++) {
    const name = argv[i];
    if (name === '--verbose') {
      options.verbose = true;
      continue;
    }
    if (!(name in numbers) && !(name in texts)) usage(`unknown option ${name}`);
    if (i + 1 >= argv.length) usage(`${name} needs a value`);
    const value = argv[++i];
    if (name in texts) {
      options[texts[name]] = value;
      continue;
    }
    const number = Number(value);
    if (!Number.isInteger(number) || number < 0) usage(`${name} needs a whole number, not ${value}`);
    options[numbers[name]] = number;
  }
  if (options.port > 65535) usage('--port is at most 65535');
  if (Boolean(options.cert) !== Boolean(options.key)) usage('--cert and --key go together');
  if (options.httpStatus && (options.httpStatus < 100 || options.httpStatus > 999)) usage('--http-status is 100..999');
  for (const name of ['maxConnections', 'maxConnectionsPerAddress', 'upgradeTimeoutMs', 'helloTimeoutMs',
                      'maxUnsentBytes', 'maxMessagesPerSecond']) {
    if (options[name] < 1) usage(`every limit is at least 1`);
  }
  if (options.maxBytesPerSecond * BURST_SECONDS < MAX_MESSAGE_BYTES) {
    usage(`--max-bytes-per-second is at least ${MAX_MESSAGE_BYTES / BURST_SECONDS}, or the largest message cannot pass`);
  }
  return options;
}

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

function main() {
  const options = readOptions(process.argv.slice(2));
  const log = options.verbose ? (line) => process.stderr.write(`party-server: ${line}\n`) : () => {};
  const lobby = new Lobby(log);
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
  // Every TCP connection, before TLS or HTTP.
  server.on('connection', (socket) => guard.admit(socket));

  server.on('request', (req, res) => {
    res.writeHead(426, { 'Content-Type': 'text/plain', Upgrade: 'websocket' });
    res.end('This is a party server: connect with a WebSocket.\n');
  });

  server.on('upgrade', (req, socket, head) => {
    socket.on('error', () => {});
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
  server.listen(options.port, options.host, () => {
    process.stdout.write(`listening ${server.address().port}\n`);
  });
  server.on('error', (e) => {
    process.stderr.write(`party-server: ${e.message}\n`);
    process.exit(1);
  });

  const stop = () => {
    for (const ws of wss.clients) ws.terminate();
    server.close(() => process.exit(0));
    setTimeout(() => process.exit(0), 1000).unref();
  };
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

main();
