'use strict';
// One worker of a party server started with --workers N: its share of the
// parties, on the connections the primary (primary.js) hands it. The
// primary runs it as `node worker.js INDEX OPTIONS...` with an IPC channel;
// it says when it is ready, that it is alive (every HEARTBEAT_MS), when it
// has taken each handed connection (the primary hands over the next only
// then) and when each has closed, so that the primary's counts stay right,
// and it stops on SIGTERM from the primary or when the primary is gone.

const fs = require('fs');
const { readOptions } = require('./server');
const { whenDone } = require('./limits');
const { createService } = require('./service');
const { HEARTBEAT_MS } = require('./primary');

// Runs `start` once the file of the test switch --hold-start, if any, is gone.
function whenLetGo(file, start) {
  if (file && fs.existsSync(file)) setTimeout(() => whenLetGo(file, start), 50);
  else start();
}

function main(options) {
  const worker = Number(process.argv[2]);
  const log = options.verbose ? (line) => process.stderr.write(`party-server worker ${worker}: ${line}\n`) : () => {};
  const { adopt, stop } = createService(options, log, { worker, workers: options.workers });
  // The callback takes the error of a channel already closed, which would
  // otherwise end the process.
  const tell = (message) => {
    if (process.connected) process.send(message, () => {});
  };
  process.on('message', (message, socket) => {
    if (message.t !== 'connection') return;
    tell({ t: 'adopted', id: message.id });
    if (!socket) {
      tell({ t: 'closed', id: message.id });
      return;
    }
    whenDone(socket, () => tell({ t: 'closed', id: message.id }));
    adopt(socket, Buffer.from(message.head, 'base64'), message.deadlineMs);
  });
  process.on('SIGTERM', stop);
  process.on('disconnect', stop);
  if (!process.connected) stop(); // the primary went while this one started
  // Ctrl-C in a terminal reaches every process of the group: the primary
  // stops its workers itself, and must not see them go first and restart them.
  process.on('SIGINT', () => {});
  tell({ t: 'ready' });
  setInterval(() => tell({ t: 'alive' }), HEARTBEAT_MS);
}

const options = readOptions(process.argv.slice(3));
whenLetGo(options.holdStart, () => main(options));
