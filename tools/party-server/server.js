#!/usr/bin/env node
'use strict';
// Korvalo's party server: one WebSocket endpoint, "/api/party/new" to create
// a party and "/api/party/CODE" to join one, speaking the lobby protocol of
// lobby.js.
//
//   node server.js [--host 127.0.0.1] [--port 8787] [--cert FILE --key FILE]
//                  [--workers N]
//
// It prints "listening PORT" on standard output once it accepts connections
// (useful with --port 0, which picks a free port), and stops on SIGTERM or
// SIGINT.
//
// --workers N (1 by default) spreads the parties over N worker processes,
// one core each: a primary process accepts every connection, reads its
// request, and hands it to the worker that holds its party (see primary.js).
// TLS cannot be handed between processes, so with more than one worker it
// must end in a proxy in front.
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
//   --start-timeout-ms N   with --workers, a worker not ready by then is ended
//                          and started again (60000)
//   --hold-start FILE      with --workers, a worker does not start while FILE
//                          exists, as on a slow machine
//   --verbose              log connections on standard error

const { BURST_SECONDS } = require('./limits');
const { MAX_WORKERS } = require('./lobby');
const { MAX_MESSAGE_BYTES, createService } = require('./service');
const { START_MS, runPrimary } = require('./primary');

function usage(problem) {
  process.stderr.write(`party-server: ${problem}\n`);
  process.stderr.write('usage: node server.js [--host H] [--port N] [--cert F --key F] [--max-connections N] ' +
                       '[--max-connections-per-address N] [--upgrade-timeout-ms N] [--hello-timeout-ms N] [--max-unsent-bytes N] [--max-messages-per-second N] ' +
                       '[--max-bytes-per-second N] [--ping-ms N] [--workers N] [--http-status N] [--fragment N] ' +
                       '[--abrupt-close-after N] [--start-timeout-ms N] [--hold-start F] [--verbose]\n');
  process.exit(2);
}

function readOptions(argv) {
  const options = { host: '127.0.0.1', port: 8787, cert: null, key: null, maxConnections: 2000,
                    maxConnectionsPerAddress: 16, upgradeTimeoutMs: 5000, helloTimeoutMs: 5000,
                    maxUnsentBytes: 4 << 20, maxMessagesPerSecond: 120, maxBytesPerSecond: 64 * 1024,
                    pingMs: 10000, workers: 1, httpStatus: 0, fragment: 0, abruptAfter: 0, startTimeoutMs: START_MS,
                    holdStart: null, verbose: false };
  const numbers = { '--port': 'port', '--max-connections': 'maxConnections',
                    '--max-connections-per-address': 'maxConnectionsPerAddress',
                    '--upgrade-timeout-ms': 'upgradeTimeoutMs', '--hello-timeout-ms': 'helloTimeoutMs',
                    '--max-unsent-bytes': 'maxUnsentBytes', '--max-messages-per-second': 'maxMessagesPerSecond',
                    '--max-bytes-per-second': 'maxBytesPerSecond', '--ping-ms': 'pingMs', '--workers': 'workers',
                    '--http-status': 'httpStatus', '--fragment': 'fragment', '--abrupt-close-after': 'abruptAfter',
                    '--start-timeout-ms': 'startTimeoutMs' };
  const texts = { '--host': 'host', '--cert': 'cert', '--key': 'key', '--hold-start': 'holdStart' };
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
                      'maxUnsentBytes', 'maxMessagesPerSecond', 'startTimeoutMs']) {
    if (options[name] < 1) usage(`every limit is at least 1`);
  }
  if (options.maxBytesPerSecond * BURST_SECONDS < MAX_MESSAGE_BYTES) {
    usage(`--max-bytes-per-second is at least ${MAX_MESSAGE_BYTES / BURST_SECONDS}, or the largest message cannot pass`);
  }
  if (options.workers < 1 || options.workers > MAX_WORKERS) usage(`--workers is 1..${MAX_WORKERS}`);
  if (options.cert && options.workers > 1) {
    usage('--cert cannot go with more than one worker: TLS cannot be handed between processes, ' +
          'so end it in a proxy in front of the server');
  }
  return options;
}

function main() {
  const args = process.argv.slice(2);
  const options = readOptions(args);
  if (options.workers > 1) {
    runPrimary(options, args);
    return;
  }
  const log = options.verbose ? (line) => process.stderr.write(`party-server: ${line}\n`) : () => {};
  const { server, guard, stop } = createService(options, log);
  // Every TCP connection, before TLS or HTTP.
  server.on('connection', (socket) => guard.admit(socket));
  server.listen(options.port, options.host, () => {
    process.stdout.write(`listening ${server.address().port}\n`);
  });
  server.on('error', (e) => {
    process.stderr.write(`party-server: ${e.message}\n`);
    process.exit(1);
  });
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
}

if (require.main === module) main();

module.exports = { readOptions };
