#!/usr/bin/env node
'use strict';
// Korvalo's party server for tests and local play: one WebSocket endpoint,
// "/api/party/new" to create a party and "/api/party/CODE" to join one,
// speaking the lobby protocol of lobby.js.
//
//   node server.js [--host 127.0.0.1] [--port 8787] [--cert FILE --key FILE]
//
// It prints "listening PORT" on standard output once it accepts connections
// (useful with --port 0, which picks a free port), and stops on SIGTERM or
// SIGINT. Test switches, off by default:
//   --http-status N        answer every upgrade request with HTTP status N
//   --fragment N           send every message in fragments of N bytes
//   --ping-ms N            ping every connection every N ms; one that stops
//                          answering with the pings' payloads is cut
//   --abrupt-close-after N cut a connection without a close frame once it
//                          has sent N messages
//   --verbose              log connections on standard error

const fs = require('fs');
const http = require('http');
const https = require('https');
const crypto = require('crypto');
const { WebSocketServer } = require('ws');
const { Lobby } = require('./lobby');

const MAX_MESSAGE_BYTES = 1 << 20;
const PARTY_PATH = /^\/api\/party\/([^/?#]+)$/;

function usage(problem) {
  process.stderr.write(`party-server: ${problem}\n`);
  process.stderr.write('usage: node server.js [--host H] [--port N] [--cert F --key F] [--http-status N] ' +
                       '[--fragment N] [--ping-ms N] [--abrupt-close-after N] [--verbose]\n');
  process.exit(2);
}

function readOptions(argv) {
  const options = { host: '127.0.0.1', port: 8787, cert: null, key: null, httpStatus: 0, fragment: 0, pingMs: 0,
                    abruptAfter: 0, verbose: false };
  const numbers = { '--port': 'port', '--http-status': 'httpStatus', '--fragment': 'fragment', '--ping-ms': 'pingMs',
                    '--abrupt-close-after': 'abruptAfter' };
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
  return options;
}

// Sends one message, split into fragments when the switch asks for it.
function sendMessage(ws, data, binary, fragment) {
  if (ws.readyState !== ws.OPEN) return;
  const bytes = Buffer.isBuffer(data) ? data : Buffer.from(data, 'utf8');
  if (!fragment || bytes.length <= fragment) {
    ws.send(bytes, { binary, fin: true });
    return;
  }
  for (let offset = 0; offset < bytes.length; offset += fragment) {
    const end = Math.min(offset + fragment, bytes.length);
    ws.send(bytes.subarray(offset, end), { binary, fin: end === bytes.length });
  }
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

function startPinging(ws, intervalMs) {
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
  }, intervalMs);
  ws.on('close', () => clearInterval(timer));
}

function main() {
  const options = readOptions(process.argv.slice(2));
  const log = options.verbose ? (line) => process.stderr.write(`party-server: ${line}\n`) : () => {};
  const lobby = new Lobby(log);
  const server = options.cert
    ? https.createServer({ cert: fs.readFileSync(options.cert), key: fs.readFileSync(options.key) })
    : http.createServer();
  const wss = new WebSocketServer({ noServer: true, maxPayload: MAX_MESSAGE_BYTES, perMessageDeflate: false });

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
    const code = match[1] === 'new' ? null : match[1].toUpperCase();
    wss.handleUpgrade(req, socket, head, (ws) => connect(ws, code));
  });

  function connect(ws, code) {
    const link = {
      sendText: (text) => sendMessage(ws, text, false, options.fragment),
      sendBinary: (data) => sendMessage(ws, data, true, options.fragment),
      close: () => ws.close(1000),
    };
    ws.on('error', (e) => log(`connection error: ${e.message}`));
    const member = lobby.attach(code, link);
    if (!member) return;
    let received = 0;
    ws.on('message', (data, isBinary) => {
      received++;
      if (options.abruptAfter && received >= options.abruptAfter) {
        ws.terminate();
        return;
      }
      if (isBinary) lobby.handleBinary(member, data);
      else lobby.handleText(member, data.toString('utf8'));
    });
    ws.on('close', () => lobby.detach(member));
    if (options.pingMs) startPinging(ws, options.pingMs);
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
