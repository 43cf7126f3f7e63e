// Reads a ground station's log with node-mavlink, a MAVLink library of
// others, and prints the station's stamp (ms) of every GLOBAL_POSITION_INT
// of system 1 off 0, 0, then what its splitter counted.
// Usage: node tlog_peer.cjs PEER_DIR FILE.tlog (PEER_DIR holds node_modules).
const path = require('node:path');
const fs = require('node:fs');
const [peerDir, file] = process.argv.slice(2);
const { MavLinkTLogPacketSplitter, MavLinkPacketParser } = require(path.resolve(peerDir, 'node_modules', 'node-mavlink'));

const splitter = new MavLinkTLogPacketSplitter();
// The file goes in as one chunk: node-mavlink 2.3.0's tlog splitter drops
// a record that straddles two chunks of its stream (a fix across the 64 KB
// boundary of the default read size was lost), which is no difference of
// reading between us.
const whole = { highWaterMark: fs.statSync(file).size + 1 };
const packets = fs.createReadStream(file, whole).pipe(splitter).pipe(new MavLinkPacketParser());
packets.on('data', (packet) => {
  const { msgid, sysid, timestamp } = packet.header;
  if (msgid === 33 && sysid === 1 && packet.payload.length >= 8 && packet.payload.readInt32LE(4) !== 0)
    console.log(`fix ${timestamp}`);
});
packets.on('end', () => {
  console.log(`valid ${splitter.validPackages} unknown ${splitter.unknownPackagesCount} invalid ${splitter.invalidPackages}`);
});
