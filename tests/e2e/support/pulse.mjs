// A PulseAudio server of our own: a per-user instance (also when the test
// runs as root) with its own runtime folder and socket, one null sink, and
// a recorder of what reaches that sink.
//
//   const pulse = await startPulse();
//   launchProgram({ env: pulse.env, ... });       // the program plays into it
//   const recording = await pulse.record();        // parec on the sink's monitor, once it records
//   const samples = await recording.stop();        // Float32Array, mono, pulse.rate
//   await pulse.stop();

import { execFile, spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { promisify } from 'node:util';

import { waitUntil } from './display.mjs';

const run = promisify(execFile);
export const RATE = 44100;

export async function startPulse() {
  const folder = mkdtempSync(path.join(tmpdir(), 'sonabel-pulse-'));
  const runtime = path.join(folder, 'runtime');
  const home = path.join(folder, 'home');
  mkdirSync(runtime, { mode: 0o700 });
  mkdirSync(home);
  const socket = path.join(folder, 'native');
  // Nothing from the machine's own configuration: only what the test needs.
  const script = path.join(folder, 'server.pa');
  writeFileSync(script, [
    `load-module module-null-sink sink_name=out rate=${RATE} channels=2`,
    `load-module module-native-protocol-unix auth-anonymous=1 socket=${socket}`,
    'set-default-sink out',
    '',
  ].join('\n'));
  const env = {
    ...process.env,
    HOME: home,
    XDG_RUNTIME_DIR: runtime,
    XDG_CONFIG_HOME: path.join(home, '.config'),
    PULSE_RUNTIME_PATH: runtime,
    PULSE_STATE_PATH: path.join(folder, 'state'),
  };
  delete env.DBUS_SESSION_BUS_ADDRESS;
  // As root, --system=false keeps it a per-user server rather than refusing
  // or asking for system mode.
  const daemon = spawn('pulseaudio', ['--system=false', '-n', '-F', script, '--exit-idle-time=-1',
    '--daemonize=no', '--disallow-exit', '--use-pid-file=false', '--log-target=stderr'], {
    env, stdio: ['ignore', 'ignore', 'pipe'],
  });
  let log = '';
  daemon.stderr.setEncoding('utf8').on('data', (text) => (log += text));
  const server = `unix:${socket}`;
  const clientEnv = { PULSE_SERVER: server, PULSE_RUNTIME_PATH: runtime };
  const pulse = { folder, server, env: clientEnv, rate: RATE };
  pulse.stop = async () => {
    if (daemon.exitCode === null && daemon.signalCode === null) {
      const gone = new Promise((resolve) => daemon.once('exit', resolve));
      daemon.kill('SIGTERM');
      await Promise.race([gone, sleep(3000)]);
      if (daemon.exitCode === null && daemon.signalCode === null) daemon.kill('SIGKILL');
    }
    rmSync(folder, { recursive: true, force: true });
  };
  try {
    await waitUntil(async () => {
      if (daemon.exitCode !== null) throw new Error(`pulseaudio exited: ${log}`);
      return run('pactl', ['info'], { env: { ...env, ...clientEnv } }).then(() => true, () => false);
    }, { what: 'pulseaudio', timeoutMs: 15000, intervalMs: 200 });
  } catch (error) {
    await pulse.stop();
    throw error;
  }

  // What the sink plays, as mono samples from -1 to 1.
  pulse.record = async () => {
    const parec = spawn('parec', ['--device=out.monitor', '--format=s16le', `--rate=${RATE}`, '--channels=1',
      '--latency-msec=20'], { env: { ...env, ...clientEnv }, stdio: ['ignore', 'pipe', 'ignore'] });
    const chunks = [];
    parec.stdout.on('data', (chunk) => chunks.push(chunk));
    const closed = new Promise((resolve) => parec.once('close', resolve));
    // The server sends silence from the start; what comes first is when
    // recording begins.
    await new Promise((resolve, reject) => {
      parec.stdout.once('data', resolve);
      parec.once('close', () => reject(new Error('parec ended before recording')));
    });
    return {
      stop: async () => {
        parec.kill('SIGTERM');
        await closed;
        const bytes = Buffer.concat(chunks);
        const out = new Float32Array(bytes.length >> 1);
        for (let i = 0; i < out.length; i++) out[i] = bytes.readInt16LE(2 * i) / 32768;
        return out;
      },
    };
  };

  // Streams playing into the sink: [{ index, corked }].
  pulse.streams = async () => {
    const { stdout } = await run('pactl', ['list', 'sink-inputs'], { env: { ...env, ...clientEnv } });
    return stdout.split(/\n(?=Sink Input #)/).filter((s) => s.startsWith('Sink Input'))
      .map((s) => ({ index: Number(/#(\d+)/.exec(s)[1]), corked: /Corked: yes/.test(s) }));
  };
  return pulse;
}

// Sound and silence in a recording, in windows of `windowMs`: the level of
// each, and the silent runs between the first sound and the last.
export function silences(samples, { windowMs = 10, threshold = 0.01, rate = RATE } = {}) {
  const n = Math.round(rate * windowMs / 1000);
  const loud = [];
  for (let i = 0; i + n <= samples.length; i += n) {
    let sum = 0;
    for (let j = i; j < i + n; j++) sum += samples[j] * samples[j];
    loud.push(Math.sqrt(sum / n) > threshold);
  }
  const first = loud.indexOf(true), last = loud.lastIndexOf(true);
  const gaps = [];
  for (let w = first; first >= 0 && w <= last; w++) {
    if (loud[w]) continue;
    const from = w;
    while (!loud[w]) w++;
    gaps.push({ atMs: from * windowMs, ms: (w - from) * windowMs });
  }
  return { soundFromMs: first * windowMs, soundToMs: (last + 1) * windowMs, gaps };
}

// The strength of each frequency in each window (Goertzel), so a test can
// tell which tone sounds when: [{ atMs, levels: { [hz]: amplitude } }].
export function tones(samples, frequencies, { windowMs = 100, rate = RATE } = {}) {
  const n = Math.round(rate * windowMs / 1000);
  const out = [];
  for (let i = 0; i + n <= samples.length; i += n) {
    const levels = {};
    for (const hz of frequencies) {
      const k = 2 * Math.cos(2 * Math.PI * hz / rate);
      let s1 = 0, s2 = 0;
      for (let j = i; j < i + n; j++) {
        const s0 = samples[j] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      levels[hz] = Math.sqrt(s1 * s1 + s2 * s2 - k * s1 * s2) * 2 / n;
    }
    out.push({ atMs: (i / rate) * 1000, levels });
  }
  return out;
}
