// The page's sound: Web Audio, started at the player's first gesture, and
// the ways the game's mix reaches the device. The game sends pieces of its
// mix, each to be played from a frame of the context's clock on, in place of
// what was held from there.
//
// - An audio worklet plays from a ring on the audio thread, so that the
//   page's stalls do not stop it while the ring holds sound. A game in a
//   worker sends its pieces to the worklet through a port of its own, past
//   the page's main thread, and reads the play position the worklet writes
//   (shared memory where the page is cross-origin isolated, its reports
//   otherwise).
// - Where a browser has no audio worklet (pages not served securely), or
//   with ?sound=buffers, buffer sources scheduled on the context's clock.
// - With ?meter=1 (the tests), what reaches the device is also measured.

export const Rate = 44100;

// The device plays from a ring in an audio worklet, on the audio thread.
// Each piece replaces what the ring held from its first frame on. Frames are
// counted on the context's clock (currentFrame). A port handed over with
// {game} carries a worker's pieces; the play position goes back to it, in
// the shared clock when one is given, else as a report every few blocks.
function soundProcessor() {
  const Size = 1 << 16; // frames, about 1.5 s: more than the game ever sends ahead
  const ReportEvery = 4; // blocks (about 12 ms) between reports of the play position
  class QorbSound extends AudioWorkletProcessor {
    constructor() {
      super();
      this.left = new Float32Array(Size);
      this.right = new Float32Array(Size);
      this.start = 0; // the frames [start, end) hold sound
      this.end = 0;
      this.played = false; // some sound has been heard: running out now is a gap
      this.dryFrom = -1; // where the current gap began
      this.least = Infinity; // the least queued ahead since the last report
      this.reportAt = 0;
      this.next = 0; // the first frame not yet played
      this.game = null; // a worker's port
      this.clock = null; // Int32Array over shared memory: the first frame not yet played
      this.blocks = 0;
      this.port.onmessage = (e) => {
        if (e.data.game) {
          this.game = e.data.game;
          this.clock = e.data.clock ? new Int32Array(e.data.clock) : null;
          this.game.onmessage = (m) => this.take(m.data);
        } else {
          this.take(e.data);
        }
      };
    }
    tell(message) {
      this.port.postMessage(message);
      if (this.game && message.late) this.game.postMessage(message);
    }
    take(m) {
      const samples = m.samples;
      const frames = samples.length >> 1;
      const at = m.at;
      if (this.end <= this.next) {
        this.start = at;
      } else if (at > this.end) {
        // Sound still to play, then a hole before this piece: a gap.
        for (let f = this.end; f < at && f < this.end + Size; ++f) this.left[f & (Size - 1)] = this.right[f & (Size - 1)] = 0;
        this.tell({ gap: at - this.end });
      }
      // Frames whose time has passed are not played late: later ones keep their time.
      const first = Math.min(frames, Math.max(0, this.next - at));
      if (first > 0) this.tell({ late: first, by: this.next - at });
      for (let i = first, j = (at + first) & (Size - 1); i < frames; ++i, j = (j + 1) & (Size - 1)) {
        this.left[j] = samples[2 * i] / 32768;
        this.right[j] = samples[2 * i + 1] / 32768;
      }
      this.end = at + frames;
    }
    process(inputs, outputs) {
      const left = outputs[0][0];
      const right = outputs[0][1] || left;
      const n = left.length;
      const f = currentFrame;
      // Silence before the sound starts and after it ends; [a, b) is held.
      const a = Math.min(n, Math.max(0, this.start - f));
      const b = Math.max(a, Math.min(n, this.end - f));
      for (let i = a; i < b; ) {
        const j = (f + i) & (Size - 1);
        const run = Math.min(b - i, Size - j);
        left.set(this.left.subarray(j, j + run), i);
        right.set(this.right.subarray(j, j + run), i);
        i += run;
      }
      left.fill(0, 0, a);
      left.fill(0, b, n);
      if (right !== left) {
        right.fill(0, 0, a);
        right.fill(0, b, n);
      }
      if (b > a) {
        this.played = true;
        if (this.dryFrom >= 0) {
          this.tell({ gap: f + a - this.dryFrom });
          this.dryFrom = -1;
        }
      }
      if (b < n && this.played && this.dryFrom < 0) this.dryFrom = f + b;
      this.next = currentFrame + n;
      if (this.clock) Atomics.store(this.clock, 0, this.next);
      else if (this.game && ++this.blocks % ReportEvery === 0) this.game.postMessage({ frame: this.next });
      if (this.played) this.least = Math.min(this.least, this.end - currentFrame);
      if (currentFrame >= this.reportAt) {
        if (this.least !== Infinity) this.tell({ least: this.least });
        this.least = Infinity;
        this.reportAt = currentFrame + sampleRate;
      }
      return true;
    }
  }
  registerProcessor('qorb-sound', QorbSound);
}

// The loudest sample of each block, by the context's frame.
function meterProcessor() {
  class QorbMeter extends AudioWorkletProcessor {
    constructor() {
      super();
      this.blocks = [];
    }
    process(inputs) {
      let peak = 0;
      for (const channel of inputs[0] || []) for (const v of channel) peak = Math.max(peak, Math.abs(v));
      this.blocks.push(currentFrame, peak);
      if (this.blocks.length >= 64) {
        this.port.postMessage(this.blocks);
        this.blocks = [];
      }
      return true;
    }
  }
  registerProcessor('qorb-meter', QorbMeter);
}

function addProcessor(context, source) {
  const url = URL.createObjectURL(new Blob([`(${source})();`], { type: 'text/javascript' }));
  return context.audioWorklet.addModule(url).finally(() => URL.revokeObjectURL(url));
}

// stats: the page's figures (audioGaps, audioLate, audioAheadLeast, ...);
// notices: { show(what, text, seconds), hide(what) }; running(on): the
// sound starts or stops running, for a game in a worker.
export function createSound({ params, stats, notices, changed = () => {} }) {
  let audio = null;
  let way = null; // how the mix reaches the device, once it can: { queue(at, samples, frames) }
  let worklet = null; // the worklet's node, once it runs
  let lateBy = 0; // the most frames a piece came late since the game last asked
  let lastSentAt = 0;
  const meterWanted = params.has('meter');
  let meterReady = !meterWanted;

  function noteGap(frames) {
    ++stats.audioGaps;
    // When, how long since the game last sent sound, and how long the silence (ms).
    const now = performance.now();
    if (stats.audioGapLog.length < 50) stats.audioGapLog.push([now, now - lastSentAt, (frames * 1000) / Rate]);
  }
  function noteLate(frames, by) {
    stats.audioLate += frames;
    lateBy = Math.max(lateBy, by);
    // When, how long since the sound was sent before, and how late (ms).
    if (stats.audioLateLog.length < 50) stats.audioLateLog.push([performance.now(), performance.now() - lastSentAt, (by * 1000) / Rate]);
  }

  // Said once, on the page and in the console, as the desktop game warns
  // once; the voices keep their time by the clock.
  let silenceTold = false;
  let noAudio = false; // no Web Audio here at all: no gesture will start it
  function tellSilence(why) {
    if (silenceTold) return;
    silenceTold = true;
    console.warn(`Qorb plays without sound: ${why}`);
    notices.show('sound', 'Qorb plays without sound: the browser could not start it.', 8);
  }
  // A context still not running this long after a gesture never will: a
  // browser with no sound device leaves it suspended and says nothing.
  const AudioStartMs = 2000;
  let audioCheck = 0;
  // Whether a context this event could not start means silence. Firefox
  // does not count a modifier key as a gesture: it says so (its autoplay
  // policy stays "disallowed" after it), and the next key or click tries
  // again. Elsewhere a refusal cannot be told from a missing device, and
  // the page says it once; sound that starts later takes the notice away.
  const modifierKeys = new Set(['Shift', 'Control', 'Alt', 'AltGraph', 'Meta', 'CapsLock', 'NumLock', 'OS', 'Fn']);
  function gestureCounts(e) {
    const active = navigator.userActivation
      ? navigator.userActivation.isActive
      : !(e && e.type === 'keydown' && modifierKeys.has(e.key));
    if (active || !navigator.getAutoplayPolicy) return true;
    try {
      return navigator.getAutoplayPolicy('audiocontext') !== 'disallowed';
    } catch {
      return true;
    }
  }

  // Where the sound goes: the device, through the meter when there is one.
  function output(context) {
    if (!meterWanted) return context.destination;
    const out = context.createGain();
    out.connect(context.destination);
    stats.heard = [];
    addProcessor(context, meterProcessor)
      .then(() => {
        const meter = new AudioWorkletNode(context, 'qorb-meter', { numberOfInputs: 1, numberOfOutputs: 1 });
        meter.port.onmessage = (e) => stats.heard.push(...e.data);
        out.connect(meter);
        meter.connect(context.destination); // it sends silence: pulled, it measures
        meterReady = true;
        changed();
      })
      .catch((error) => console.error(`Qorb's meter could not start: ${error.message || error}`));
    return out;
  }

  // Buffer sources scheduled on the context's clock, stopped where a later
  // piece replaces them.
  function bufferSources(context, destination) {
    let held = []; // { source, start, end } in frames
    let end = 0;
    let played = false;
    return {
      queue(at, samples, frames) {
        const now = Math.round(context.currentTime * Rate);
        if (played && end < now && at >= end) noteGap(now - end);
        held = held.filter((h) => h.end > now);
        for (const h of held) {
          if (h.end <= at) continue;
          try {
            h.source.stop(Math.max(h.start, at) / Rate);
          } catch {}
          h.end = Math.max(h.start, at);
        }
        end = at + frames;
        if (frames === 0) return;
        const buffer = context.createBuffer(2, frames, Rate);
        const left = buffer.getChannelData(0);
        const right = buffer.getChannelData(1);
        for (let i = 0; i < frames; ++i) {
          left[i] = samples[2 * i] / 32768;
          right[i] = samples[2 * i + 1] / 32768;
        }
        const source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(destination);
        source.start(at / Rate);
        if (at < now) noteLate(Math.min(frames, now - at), now - at);
        held.push({ source, start: at, end: at + frames });
        played = true;
      },
    };
  }

  function useBufferSources(context, destination) {
    way = bufferSources(context, destination);
    stats.audioWay = 'buffer sources';
    changed();
  }

  // The worklet when it loads, buffer sources until then or without it.
  function startWay(context) {
    const destination = output(context);
    if (!context.audioWorklet || !window.AudioWorkletNode || params.get('sound') === 'buffers') {
      if (context.createBuffer) useBufferSources(context, destination);
      else stats.audioWay = 'none';
      return;
    }
    addProcessor(context, soundProcessor)
      .then(() => {
        const node = new AudioWorkletNode(context, 'qorb-sound', {
          numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2],
        });
        node.port.onmessage = (e) => {
          const m = e.data;
          if (m.gap) noteGap(m.gap);
          if (m.late) noteLate(m.late, m.by);
          if (m.least !== undefined) {
            const ms = (m.least * 1000) / Rate;
            stats.audioAheadLeast = stats.audioAheadLeast === null ? ms : Math.min(stats.audioAheadLeast, ms);
          }
        };
        node.connect(destination);
        worklet = node;
        way = {
          queue(at, samples, frames) {
            const copy = samples.slice(0, frames * 2);
            node.port.postMessage({ at, samples: copy }, [copy.buffer]);
          },
        };
        stats.audioWay = 'audio worklet';
        stats.audioLatency = [context.baseLatency || 0, context.outputLatency || 0].map((l) => l * 1000);
        changed();
      })
      .catch((error) => {
        console.warn(`Qorb plays its sound through buffer sources: ${error.message || error}`);
        useBufferSources(context, destination);
      });
  }

  const running = () => audio !== null && audio.state === 'running' && way !== null && meterReady;

  return {
    // Browsers start sound only from a gesture: the first key, click or tap.
    start(e) {
      if (noAudio) return;
      if (!audio) {
        const Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) {
          noAudio = true;
          tellSilence('this browser has no Web Audio');
          return;
        }
        try {
          audio = new Context({ sampleRate: Rate, latencyHint: 'interactive' });
        } catch (error) {
          noAudio = true;
          tellSilence(error.message);
          return;
        }
        audio.onstatechange = () => {
          if (audio.state === 'running') notices.hide('sound');
          changed();
        };
        startWay(audio);
      }
      if (audio.state === 'running') return;
      const counts = gestureCounts(e);
      const resumed = audio.resume();
      if (resumed && resumed.catch) resumed.catch((error) => counts && tellSilence(error.message || String(error)));
      if (counts && !audioCheck) {
        audioCheck = setTimeout(() => {
          audioCheck = 0;
          if (audio.state !== 'running' && !document.hidden) tellSilence(`the audio context stayed ${audio.state}`);
        }, AudioStartMs);
      }
    },
    running,
    // The frame the device plays now.
    playedFrame: () => (running() ? Math.round(audio.currentTime * Rate) : 0),
    queue(at, samples, frames) {
      if (!running()) return;
      way.queue(at, samples, frames);
      lastSentAt = performance.now();
    },
    // The most frames a piece came late since the last call.
    heardLate() {
      const late = lateBy;
      lateBy = 0;
      return late;
    },
    // A game in a worker gets a port to the worklet of its own: null while
    // there is none (no worklet yet, or buffer sources).
    portForGame(clock) {
      if (!worklet) return null;
      const channel = new MessageChannel();
      worklet.port.postMessage({ game: channel.port1, clock }, [channel.port1]);
      return channel.port2;
    },
    way: () => stats.audioWay,
  };
}
