// The processor time of a process tree, from /proc: what the figures runs
// and the benches count as the browser's share of a core.
'use strict';

const fs = require('fs');

// Processor seconds used so far by the processes below `root` (not `root`
// itself), or by `root` alone with `alone`.
function processorSeconds(root, alone = false) {
  const processes = new Map();
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      processes.set(Number(pid), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) });
    } catch {}
  }
  const mine = new Set([root]);
  for (let grown = !alone; grown;) {
    grown = false;
    for (const [pid, p] of processes)
      if (!mine.has(pid) && mine.has(p.parent)) {
        mine.add(pid);
        grown = true;
      }
  }
  if (!alone) mine.delete(root);
  let ticks = 0;
  for (const pid of mine) ticks += processes.get(pid) ? processes.get(pid).ticks : 0;
  return ticks / 100;
}

module.exports = { processorSeconds };
