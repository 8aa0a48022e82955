// The time bar: the slider and frame box that show and set the scene's frame, and
// playing the frame range at the scene's rate.
import { reportError } from './dialogs.mjs';
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';

// The frame typed into the frame box: {frame} for a whole frame from `start` to `end`,
// {error} (one line) for anything else.
export function typedFrame(text, start, end) {
  const trimmed = String(text).trim();
  const value = trimmed === '' ? NaN : Number(trimmed);
  if (!Number.isFinite(value) || !Number.isInteger(value) || value < start || value > end) {
    return { error: `Frame: "${trimmed}" is not a whole frame from ${start} to ${end}` };
  }
  return { frame: value };
}

// The frame `key` leads to from `frame` in start..end: a step back or on (held within
// the range), the first or the last frame; null for any other key.
export function keyFrame(key, frame, start, end) {
  const to = { ArrowLeft: frame - 1, ArrowRight: frame + 1, Home: start, End: end }[key];
  return to === undefined ? null : Math.min(end, Math.max(start, to));
}

// Shows `frame` in the slider and the frame box, and asks the host for it.
export function goToFrame(frame) {
  $('time-slider').value = String(frame);
  $('frame-number').value = String(frame);
  setFrame(frame);
}

// The frame the time bar shows.
export function shownFrame() {
  return Number($('time-slider').value);
}

export function updateTime(state, first) {
  const slider = $('time-slider');
  slider.min = String(state.start);
  slider.max = String(state.end);
  if (!page.scrubbing && !page.playing) slider.value = String(state.frame);
  const number = $('frame-number');
  if (document.activeElement !== number || first) number.value = String(state.frame);
  $('frame-range').textContent = `${state.start}\u2013${state.end} at ${state.fps} fps`;
}

function setFrame(frame) {
  outbox.send({ type: 'frame', frame }, 'frame');
}

export function togglePlay() {
  page.playing = !page.playing;
  $('play').textContent = page.playing ? '\u25a0' : '\u25b6';
  if (!page.playing || !page.state) return;
  const { start, end, fps } = page.state;
  let frame = Number($('time-slider').value);
  let last = performance.now();
  const step = (now) => {
    if (!page.playing) return;
    frame += ((now - last) / 1000) * fps;
    last = now;
    if (frame > end) frame = start + ((frame - start) % Math.max(1, end - start + 1));
    const whole = Math.floor(frame);
    if (String(whole) !== $('time-slider').value) {
      $('time-slider').value = String(whole);
      $('frame-number').value = String(whole);
      setFrame(whole);
    }
    requestAnimationFrame(step);
  };
  requestAnimationFrame(step);
}

export function wireTimeBar() {
  $('play').addEventListener('click', togglePlay);
  const slider = $('time-slider');
  slider.addEventListener('pointerdown', () => { page.scrubbing = true; });
  slider.addEventListener('pointerup', () => { page.scrubbing = false; });
  slider.addEventListener('input', () => {
    $('frame-number').value = slider.value;
    setFrame(Number(slider.value));
  });
  $('frame-number').addEventListener('change', (e) => {
    if (!page.state) return;
    const typed = typedFrame(e.target.value, page.state.start, page.state.end);
    if (typed.error) {
      reportError(typed.error);
      e.target.value = $('time-slider').value;
      return;
    }
    goToFrame(typed.frame);
  });
}
