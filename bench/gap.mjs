// Gap benchmark: how long the player is silent between one track's end and
// the next one's first audio, in headless Chromium, with the next track
// loaded ahead and started just before the end (as the player does) and
// loaded only when the last one ends (as it did before). Taken from the
// media clock: a track's start is its first position report less the
// position; a negative gap is an overlap.
//   node bench/gap.mjs [transitions]
import { rmSync } from 'node:fs';
import { launch, openPlayer, deliver, makeFixtures, tempDir, recordFor } from '../tests/web/helpers.mjs';

const N = Number(process.argv[2]) || 8;
const SECONDS = 2;
const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];

const dir = tempDir('sonabel-gap-');
const b = await launch();
try {
  const files = makeFixtures(dir, Array.from({ length: N + 1 }, (_, i) => [`${String(i).padStart(2, '0')} tone.wav`, SECONDS, 300 + 40 * i]));
  for (const ahead of [true, false]) {
    const { page } = await openPlayer(await b.fresh());
    await deliver(page, Object.values(files).map(recordFor));
    const gaps = await page.evaluate(({ n, ahead, seconds }) => new Promise((resolve) => {
      const P = window.sonabel.debug, starts = [], ends = [];
      // A track's first audio: its first position report less the position.
      document.addEventListener('ended', () => { ends.push(performance.now()); }, true);
      document.addEventListener('timeupdate', (e) => {
        const a = e.target;
        // The old way: nothing is ready when the track ends.
        if (!ahead && a === P.audio && a.currentTime > 1) P.loadAhead(null);
        // The playing deck only: the waiting one is primed, muted, for a moment.
        if (a === P.audio && a.currentSrc !== a.started && a.currentTime > 0 && !a.paused) {
          a.started = a.currentSrc;
          starts.push(performance.now() - a.currentTime * 1000 / a.playbackRate);
        }
        // Where the last track's audio ended by its own clock, and by its
        // ended event.
        if (starts.length > n && ends.length >= n) {
          resolve({
            clock: starts.slice(0, n).map((t, i) => starts[i + 1] - (t + seconds * 1000)),
            event: ends.slice(0, n).map((end, i) => starts[i + 1] - end),
          });
        }
      }, true);
      P.togglePlay();
    }), { n: N, ahead, seconds: SECONDS });
    const line = (a) => `median ${median(a).toFixed(1)} ms (${Math.min(...a).toFixed(1)} to ${Math.max(...a).toFixed(1)})`;
    console.log(`${ahead ? 'loaded ahead, started early' : 'loaded at the end'}, ${N} changes: ` +
      `from the last track's end by its clock ${line(gaps.clock)}; from its ended event ${line(gaps.event)}`);
    await page.close();
  }
} finally {
  await b.close();
  rmSync(dir, { recursive: true, force: true });
}
