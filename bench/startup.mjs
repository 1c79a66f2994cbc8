// Start-up time and idle memory of the Linux program, under Xvfb.
//
//   node bench/startup.mjs [runs]
//
// Time: from just before the process is spawned to the Date.now() of the
// start page's first script, median over warm runs (one cold run first is
// dropped; all runs share one home folder, so caches stay warm as they would
// for a user). Memory: resident set (RSS) and proportional set (PSS, shared
// pages split between the processes) of the program and every process under
// it (WebKit's web and network processes), a few seconds after the first
// script. The machine's load average is printed too: other work on it shows
// directly in these figures.

import { mkdtemp, readFile, readdir, rm } from 'node:fs/promises';
import { loadavg, tmpdir } from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';

import { startDisplay } from '../tests/e2e/support/display.mjs';
import { launchProgram } from '../tests/e2e/support/program.mjs';
import { fixturePage, startReportServer } from '../tests/e2e/support/report_server.mjs';

const runs = Number(process.argv[2] ?? 7);
const home = await mkdtemp(path.join(tmpdir(), 'sonabel-bench-'));
const homeEnv = {
  HOME: home,
  XDG_DATA_HOME: path.join(home, '.local/share'),
  XDG_CACHE_HOME: path.join(home, '.cache'),
  XDG_CONFIG_HOME: path.join(home, '.config'),
};
const idleMs = 3000;

async function childrenOf() {
  const parents = new Map();
  for (const entry of await readdir('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    const stat = await readFile(`/proc/${entry}/stat`, 'utf8').catch(() => null);
    if (!stat) continue;
    // Fields after the parenthesised name: state, ppid, ...
    const ppid = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
    if (!parents.has(ppid)) parents.set(ppid, []);
    parents.get(ppid).push(Number(entry));
  }
  return parents;
}

// Resident kilobytes of `pid` and its descendants, by process name.
async function residentTree(pid) {
  const parents = await childrenOf();
  const result = [];
  const queue = [pid];
  while (queue.length) {
    const current = queue.shift();
    const status = await readFile(`/proc/${current}/status`, 'utf8').catch(() => '');
    const name = /^Name:\s+(.*)$/m.exec(status)?.[1] ?? '?';
    const rss = Number(/^VmRSS:\s+(\d+)/m.exec(status)?.[1] ?? 0);
    const rollup = await readFile(`/proc/${current}/smaps_rollup`, 'utf8').catch(() => '');
    const pss = Number(/^Pss:\s+(\d+)/m.exec(rollup)?.[1] ?? 0);
    result.push({ name, rss, pss });
    queue.push(...(parents.get(current) ?? []));
  }
  return result;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

const display = await startDisplay();
const server = await startReportServer();
const times = [];
const memories = [];
let breakdown = null;
try {
  for (let run = 0; run <= runs; run++) {
    const since = server.reports.length;
    const program = await launchProgram({ display, env: homeEnv, files: { 'web/index.html': fixturePage(server.url) } });
    try {
      const first = await server.waitForReport((r) => r.kind === 'first-script', { since });
      await sleep(idleMs);
      const tree = await residentTree(program.child.pid);
      server.evaluate('sendNativeAction("closeWindow")').catch(() => {});
      await program.exitWithin(10000);
      if (run === 0) continue; // cold: libraries and fonts not yet cached
      times.push(first.at - program.startedAt);
      memories.push({
        rss: tree.reduce((sum, p) => sum + p.rss, 0),
        pss: tree.reduce((sum, p) => sum + p.pss, 0),
      });
      breakdown = tree;
    } finally {
      await program.cleanup();
    }
  }
} finally {
  await server.close();
  await display.stop();
  await rm(home, { recursive: true, force: true });
}

const mib = (kib) => (kib / 1024).toFixed(1);
console.log(`runs: ${runs} warm (after one cold run)`);
console.log(`start to first script: median ${median(times)} ms (min ${Math.min(...times)}, max ${Math.max(...times)})`);
console.log(
  `memory when idle: median RSS ${mib(median(memories.map((m) => m.rss)))} MiB, ` +
    `PSS ${mib(median(memories.map((m) => m.pss)))} MiB`,
);
for (const { name, rss, pss } of breakdown) console.log(`  ${name}: RSS ${mib(rss)} MiB, PSS ${mib(pss)} MiB`);
console.log(`load average: ${loadavg().map((l) => l.toFixed(2)).join(' ')}`);
